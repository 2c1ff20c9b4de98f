#include "platform/handler_guard.h"

#include <exception>
#include <string>

#include "platform/runtime_error.h"

namespace platform {

void HandlerGuard::run(const std::function<void()>& handler) noexcept {
  if (end_.ended()) return;
  try {
    handler();
  } catch (const RuntimeError& error) {
    report(error.number(), error.what());
  } catch (const std::exception& error) {
    report(0, error.what());
  } catch (...) {
    report(0, "Unknown error");
  }
}

void HandlerGuard::report(int number, const char* description) noexcept {
  try {
    std::string message = "Run-time error";
    if (number != 0) message += " '" + std::to_string(number) + "'";
    message += ":\n\n";
    message += description;
    dialogs_.messageBox(message, kMessageBoxOkOnly, "collatz");
  } catch (...) {
    // The report itself could not be shown; the program still ends, with the error status.
  }
  end_.end(kErrorExitStatus);
}

}  // namespace platform
