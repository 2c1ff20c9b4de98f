#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "sound/device_error.h"

namespace sound {

// The sample encodings the program decodes: none needs a block decoder.
enum class Encoding {
  kUnsigned8,
  kSigned16,
  kSigned24,
  kSigned32,
  kFloat32,
  kFloat64,
  kMuLaw,
  kALaw
};

// The sample rates accepted: what the audio service plays, down to the lowest any recording uses.
inline constexpr int kMinPlayableRate = 1000;
inline constexpr int kMaxPlayableRate = 384000;
// The most channels a cue may have, so that a slice of decoding holds a few frames whole.
inline constexpr int kMaxChannels = 1024;
// The most samples a cue keeps: 4 Mi, 47 s of 44.1 kHz stereo.
inline constexpr std::size_t kMaxDecodedSamples = 4u << 20;

// What a wave file holds, as its own header says, once checkWaveHeader has found it playable.
struct WaveChunks {
  Failure failure;  // why the file is refused; for a refused encoding, its name
  Encoding encoding = Encoding::kSigned16;
  bool bigEndian = false;
  int bytesPerSample = 0;
  int channels = 0;
  std::uint32_t sampleRate = 0;
  std::uint32_t channelMask = 0;  // the speaker of each channel in turn; 0: the standard order
  std::string_view samples;       // the data chunk's whole frames, as far as the bytes hold them
};

// Takes bytes that nobody checked; gives a wave file's format and samples, found by walking its
// RIFF (or big-endian RIFX, or RF64) chunks without trusting a single size in them. Refuses, with
// the one failure that fits: another kind of file (kNotWaveFile), a header cut short or malformed
// (kFileDamaged), an encoding not in Encoding, plain or as WAVE_FORMAT_EXTENSIBLE
// (kEncodingRefused, naming it), a rate outside the playable range or more than kMaxChannels
// (kFormatNotPlayable), no whole frame (kFileEmpty), more samples than a cue keeps (kFileTooLarge).
// The only parser of a cue file.
WaveChunks checkWaveHeader(std::string_view bytes);

}  // namespace sound
