#pragma once

#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "sound/device_error.h"

namespace sound {

// A wave file decoded into memory as interleaved 16-bit samples at the file's own loudness: full
// scale in the file is full scale here, whatever its encoding (integers of 8 to 32 bits, 32- or
// 64-bit floating point). More than two channels are mixed down to two.
struct DecodedWave {
  int sampleRate = 0;
  int channels = 0;
  std::vector<std::int16_t> samples;  // frames * channels values

  std::size_t frames() const { return channels > 0 ? samples.size() / channels : 0; }
};

// What tells one version of a file from another without reading it.
struct FileIdentity {
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = 0;
  std::int64_t modifiedNs = 0;
  bool operator==(const FileIdentity&) const = default;
};

// The largest file "Open" reads: a chime lasts a second or two, under 3 MiB even as 64-bit
// floating-point stereo at 96 kHz. The most samples it keeps: 4 Mi, 47 s of 44.1 kHz stereo.
inline constexpr std::uintmax_t kMaxWaveFileBytes = 8u << 20;
inline constexpr std::uintmax_t kMaxDecodedSamples = 4u << 20;
// The sample rates accepted: what the audio service plays, down to the lowest any recording uses.
inline constexpr int kMinPlayableRate = 1000;
inline constexpr int kMaxPlayableRate = 384000;

// What is under the name, found without opening it: its identity, or why it cannot be a cue
// (missing, not a regular file, empty, too large).
struct FileCheck {
  DeviceError error = DeviceError::kNone;
  std::string detail;
  FileIdentity identity;
};
FileCheck checkCueFile(const std::filesystem::path& path);

// Decodes one wave file (RIFF WAVE or WAVE_FORMAT_EXTENSIBLE) a slice at a time, so that no slice
// holds its caller for long. Making one opens the file without blocking (a FIFO put there since
// the check cannot hang it), checks it again and reads the header; error() says if that failed.
class WaveDecoder {
 public:
  explicit WaveDecoder(const std::filesystem::path& path);
  ~WaveDecoder();
  WaveDecoder(const WaveDecoder&) = delete;
  WaveDecoder& operator=(const WaveDecoder&) = delete;

  // Decodes up to about `samples` more samples; true once the file is done with, decoded or not.
  bool step(std::size_t samples);

  DeviceError error() const { return error_; }
  const std::string& detail() const { return detail_; }
  const FileIdentity& identity() const { return identity_; }
  DecodedWave& wave() { return wave_; }

 private:
  void open(const std::filesystem::path& path);
  void fail(DeviceError error, std::string detail);

  struct File;
  std::unique_ptr<File> file_;
  FileIdentity identity_;
  DeviceError error_ = DeviceError::kNone;
  std::string detail_;
  DecodedWave wave_;
};

// A whole file at once: checkCueFile, then every step of a WaveDecoder.
struct DecodeResult {
  DeviceError error = DeviceError::kNone;
  std::string detail;  // what the file system or the decoder said, when something failed
  DecodedWave wave;    // empty unless error is kNone
};
DecodeResult decodeWaveFile(const std::filesystem::path& path);

}  // namespace sound
