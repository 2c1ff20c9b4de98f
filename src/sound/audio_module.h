#pragma once

class QObject;

// The program's audio output lives in a module of its own, loaded the first time a chime plays,
// so that starting the window does not wait for the audio libraries to be loaded and linked.
namespace sound {

class DeviceControl;

// The one function the module exports: a new multimedia control, owned by the caller, that lives
// on the calling thread. `home` is an object on a thread that never plays anything and runs its
// event loop for the rest of the run: the audio library's connection to the audio service is
// anchored there, so that a device thread stuck inside the library cannot take the connection's
// recovery down with it. nullptr: everything happens on the calling thread.
inline constexpr const char* kAudioModuleFactory = "collatz_create_device_control";
using AudioModuleFactory = DeviceControl* (*)(QObject* home);

}  // namespace sound
