#include "platform/start_up.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QVersionNumber>
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

// Before 6.8, the frame Qt draws itself on a Wayland desktop whose compositor draws none (GNOME's
// mutter) offers a maximise button whatever the window allows, and this window's size is fixed.
// Through XWayland, GNOME draws the frame from the window's own size hints, offering only what it
// can do. So there, unless the user chose a platform, X11 comes first and Wayland second.
void preferTheDesktopsFrame(const std::vector<std::string>& arguments) {
  if (QLibraryInfo::version() >= QVersionNumber(6, 8)) return;
  if (!qEnvironmentVariable("QT_QPA_PLATFORM").isEmpty()) return;
  if (std::ranges::any_of(arguments, [](const std::string& argument) {
        return argument == "-platform" || argument == "--platform";
      })) {
    return;
  }
  if (qEnvironmentVariable("XDG_SESSION_TYPE") != QLatin1String("wayland") ||
      qEnvironmentVariable("DISPLAY").isEmpty() ||
      !qEnvironmentVariable("XDG_CURRENT_DESKTOP").split(u':').contains(QLatin1String("GNOME"))) {
    return;
  }
  qputenv("QT_QPA_PLATFORM", "xcb;wayland");
}

}  // namespace

int startUp(int& argc, char** argv, const WindowFactory& createWindow) {
  const std::vector<std::string> arguments(argv + std::min(argc, 1), argv + argc);
  preferTheDesktopsFrame(arguments);
  const DisplayCheck display = checkDisplay(processEnvironment, arguments);
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
