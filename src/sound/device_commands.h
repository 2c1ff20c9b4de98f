#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/runtime_error.h"

// The late-bound face of the multimedia control: the dispatch identifiers of the two properties
// the program sets, the device commands the command property accepts, and the check the control
// makes of a property set.
namespace sound {

inline constexpr int kDispatchFileName = 22;  // the file the next "Open" and "Sound" use
inline constexpr int kDispatchCommand = 23;   // assigning a verb carries out that command at once

inline constexpr std::string_view kCommandStop = "Stop";
inline constexpr std::string_view kCommandClose = "Close";
inline constexpr std::string_view kCommandOpen = "Open";
inline constexpr std::string_view kCommandSound = "Sound";

// One property set as the device carries it out.
struct DeviceCommand {
  enum class Kind { kFileName, kStop, kClose, kOpen, kSound };
  Kind kind;
  std::string fileName;  // for kFileName only
};

// What a property set means, or the failure it answers: an unknown dispatch identifier or an
// unknown verb. Verbs are matched without regard to case.
struct ParsedSet {
  platform::Status status;
  std::optional<DeviceCommand> command;  // set exactly when status is ok
};
ParsedSet parsePropertySet(int dispatchId, std::string_view value);

}  // namespace sound
