#include "sound/wave_decoder.h"

#include <fcntl.h>
#include <sndfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <string_view>

namespace sound {
namespace {

DecodeResult failure(DeviceError error, std::string detail) {
  DecodeResult result;
  result.error = error;
  result.detail = std::move(detail);
  return result;
}

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

// Reads the file's bytes, or says why it cannot. The file is opened without blocking so that a
// FIFO or device under the cue's name cannot hang the caller, and only regular files are read.
DecodeResult readFile(const std::filesystem::path& path, std::vector<char>& bytes) {
  FileDescriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  if (file.get() < 0) {
    const int error = errno;
    if (error == ENOENT || error == ENOTDIR) {
      return failure(DeviceError::kFileNotFound, std::strerror(error));
    }
    return failure(DeviceError::kFileUnreadable, std::strerror(error));
  }
  struct stat status {};
  if (::fstat(file.get(), &status) != 0) {
    return failure(DeviceError::kFileUnreadable, std::strerror(errno));
  }
  if (!S_ISREG(status.st_mode)) {
    return failure(DeviceError::kFileUnreadable, "not a regular file");
  }
  if (static_cast<std::uintmax_t>(status.st_size) > kMaxWaveFileBytes) {
    return failure(DeviceError::kFileTooLarge, std::to_string(status.st_size) + " bytes");
  }
  bytes.resize(static_cast<std::size_t>(status.st_size));
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t got = ::read(file.get(), bytes.data() + done, bytes.size() - done);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return failure(DeviceError::kFileUnreadable, std::strerror(errno));
    if (got == 0) break;  // shrank while being read
    done += static_cast<std::size_t>(got);
  }
  bytes.resize(done);
  if (bytes.empty()) return failure(DeviceError::kFileEmpty, "0 bytes");
  return {};
}

// The decoder reads from memory, so what it reports is about the content, never about the disk.
struct MemoryReader {
  const std::vector<char>& bytes;
  sf_count_t position = 0;
};

sf_count_t memoryLength(void* user) {
  return static_cast<sf_count_t>(static_cast<MemoryReader*>(user)->bytes.size());
}

sf_count_t memorySeek(sf_count_t offset, int whence, void* user) {
  auto& reader = *static_cast<MemoryReader*>(user);
  const auto size = static_cast<sf_count_t>(reader.bytes.size());
  sf_count_t target = offset;
  if (whence == SEEK_CUR) target += reader.position;
  if (whence == SEEK_END) target += size;
  reader.position = std::clamp<sf_count_t>(target, 0, size);
  return reader.position;
}

sf_count_t memoryRead(void* destination, sf_count_t count, void* user) {
  auto& reader = *static_cast<MemoryReader*>(user);
  const auto size = static_cast<sf_count_t>(reader.bytes.size());
  const sf_count_t n = std::clamp<sf_count_t>(size - reader.position, 0, count);
  std::memcpy(destination, reader.bytes.data() + reader.position, static_cast<std::size_t>(n));
  reader.position += n;
  return n;
}

sf_count_t memoryWrite(const void*, sf_count_t, void*) { return 0; }

sf_count_t memoryTell(void* user) { return static_cast<MemoryReader*>(user)->position; }

// True when the bytes begin like a RIFF-family wave file, so that a failure to decode them means
// a damaged wave file rather than some other kind of file.
bool looksLikeWave(const std::vector<char>& bytes) {
  const std::string_view head(bytes.data(), std::min<std::size_t>(bytes.size(), 4));
  return head == "RIFF" || head == "RIFX" || head == "RF64" ||
         std::string_view("RIFF").starts_with(head);
}

class SoundFile {
 public:
  explicit SoundFile(SNDFILE* file) : file_(file) {}
  ~SoundFile() {
    if (file_ != nullptr) sf_close(file_);
  }
  SoundFile(const SoundFile&) = delete;
  SoundFile& operator=(const SoundFile&) = delete;
  SNDFILE* get() const { return file_; }

 private:
  SNDFILE* file_;
};

// One sample from full scale = 1, clipped: a floating-point sample beyond full scale would
// otherwise wrap around into a loud click.
std::int16_t toSample(double value) {
  if (std::isnan(value)) return 0;
  return static_cast<std::int16_t>(std::lround(std::clamp(value * 32768.0, -32768.0, 32767.0)));
}

// Appends one frame of `in` channels as `out` (1 or 2) channels. Beyond two channels, the even
// ones are averaged into the left and the odd ones into the right, which keeps the loudness of a
// sound that is the same on every channel.
void appendFrame(const float* frame, int in, int out, std::vector<std::int16_t>& samples) {
  if (in == out) {
    for (int c = 0; c < in; ++c) samples.push_back(toSample(frame[c]));
    return;
  }
  for (int side = 0; side < out; ++side) {
    double sum = 0.0;
    int count = 0;
    for (int c = side; c < in; c += out) {
      sum += frame[c];
      ++count;
    }
    samples.push_back(toSample(sum / count));
  }
}

}  // namespace

DecodeResult decodeWaveFile(const std::filesystem::path& path) {
  std::vector<char> bytes;
  if (DecodeResult read = readFile(path, bytes); read.error != DeviceError::kNone) return read;

  SF_VIRTUAL_IO io{memoryLength, memorySeek, memoryRead, memoryWrite, memoryTell};
  MemoryReader reader{bytes};
  SF_INFO info{};
  SoundFile file(sf_open_virtual(&io, SFM_READ, &info, &reader));
  if (file.get() == nullptr) {
    const DeviceError error =
        looksLikeWave(bytes) ? DeviceError::kFileDamaged : DeviceError::kNotWaveFile;
    return failure(error, sf_strerror(nullptr));
  }
  const int major = info.format & SF_FORMAT_TYPEMASK;
  if (major != SF_FORMAT_WAV && major != SF_FORMAT_WAVEX) {
    SF_FORMAT_INFO format{};
    format.format = major;
    sf_command(nullptr, SFC_GET_FORMAT_INFO, &format, sizeof format);
    return failure(DeviceError::kNotWaveFile, format.name != nullptr ? format.name : "");
  }
  if (info.channels <= 0 || info.samplerate <= 0) {
    return failure(DeviceError::kFileDamaged, "no channels or no sample rate");
  }
  if (info.frames <= 0) return failure(DeviceError::kFileEmpty, "no samples");
  if (static_cast<std::uintmax_t>(info.frames) * static_cast<std::uintmax_t>(info.channels) >
      kMaxDecodedSamples) {
    return failure(DeviceError::kFileTooLarge, std::to_string(info.frames) + " frames");
  }

  // Read as floating point, which the library scales to full scale = 1 for every encoding;
  // reading floating-point files as integers directly would truncate their samples to nothing.
  const int channels = std::min(info.channels, 2);
  DecodeResult result;
  result.wave.sampleRate = info.samplerate;
  result.wave.channels = channels;
  result.wave.samples.reserve(static_cast<std::size_t>(info.frames) * channels);
  const sf_count_t kChunkFrames = std::max(1, 65536 / info.channels);
  std::vector<float> chunk(static_cast<std::size_t>(kChunkFrames) * info.channels);
  for (;;) {
    const sf_count_t frames = sf_readf_float(file.get(), chunk.data(), kChunkFrames);
    if (frames <= 0) break;
    for (sf_count_t frame = 0; frame < frames; ++frame) {
      appendFrame(&chunk[static_cast<std::size_t>(frame) * info.channels], info.channels, channels,
                  result.wave.samples);
    }
  }
  // A data chunk cut short still plays as far as it goes.
  if (result.wave.samples.empty())
    return failure(DeviceError::kFileDamaged, sf_strerror(file.get()));
  return result;
}

}  // namespace sound
