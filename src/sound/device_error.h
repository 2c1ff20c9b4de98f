#pragma once

#include <chrono>
#include <string>

namespace sound {

// Why the last device command could not be carried out. These never reach whoever set the
// property: the set still succeeds, and the reason stays here for anyone who asks.
enum class DeviceError {
  kNone = 0,
  kNoFileName,         // "Open" with no file name set
  kFileNotFound,       // nothing by that name in the current directory
  kFileUnreadable,     // exists but cannot be read (permissions, a folder, an I/O error)
  kFileTooLarge,       // too big to be a cue; refused before it is read into memory
  kFileEmpty,          // zero bytes, or a wave file without a single sample
  kFileDamaged,        // starts like a wave file but is cut short or malformed
  kNotWaveFile,        // some other kind of file, audio or not
  kNotOpen,            // "Sound" with no file open
  kNoAudioDevice,      // no audio output at all (no device, or no audio server)
  kAudioDeviceFailed,  // the output refused the stream or failed while playing
  kFormatNotPlayable,  // a wave file whose sample rate the output cannot play
  kEncodingRefused,    // a wave file in an encoding the program does not decode (ADPCM, GSM...)
  kCueTooLate,         // the output did not answer in time; the chime was dropped, not played late
};

// A reason with what was said about it: the file system's words, the file's fault, the audio
// service's answer. Each layer of the device hands it on as it got it.
struct Failure {
  DeviceError error = DeviceError::kNone;
  std::string detail;

  explicit operator bool() const { return error != DeviceError::kNone; }
  bool operator==(const Failure&) const = default;
};

// How long after its "Sound" was set a chime may still start. One that the output could not start
// by then (the audio service hung, or the device was busy) is dropped rather than played late.
inline constexpr auto kCueFreshness = std::chrono::milliseconds(1000);

}  // namespace sound
