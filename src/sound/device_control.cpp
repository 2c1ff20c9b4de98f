#include "sound/device_control.h"

#include <chrono>
#include <utility>

namespace sound {

platform::Status DeviceControl::setPropertyById(int dispatchId, std::string_view value) {
  ParsedSet parsed = parsePropertySet(dispatchId, value);
  if (parsed.command) {
    parsed.command->setAt = std::chrono::steady_clock::now();
    carryOut(std::move(*parsed.command));
  }
  return parsed.status;
}

}  // namespace sound
