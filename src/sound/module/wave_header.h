#pragma once

#include <string>
#include <string_view>

#include "sound/device_error.h"

namespace sound {

// Whether bytes that nobody checked are a wave file the program decodes, found by walking its
// RIFF (or big-endian RIFX, or RF64) chunks without trusting a single size in them. Only encodings
// that need no block decoder pass: integer PCM of 8, 16, 24 or 32 bits, IEEE floating point of 32
// or 64 bits, µ-law and A-law, each also as WAVE_FORMAT_EXTENSIBLE. Anything else (ADPCM,
// GSM 6.10, MPEG...) is refused before the audio file library parses the file, since that
// library's block decoders start decoding as a file is opened.
struct WaveChunks {
  DeviceError error = DeviceError::kNone;
  std::string detail;  // why not; for a refused encoding, its name
  bool bigEndian = false;
  std::string_view format;   // the first format chunk's body
  std::string_view samples;  // the first data chunk's body, as far as the bytes hold it
};
WaveChunks checkWaveHeader(std::string_view bytes);

// The header of a wave file of those two chunks alone, which the audio file library reads in
// place of the file's own, followed by the samples: its parsers of every other kind of chunk
// (lists, cue points, loops...) never see the file's bytes, and it cannot come upon another
// format chunk than the one checked here.
std::string plainHeader(const WaveChunks& chunks);

}  // namespace sound
