#pragma once

#include <string_view>

#include "platform/runtime_error.h"

namespace platform {

// An object whose properties are reached by dispatch identifier rather than by name, for
// components the program does not link against by type.
class Dispatchable {
 public:
  virtual ~Dispatchable() = default;
  // Answers kErrorUnknownProperty for an identifier the object does not have.
  virtual Status setPropertyById(int dispatchId, std::string_view value) = 0;
};

// The late-bound property set: raises RuntimeError when the object reports a failure.
inline void setProperty(Dispatchable& object, int dispatchId, std::string_view value) {
  check(object.setPropertyById(dispatchId, value));
}

}  // namespace platform
