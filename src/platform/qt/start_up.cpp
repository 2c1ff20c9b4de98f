#include "platform/start_up.h"

#include <QApplication>
#include <algorithm>
#include <cstring>
#include <exception>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "platform/display_check.h"
#include "platform/handler_guard.h"

namespace platform {

namespace {

std::string programName(char** argv) {
  if (argv == nullptr || argv[0] == nullptr || argv[0][0] == '\0') return "collatz";
  const std::string_view path = argv[0];
  return std::string(path.substr(path.rfind('/') + 1));
}

}  // namespace

int startUp(int& argc, char** argv, const WindowFactory& createWindow) {
  const DisplayCheck display = checkDisplay(
      processEnvironment, std::vector<std::string>(argv + std::min(argc, 1), argv + argc));
  if (!display.ok) {
    std::cerr << programName(argv) << ": no display could be opened (" << display.problem
              << "); run it on a desktop, or set DISPLAY to a running X server, for example a "
                 "virtual one: 'Xvfb :99 & DISPLAY=:99 collatz'"
              << std::endl;
    return kNoDisplayExitStatus;
  }

  QApplication application(argc, argv);
  int status = 0;
  {
    std::unique_ptr<QWidget> window;
    try {
      window = createWindow();
    } catch (const std::exception& error) {
      std::cerr << programName(argv) << ": the window could not be created: " << error.what()
                << std::endl;
      return kErrorExitStatus;
    }
    if (!window) {
      std::cerr << programName(argv) << ": no window to start with" << std::endl;
      return kErrorExitStatus;
    }
    window->show();
    status = QApplication::exec();
  }
  return status;
}

}  // namespace platform
