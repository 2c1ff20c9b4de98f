#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "sound/device_error.h"

namespace sound {

// A wave file decoded into memory as interleaved 16-bit samples at the file's own loudness: full
// scale in the file is full scale here, whatever its encoding (integers of 8 to 32 bits, 32- or
// 64-bit floating point, compressed). More than two channels are mixed down to two, since the
// output takes no more.
struct DecodedWave {
  int sampleRate = 0;
  int channels = 0;
  std::vector<std::int16_t> samples;  // frames * channels values

  std::size_t frames() const { return channels > 0 ? samples.size() / channels : 0; }
};

struct DecodeResult {
  DeviceError error = DeviceError::kNone;
  std::string detail;  // what the file system or the decoder said, when something failed
  DecodedWave wave;    // empty unless error is kNone
};

// The largest file "Open" reads, and the most samples it keeps: a cue is a few seconds long, and a
// stray huge file must not take the program's memory.
inline constexpr std::uintmax_t kMaxWaveFileBytes = 64u << 20;
inline constexpr std::uintmax_t kMaxDecodedSamples = 32u << 20;

// The sample rates "Open" accepts. The audio output takes rates up to kMaxPlayableRate; far below
// telephone quality no real cue is recorded, and the audio library divides by zero on some.
inline constexpr int kMinPlayableRate = 1000;
inline constexpr int kMaxPlayableRate = 384000;

// Reads the whole file and decodes it. Only wave files (RIFF WAVE, WAVE_FORMAT_EXTENSIBLE) in any
// encoding the decoder knows are accepted. Never blocks on special files such as FIFOs.
DecodeResult decodeWaveFile(const std::filesystem::path& path);

}  // namespace sound
