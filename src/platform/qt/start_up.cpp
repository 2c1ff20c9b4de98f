#include "platform/start_up.h"

#include <QApplication>
#include <cstring>
#include <exception>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>

#include "platform/display_check.h"
#include "platform/handler_guard.h"

namespace platform {

namespace {

// The window system Qt's own "-platform" argument names, if given ("-platform x" or
// "-platform=x").
std::optional<std::string> platformArgument(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    if ((argument == "-platform" || argument == "--platform") && i + 1 < argc) return argv[i + 1];
    for (std::string_view prefix : {"-platform=", "--platform="}) {
      if (argument.starts_with(prefix)) return std::string(argument.substr(prefix.size()));
    }
  }
  return std::nullopt;
}

std::string programName(char** argv) {
  if (argv == nullptr || argv[0] == nullptr || argv[0][0] == '\0') return "collatz";
  const std::string_view path = argv[0];
  return std::string(path.substr(path.rfind('/') + 1));
}

}  // namespace

int startUp(int& argc, char** argv, const WindowFactory& createWindow) {
  const DisplayCheck display = checkDisplay(processEnvironment, platformArgument(argc, argv));
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
