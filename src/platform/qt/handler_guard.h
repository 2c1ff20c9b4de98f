#pragma once

#include <functional>

#include "platform/dialogs.h"
#include "platform/exit_status.h"
#include "platform/program_end.h"

namespace platform {

// Runs the window's event handlers. Handlers catch nothing themselves: an error that leaves one is
// shown here in the default error report, after which the program ends with kErrorExitStatus.
// Once the program has ended, no further handler runs.
class HandlerGuard {
 public:
  HandlerGuard(Dialogs& dialogs, ProgramEnd& programEnd) : dialogs_(dialogs), end_(programEnd) {}

  void run(const std::function<void()>& handler) noexcept;

 private:
  void report(int number, const char* description) noexcept;

  Dialogs& dialogs_;
  ProgramEnd& end_;
};

}  // namespace platform
