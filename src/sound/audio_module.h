#pragma once

// The program's audio output lives in a module of its own, loaded the first time a chime plays,
// so that starting the window does not wait for the audio libraries to be loaded and linked.
namespace sound {

class DeviceControl;

// The one function the module exports: a new multimedia control, owned by the caller.
inline constexpr const char* kAudioModuleFactory = "collatz_create_device_control";
using AudioModuleFactory = DeviceControl* (*)();

}  // namespace sound
