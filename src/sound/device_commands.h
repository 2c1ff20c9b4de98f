#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/runtime_error.h"

// The late-bound face of the multimedia control: the dispatch identifiers of the two properties
// the program sets, the device commands the command property accepts, and the one check every
// implementation of the control makes of a property set.
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
  std::chrono::steady_clock::time_point setAt{};
};

// What a property set means, or the failure it answers: an unknown dispatch identifier or an
// unknown verb. Verbs are matched without regard to case. Does not stamp setAt.
struct ParsedSet {
  platform::Status status;
  std::optional<DeviceCommand> command;  // set exactly when status is ok
};
ParsedSet parsePropertySet(int dispatchId, std::string_view value);

// The commands of a batch that still matter once all of it is known, in order: a "Sound" or
// "Open" that a later command of the batch would undo at once is left out, so that commands
// which piled up while the device was busy play only the last cue. File names, "Stop" and
// "Close" are always kept.
std::vector<DeviceCommand> collapseBatch(std::vector<DeviceCommand> batch);

}  // namespace sound
