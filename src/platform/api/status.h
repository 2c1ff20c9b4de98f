#pragma once

#include <string>
#include <utility>

namespace platform {

// What a control answers when one of its properties is set. A failure carries the error that the
// calling layer raises; controls themselves never throw.
struct Status {
  int error = 0;  // 0: success
  std::string description;

  bool ok() const noexcept { return error == 0; }
  static Status success() { return {}; }
  static Status failure(int error, std::string description) {
    return {error, std::move(description)};
  }
};

}  // namespace platform
