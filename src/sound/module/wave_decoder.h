#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "sound/device_error.h"
#include "sound/module/cue_reader.h"

namespace sound {

// A wave file decoded into memory as interleaved 16-bit samples at the file's own loudness: full
// scale in the file is full scale here, whatever its encoding (integers of 8 to 32 bits, 32- or
// 64-bit floating point, µ-law, A-law). More than two channels are mixed down to two.
struct DecodedWave {
  int sampleRate = 0;
  int channels = 0;
  std::vector<std::int16_t> samples;  // frames * channels values

  std::size_t frames() const { return channels > 0 ? samples.size() / channels : 0; }
};

// The most samples a cue keeps: 4 Mi, 47 s of 44.1 kHz stereo.
inline constexpr std::uintmax_t kMaxDecodedSamples = 4u << 20;
// The sample rates accepted: what the audio service plays, down to the lowest any recording uses.
inline constexpr int kMinPlayableRate = 1000;
inline constexpr int kMaxPlayableRate = 384000;

// Decodes one wave file (RIFF, RIFX or RF64 WAVE, WAVE_FORMAT_EXTENSIBLE too) from its bytes in
// memory, a slice at a time, so that no slice holds its caller for long. Making one checks the
// file's chunks (checkWaveHeader) before the audio file library sees a byte, then has the library
// read the checked format and data chunks alone (plainHeader); error() says if either refused it.
class WaveDecoder {
 public:
  explicit WaveDecoder(std::string bytes);
  ~WaveDecoder();
  WaveDecoder(const WaveDecoder&) = delete;
  WaveDecoder& operator=(const WaveDecoder&) = delete;

  // Decodes up to about `samples` more samples; true once the file is done with, decoded or not.
  bool step(std::size_t samples);

  DeviceError error() const { return error_; }
  const std::string& detail() const { return detail_; }
  DecodedWave& wave() { return wave_; }

 private:
  void open();
  void fail(DeviceError error, std::string detail);

  struct File;
  std::unique_ptr<File> file_;
  DeviceError error_ = DeviceError::kNone;
  std::string detail_;
  DecodedWave wave_;
};

// A whole file at once: every step of a WaveDecoder.
struct DecodeResult {
  DeviceError error = DeviceError::kNone;
  std::string detail;  // what the file system or the decoder said, when something failed
  DecodedWave wave;    // empty unless error is kNone
};
DecodeResult decodeWave(std::string bytes);
// The same for the file under the name, read as "Open" reads it (CueReader).
DecodeResult decodeWaveFile(const std::filesystem::path& path);

}  // namespace sound
