#pragma once

#include <string_view>

#include "platform/late_bound.h"

namespace sound {

// The chimes of "Init" and "Exit", looked up in the current directory.
inline constexpr std::string_view kInitCue = "pinpon.wav";
inline constexpr std::string_view kExitCue = "endpinpon.wav";

// Plays a cue on the multimedia control: stops and closes whatever it has open, names the file,
// opens it and sounds it. Returns while the sound plays and reads nothing back from the control;
// a property set the control refuses raises platform::RuntimeError.
void playCue(platform::Dispatchable& control, std::string_view fileName);

}  // namespace sound
