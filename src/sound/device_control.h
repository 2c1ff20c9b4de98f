#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "platform/late_bound.h"
#include "sound/device_commands.h"
#include "sound/device_error.h"

namespace sound {

// A multimedia control as its owner sees it: set late-bound, and asked afterwards why the last
// command could not be carried out. Every control checks a set the same way (parsePropertySet)
// and hands what it means to carryOut; only an unknown property or verb fails the set itself.
class DeviceControl : public platform::Dispatchable {
 public:
  platform::Status setPropertyById(int dispatchId, std::string_view value) final;

  // Carries out one checked command, stamped with the time it was set.
  virtual void carryOut(DeviceCommand command) = 0;

  virtual DeviceError error() const = 0;
  virtual std::string errorText() const = 0;

  // Called, on the control's own thread, when the error state changes outside a command (the
  // output failing while it plays). Replaces any earlier listener.
  virtual void setErrorListener(std::function<void()> listener) { (void)listener; }
};

}  // namespace sound
