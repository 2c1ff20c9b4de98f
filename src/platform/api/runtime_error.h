#pragma once

#include <stdexcept>
#include <string>

#include "platform/status.h"

namespace platform {

// A run-time error of the program: an error number and a description a user can read.
// Handlers never catch it; HandlerGuard turns it into the default error report.
class RuntimeError : public std::runtime_error {
 public:
  RuntimeError(int number, const std::string& description)
      : std::runtime_error(description), number_(number) {}
  int number() const noexcept { return number_; }

 private:
  int number_;
};

// Error numbers the runtime layer raises.
inline constexpr int kErrorPropertySetFailed = 380;  // a control refused a property value
inline constexpr int kErrorUnknownProperty = 438;    // no property with that dispatch identifier
inline constexpr int kErrorDialogFailed = 5;         // a dialog could not be shown

// Raises the failure a control reported; does nothing on success.
inline void check(const Status& status) {
  if (!status.ok()) throw RuntimeError(status.error, status.description);
}

}  // namespace platform
