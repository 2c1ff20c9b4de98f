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
// 64-bit floating point, compressed). More than two channels are mixed down to two, since the
// output takes no more.
struct DecodedWave {
  int sampleRate = 0;
  int channels = 0;
  std::vector<std::int16_t> samples;  // frames * channels values

  std::size_t frames() const { return channels > 0 ? samples.size() / channels : 0; }
};

// What tells one version of a file from another without reading it: a file whose identity is
// unchanged still holds what was decoded from it.
struct FileIdentity {
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = 0;
  std::int64_t modifiedNs = 0;
  bool operator==(const FileIdentity&) const = default;
};

// The largest file "Open" reads: a chime lasts a second or two, which even as 64-bit floating
// point stereo at 96 kHz is under 3 MiB. The most samples it keeps likewise: 4 Mi, about 47 s of
// stereo at 44.1 kHz. A stray huge file must take neither the program's memory nor its time.
inline constexpr std::uintmax_t kMaxWaveFileBytes = 8u << 20;
inline constexpr std::uintmax_t kMaxDecodedSamples = 4u << 20;

// The sample rates "Open" accepts: what the audio service plays, and no lower than any real
// recording is made at.
inline constexpr int kMinPlayableRate = 1000;
inline constexpr int kMaxPlayableRate = 384000;

// Looks at what is under the name without opening it: its identity, or why it cannot be a cue
// (missing, not a regular file, too large). Never blocks on special files such as FIFOs.
struct FileCheck {
  DeviceError error = DeviceError::kNone;
  std::string detail;
  FileIdentity identity;
};
FileCheck checkCueFile(const std::filesystem::path& path);

// Decodes one wave file (RIFF WAVE, WAVE_FORMAT_EXTENSIBLE) a slice at a time, so that no slice
// holds its caller for long. Making one opens the file without blocking, checks it is still a
// regular file of acceptable size, and reads the header; error() then says whether there is
// anything to decode.
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

// The whole of a file at once: checkCueFile, then every step of a WaveDecoder.
struct DecodeResult {
  DeviceError error = DeviceError::kNone;
  std::string detail;  // what the file system or the decoder said, when something failed
  DecodedWave wave;    // empty unless error is kNone
};
DecodeResult decodeWaveFile(const std::filesystem::path& path);

}  // namespace sound
