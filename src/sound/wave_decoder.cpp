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

using FileStatus = struct stat;

FileIdentity identityOf(const FileStatus& status) {
  return {status.st_dev, status.st_ino, status.st_size,
          std::int64_t{status.st_mtim.tv_sec} * 1'000'000'000 + status.st_mtim.tv_nsec};
}

// Why what a stat found is no cue file, if it is none.
FileCheck judge(const FileStatus& status) {
  if (!S_ISREG(status.st_mode)) return {DeviceError::kFileUnreadable, "not a regular file", {}};
  if (static_cast<std::uintmax_t>(status.st_size) > kMaxWaveFileBytes) {
    return {DeviceError::kFileTooLarge, std::to_string(status.st_size) + " bytes", {}};
  }
  if (status.st_size == 0) return {DeviceError::kFileEmpty, "0 bytes", {}};
  return {DeviceError::kNone, {}, identityOf(status)};
}

FileCheck failedCall(int error) {
  const bool missing = error == ENOENT || error == ENOTDIR;
  return {missing ? DeviceError::kFileNotFound : DeviceError::kFileUnreadable,
          std::strerror(error),
          {}};
}

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

FileCheck checkCueFile(const std::filesystem::path& path) {
  FileStatus status{};
  if (::stat(path.c_str(), &status) != 0) return failedCall(errno);
  return judge(status);
}

struct WaveDecoder::File {
  ~File() {
    if (sound != nullptr) sf_close(sound);  // closes the descriptor too
  }
  SNDFILE* sound = nullptr;
  SF_INFO info{};
  std::vector<float> chunk;
};

WaveDecoder::WaveDecoder(const std::filesystem::path& path) : file_(std::make_unique<File>()) {
  open(path);
}

void WaveDecoder::open(const std::filesystem::path& path) {
  // Without blocking, so that whatever replaced the file since it was checked cannot hang here.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    FileCheck failed = failedCall(errno);
    fail(failed.error, std::move(failed.detail));
    return;
  }
  FileStatus status{};
  FileCheck check = ::fstat(fd, &status) == 0 ? judge(status) : failedCall(errno);
  if (check.error != DeviceError::kNone) {
    ::close(fd);
    return fail(check.error, std::move(check.detail));
  }
  identity_ = check.identity;
  // A file that begins like a wave file but does not decode is a damaged one, not another kind.
  char head[4] = {};
  const std::string_view start(
      head, static_cast<std::size_t>(std::max<ssize_t>(0, ::pread(fd, head, 4, 0))));
  const bool looksLikeWave = start == "RIFF" || start == "RIFX" || start == "RF64" ||
                             (!start.empty() && std::string_view("RIFF").starts_with(start));
  file_->sound = sf_open_fd(fd, SFM_READ, &file_->info, SF_TRUE);  // closes it, also on failure
  const SF_INFO& info = file_->info;
  if (file_->sound == nullptr) {
    return fail(looksLikeWave ? DeviceError::kFileDamaged : DeviceError::kNotWaveFile,
                sf_strerror(nullptr));
  }
  const int major = info.format & SF_FORMAT_TYPEMASK;
  if (major != SF_FORMAT_WAV && major != SF_FORMAT_WAVEX) {
    SF_FORMAT_INFO format{};
    format.format = major;
    sf_command(nullptr, SFC_GET_FORMAT_INFO, &format, sizeof format);
    return fail(DeviceError::kNotWaveFile, format.name != nullptr ? format.name : "");
  }
  if (info.channels <= 0 || info.samplerate <= 0) {
    return fail(DeviceError::kFileDamaged, "no channels or no sample rate");
  }
  if (info.samplerate < kMinPlayableRate || info.samplerate > kMaxPlayableRate) {
    return fail(DeviceError::kFormatNotPlayable, std::to_string(info.samplerate) + " Hz");
  }
  if (info.frames <= 0) return fail(DeviceError::kFileEmpty, "no samples");
  if (static_cast<std::uintmax_t>(info.frames) * static_cast<std::uintmax_t>(info.channels) >
      kMaxDecodedSamples) {
    return fail(DeviceError::kFileTooLarge, std::to_string(info.frames) + " frames");
  }
  wave_.sampleRate = info.samplerate;
  wave_.channels = std::min(info.channels, 2);
  wave_.samples.reserve(static_cast<std::size_t>(info.frames) * wave_.channels);
}

WaveDecoder::~WaveDecoder() = default;

void WaveDecoder::fail(DeviceError error, std::string detail) {
  error_ = error;
  detail_ = std::move(detail);
  wave_ = {};
  file_.reset();
}

bool WaveDecoder::step(std::size_t samples) {
  if (!file_) return true;
  // Read as floating point, which the library scales to full scale = 1 for every encoding;
  // reading floating-point files as integers directly would truncate their samples to nothing.
  const int in = file_->info.channels;
  const auto frames = static_cast<sf_count_t>(std::max<std::size_t>(1, samples / in));
  file_->chunk.resize(static_cast<std::size_t>(frames) * in);
  const sf_count_t got = sf_readf_float(file_->sound, file_->chunk.data(), frames);
  for (sf_count_t frame = 0; frame < got; ++frame) {
    appendFrame(&file_->chunk[static_cast<std::size_t>(frame) * in], in, wave_.channels,
                wave_.samples);
  }
  if (got > 0) return false;
  // A data chunk cut short still plays as far as it goes.
  if (wave_.samples.empty()) {
    fail(DeviceError::kFileDamaged, sf_strerror(file_->sound));
  } else {
    file_.reset();
  }
  return true;
}

DecodeResult decodeWaveFile(const std::filesystem::path& path) {
  FileCheck check = checkCueFile(path);
  if (check.error != DeviceError::kNone) return {check.error, std::move(check.detail), {}};
  WaveDecoder decoder(path);
  while (!decoder.step(65536)) {
  }
  return {decoder.error(), decoder.detail(), std::move(decoder.wave())};
}

}  // namespace sound
