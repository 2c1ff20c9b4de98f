#pragma once

#include <string>

#include "platform/late_bound.h"
#include "sound/device_error.h"

namespace sound {

// A multimedia control as its owner sees it: set late-bound, and asked afterwards why the last
// command could not be carried out.
class DeviceControl : public platform::Dispatchable {
 public:
  virtual DeviceError error() const = 0;
  virtual std::string errorText() const = 0;
};

}  // namespace sound
