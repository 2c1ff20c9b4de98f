#pragma once

#include <string_view>

#include "platform/late_bound.h"

namespace sound {

// The multimedia control's two properties, reached by dispatch identifier, and the verbs its
// command property takes (in any case); assigning a verb carries out that command at once.
inline constexpr int kDispatchFileName = 22;  // the file the next "Open" and "Sound" use
inline constexpr int kDispatchCommand = 23;
inline constexpr std::string_view kCommandStop = "Stop";
inline constexpr std::string_view kCommandClose = "Close";
inline constexpr std::string_view kCommandOpen = "Open";
inline constexpr std::string_view kCommandSound = "Sound";

// The chimes of "Init" and "Exit", looked up in the current directory.
inline constexpr std::string_view kInitCue = "pinpon.wav";
inline constexpr std::string_view kExitCue = "endpinpon.wav";

// Plays a cue on the multimedia control: stops and closes whatever it has open, names the file,
// opens it and sounds it. Returns while the sound plays and reads nothing back from the control;
// a property set the control refuses raises platform::RuntimeError.
void playCue(platform::Dispatchable& control, std::string_view fileName);

}  // namespace sound
