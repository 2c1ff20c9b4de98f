#pragma once

#include <string>
#include <string_view>

#include "sound/device_error.h"

namespace sound {

// Whether bytes that nobody checked are a wave file the program decodes, found by walking its
// RIFF (or big-endian RIFX, or RF64) header to the format chunk without trusting a single size in
// it. Only encodings that need no block decoder pass: integer PCM of 8, 16, 24 or 32 bits, IEEE
// floating point of 32 or 64 bits, µ-law and A-law, each also as WAVE_FORMAT_EXTENSIBLE. Anything
// else (ADPCM, GSM 6.10, MPEG...) is refused before the audio file library parses the file, since
// that library's block decoders start decoding as the file is opened.
struct HeaderCheck {
  DeviceError error = DeviceError::kNone;
  std::string detail;  // why not; for a refused encoding, its name
};
HeaderCheck checkWaveHeader(std::string_view bytes);

}  // namespace sound
