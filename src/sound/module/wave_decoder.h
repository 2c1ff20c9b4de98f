#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "sound/device_error.h"
#include "sound/module/cue_reader.h"
#include "sound/module/wave_header.h"

namespace sound {

// A wave file decoded into memory as interleaved 16-bit samples at the file's own loudness: full
// scale in the file is full scale here, whatever its encoding. Mono and stereo stay as they are;
// more channels are folded into two by the speaker each one feeds.
struct DecodedWave {
  int sampleRate = 0;
  int channels = 0;
  std::vector<std::int16_t> samples;  // frames * channels values

  std::size_t frames() const { return channels > 0 ? samples.size() / channels : 0; }
};

// Decodes one wave file from its bytes in memory, a slice at a time, so that no slice holds its
// caller for long. Making one checks the file (checkWaveHeader); failure() says if it was refused.
class WaveDecoder {
 public:
  explicit WaveDecoder(std::string bytes);
  WaveDecoder(const WaveDecoder&) = delete;
  WaveDecoder& operator=(const WaveDecoder&) = delete;

  // Decodes up to about `samples` more samples; true once the file is done with, decoded or not.
  bool step(std::size_t samples);

  const Failure& failure() const { return chunks_.failure; }
  DecodedWave& wave() { return wave_; }

 private:
  std::string bytes_;  // the file, until it is decoded; chunks_ looks into it
  WaveChunks chunks_;
  std::size_t decoded_ = 0;    // bytes of chunks_.samples decoded so far
  std::vector<double> frame_;  // one frame, as fractions of full scale
  // For more than two channels: each one's weight on the left, then on the right.
  std::vector<double> weights_;
  DecodedWave wave_;
};

// A whole file at once: every step of a WaveDecoder.
struct DecodeResult {
  Failure failure;   // what the file system or the decoder said, when something failed
  DecodedWave wave;  // empty unless failure is empty
};
DecodeResult decodeWave(std::string bytes);
// The same for the file under the name, read as "Open" reads it (CueReader).
DecodeResult decodeWaveFile(const std::filesystem::path& path);

}  // namespace sound
