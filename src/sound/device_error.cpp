#include "sound/device_error.h"

namespace sound {

std::string_view describe(DeviceError error) {
  switch (error) {
    case DeviceError::kNone:
      return "No error";
    case DeviceError::kNoFileName:
      return "No file name given";
    case DeviceError::kFileNotFound:
      return "File not found";
    case DeviceError::kFileUnreadable:
      return "File cannot be read";
    case DeviceError::kFileTooLarge:
      return "File too large for a sound cue";
    case DeviceError::kFileEmpty:
      return "File holds no sound";
    case DeviceError::kFileDamaged:
      return "Wave file damaged or cut short";
    case DeviceError::kNotWaveFile:
      return "Not a wave file";
    case DeviceError::kNotOpen:
      return "No file open";
    case DeviceError::kNoAudioDevice:
      return "No audio output device";
    case DeviceError::kAudioDeviceFailed:
      return "Audio output failed";
    case DeviceError::kFormatNotPlayable:
      return "Sound format the audio output cannot play";
    case DeviceError::kCueTooLate:
      return "Chime dropped: the audio output did not answer in time";
  }
  return "Unknown error";
}

}  // namespace sound
