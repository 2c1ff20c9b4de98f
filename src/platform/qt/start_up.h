#pragma once

#include <QWidget>
#include <functional>
#include <memory>

#include "platform/exit_status.h"

namespace platform {

// Creates the program's start-up window; called once the application object exists.
using WindowFactory = std::function<std::unique_ptr<QWidget>()>;

// The start-up operation: checks that a display can be opened (if not, says so in one line on
// stderr and returns kNoDisplayExitStatus), creates the application object and the window, shows
// it and runs the event loop. Returns the event loop's exit status; the window is destroyed
// before the application object.
int startUp(int& argc, char** argv, const WindowFactory& createWindow);

}  // namespace platform
