#pragma once

#include <string_view>

// The late-bound face of the multimedia control: the dispatch identifiers of the two properties
// the program sets, and the device commands the command property accepts.
namespace sound {

inline constexpr int kDispatchFileName = 22;  // the file the next "Open" and "Sound" use
inline constexpr int kDispatchCommand = 23;   // assigning a verb carries out that command at once

inline constexpr std::string_view kCommandStop = "Stop";
inline constexpr std::string_view kCommandClose = "Close";
inline constexpr std::string_view kCommandOpen = "Open";
inline constexpr std::string_view kCommandSound = "Sound";

}  // namespace sound
