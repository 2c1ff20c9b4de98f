#include "sound/module/wave_decoder.h"

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string_view>

#include "sound/module/wave_header.h"

namespace sound {
namespace {

// What the audio file library reads as the file: a header written from the checked chunks, then
// the samples, in place in the file's bytes.
struct Memory {
  std::string bytes;
  std::string header;
  std::string_view samples;
  sf_count_t at = 0;

  sf_count_t size() const { return static_cast<sf_count_t>(header.size() + samples.size()); }
  // Copies up to `count` bytes from `from` on out of one of the two parts.
  static sf_count_t copy(std::string_view part, sf_count_t from, void* into, sf_count_t count) {
    const auto length = static_cast<sf_count_t>(part.size());
    if (from >= length) return 0;
    const sf_count_t n = std::min(count, length - from);
    std::memcpy(into, part.data() + from, static_cast<std::size_t>(n));
    return n;
  }
};

sf_count_t memoryLength(void* memory) { return static_cast<Memory*>(memory)->size(); }

sf_count_t memorySeek(sf_count_t offset, int whence, void* user) {
  auto& memory = *static_cast<Memory*>(user);
  const sf_count_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? memory.at : memory.size();
  sf_count_t target = 0;
  if (__builtin_add_overflow(base, offset, &target) || target < 0) return -1;
  return memory.at = target;
}

sf_count_t memoryRead(void* into, sf_count_t count, void* user) {
  auto& memory = *static_cast<Memory*>(user);
  if (count <= 0) return 0;
  const auto headerSize = static_cast<sf_count_t>(memory.header.size());
  sf_count_t n = Memory::copy(memory.header, memory.at, into, count);
  n += Memory::copy(memory.samples, std::max<sf_count_t>(0, memory.at + n - headerSize),
                    static_cast<char*>(into) + n, count - n);
  memory.at += n;
  return n;
}

sf_count_t memoryWrite(const void*, sf_count_t, void*) { return 0; }

sf_count_t memoryTell(void* memory) { return static_cast<Memory*>(memory)->at; }

// The encodings the header check lets through, as the library names them: should it ever read a
// header otherwise than the check did, nothing else is decoded all the same.
bool acceptedEncoding(int format) {
  switch (format & SF_FORMAT_SUBMASK) {
    case SF_FORMAT_PCM_S8:
    case SF_FORMAT_PCM_U8:
    case SF_FORMAT_PCM_16:
    case SF_FORMAT_PCM_24:
    case SF_FORMAT_PCM_32:
    case SF_FORMAT_FLOAT:
    case SF_FORMAT_DOUBLE:
    case SF_FORMAT_ULAW:
    case SF_FORMAT_ALAW:
      return true;
    default:
      return false;
  }
}

// The library's name for an encoding.
std::string formatName(int format) {
  SF_FORMAT_INFO info{};
  info.format = format;
  sf_command(nullptr, SFC_GET_FORMAT_INFO, &info, sizeof info);
  return info.name != nullptr ? info.name : std::to_string(format);
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

struct WaveDecoder::File {
  ~File() {
    if (sound != nullptr) sf_close(sound);
  }
  Memory memory;
  SNDFILE* sound = nullptr;
  SF_INFO info{};
  std::vector<float> chunk;
};

WaveDecoder::WaveDecoder(std::string bytes) : file_(std::make_unique<File>()) {
  file_->memory.bytes = std::move(bytes);
  open();
}

void WaveDecoder::open() {
  WaveChunks chunks = checkWaveHeader(file_->memory.bytes);
  if (chunks.error != DeviceError::kNone) return fail(chunks.error, std::move(chunks.detail));
  file_->memory.header = plainHeader(chunks);
  file_->memory.samples = chunks.samples;
  static SF_VIRTUAL_IO memoryIo{memoryLength, memorySeek, memoryRead, memoryWrite, memoryTell};
  file_->sound = sf_open_virtual(&memoryIo, SFM_READ, &file_->info, &file_->memory);
  const SF_INFO& info = file_->info;
  // Past the header check, a file the library cannot read is a damaged wave file.
  if (file_->sound == nullptr) return fail(DeviceError::kFileDamaged, sf_strerror(nullptr));
  if (!acceptedEncoding(info.format)) {
    return fail(DeviceError::kEncodingRefused, formatName(info.format & SF_FORMAT_SUBMASK));
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

DecodeResult decodeWave(std::string bytes) {
  WaveDecoder decoder(std::move(bytes));
  while (!decoder.step(65536)) {
  }
  return {decoder.error(), decoder.detail(), std::move(decoder.wave())};
}

DecodeResult decodeWaveFile(const std::filesystem::path& path) {
  CueReader reader(path);
  std::string bytes = reader.readAll();
  if (reader.error() != DeviceError::kNone) return {reader.error(), reader.detail(), {}};
  return decodeWave(std::move(bytes));
}

}  // namespace sound
