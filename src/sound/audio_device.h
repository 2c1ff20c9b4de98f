#pragma once

#include <chrono>
#include <string>
#include <string_view>

#include "sound/device_error.h"

// What the multimedia control hands its device, which lives in the audio module: the audio
// libraries are loaded with it, when the first chime is asked for, and not when the program
// starts (linking them in costs every start five per cent more work, all of it in looking up the
// toolkit's symbols past them).
namespace sound {

class AudioDevice {
 public:
  enum class Command { kStop, kClose, kOpen, kSound };

  virtual ~AudioDevice() = default;
  virtual void setFileName(std::string_view name) = 0;
  // `setAt`: when the command was set, from which a chime's freshness counts.
  virtual void carryOut(Command command, std::chrono::steady_clock::time_point setAt) = 0;
  virtual DeviceError error() const = 0;
  virtual std::string errorText() const = 0;
  virtual bool isOpen() const = 0;
  virtual bool isPlaying() const = 0;
};

// The one function the module exports: a new device, owned by the caller, living on the calling
// thread, which must run a Qt event loop.
inline constexpr const char* kAudioModuleFactory = "collatz_create_audio_device";
using AudioModuleFactory = AudioDevice* (*)();

}  // namespace sound
