#include "cue_files.h"

#include <sndfile.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "tools/chime_synth.h"

namespace sound_test {
namespace {

void writeBytes(const std::filesystem::path& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

void writeSound(const std::filesystem::path& path, int format,
                const std::vector<std::int16_t>& samples) {
  SF_INFO info{};
  info.samplerate = chimes::kSampleRate;
  info.channels = 1;
  info.format = format;
  SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
  if (file == nullptr) throw std::runtime_error("cannot write " + path.string());
  sf_writef_short(file, samples.data(), static_cast<sf_count_t>(samples.size()));
  sf_close(file);
}

void put(std::string& out, std::uint64_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

// G.711 companding of one 16-bit sample: a sign, three bits of segment (where the magnitude's
// highest bit lies) and four of step within that segment.
int segmentOf(int magnitude, int lowest) {
  int segment = 7;
  for (int mask = 0x4000; (magnitude & mask) == 0 && segment > lowest; mask >>= 1) --segment;
  return segment;
}

unsigned char muLaw(int sample) {
  const int magnitude = std::min(std::abs(sample), 32635) + 0x84;
  const int segment = segmentOf(magnitude, 0);
  const int code = segment << 4 | ((magnitude >> (segment + 3)) & 0x0F);
  return static_cast<unsigned char>(~((sample < 0 ? 0x80 : 0) | code));
}

unsigned char aLaw(int sample) {
  const int magnitude = sample < 0 ? -sample - 1 : sample;
  const int segment = magnitude < 256 ? 0 : segmentOf(magnitude, 1);
  const int code = segment << 4 | ((magnitude >> (segment == 0 ? 4 : segment + 3)) & 0x0F);
  return static_cast<unsigned char>((code | (sample < 0 ? 0 : 0x80)) ^ 0x55);
}

void putSample(std::string& out, double value, const WaveLayout& layout) {
  if (layout.formatTag == 6 || layout.formatTag == 7) {
    const auto sample = static_cast<int>(std::lround(value * 32767.0));
    out.push_back(static_cast<char>(layout.formatTag == 7 ? muLaw(sample) : aLaw(sample)));
  } else if (layout.formatTag == 3 && layout.bits == 32) {
    const float f = static_cast<float>(value);
    out.append(reinterpret_cast<const char*>(&f), 4);
  } else if (layout.formatTag == 3) {
    out.append(reinterpret_cast<const char*>(&value), 8);
  } else if (layout.bits == 8) {
    put(out, static_cast<std::uint64_t>(std::lround(value * 127.0 + 128.0)), 1);
  } else {
    const double scale = std::ldexp(1.0, layout.bits - 1) - 1.0;
    put(out, static_cast<std::uint64_t>(std::llround(value * scale)), layout.bits / 8);
  }
}

}  // namespace

std::string waveBytes(const WaveLayout& layout, const std::vector<double>& signal) {
  const int blockAlign = layout.blockAlignOverride >= 0 ? layout.blockAlignOverride
                                                        : layout.channels * layout.bits / 8;
  std::string format;
  put(format, layout.extensible ? 0xFFFE : layout.formatTag, 2);
  put(format, layout.channels, 2);
  put(format, layout.sampleRate, 4);
  put(format, static_cast<std::uint64_t>(layout.sampleRate) * blockAlign, 4);
  put(format, blockAlign, 2);
  put(format, layout.bits, 2);
  if (layout.extensible) {
    put(format, 22, 2);
    put(format, layout.bits, 2);  // valid bits
    put(format, 0, 4);            // no speaker positions
    put(format, layout.formatTag, 2);
    format += std::string("\x00\x00\x00\x00\x10\x00\x80\x00\x00\xAA\x00\x38\x9B\x71", 14);
  }
  std::string data;
  for (double value : signal) {
    for (int c = 0; c < layout.channels; ++c) putSample(data, value, layout);
  }
  std::string file = "RIFF";
  put(file, 4 + 8 + format.size() + 8 + data.size(), 4);
  file += "WAVEfmt ";
  put(file, format.size(), 4);
  file += format;
  file += "data";
  put(file, data.size(), 4);
  file += data;
  return file;
}

void placeCueFile(const std::filesystem::path& folder, std::string_view name, CueFile kind) {
  const std::filesystem::path path = folder / std::string(name);
  std::filesystem::remove_all(path);
  switch (kind) {
    case CueFile::kMissing:
      return;
    case CueFile::kEmpty:
      return writeBytes(path, "");
    case CueFile::kTruncated:
      return writeBytes(path, "RIFF\x01");
    case CueFile::kText:
      return writeBytes(path, "pin-pon: this is not a sound.\n");
    case CueFile::kFlac:
      return writeSound(path, SF_FORMAT_FLAC | SF_FORMAT_PCM_16, chimes::initChime());
    case CueFile::kAiff:
      return writeSound(path, SF_FORMAT_AIFF | SF_FORMAT_PCM_16, chimes::initChime());
    case CueFile::kFolder:
      std::filesystem::create_directory(path);
      return;
    case CueFile::kFifo:
      if (::mkfifo(path.c_str(), 0600) != 0) throw std::runtime_error("mkfifo failed");
      return;
    case CueFile::kSilentWave:
      return writeSound(path, SF_FORMAT_WAV | SF_FORMAT_PCM_16, {});
    case CueFile::kChopped: {
      writeSound(path, SF_FORMAT_WAV | SF_FORMAT_PCM_16, chimes::initChime());
      std::filesystem::resize_file(path, 20);
      return;
    }
    case CueFile::kInitChime:
      return writeSound(path, SF_FORMAT_WAV | SF_FORMAT_PCM_16, chimes::initChime());
    case CueFile::kExitChime:
      return writeSound(path, SF_FORMAT_WAV | SF_FORMAT_PCM_16, chimes::exitChime());
    case CueFile::kFloatChime: {
      std::vector<double> signal;
      for (std::int16_t sample : chimes::initChime()) signal.push_back(sample / 32768.0);
      return writeBytes(path, waveBytes({3, 32, 1, chimes::kSampleRate}, signal));
    }
    case CueFile::kRandomBytes: {
      std::string noise(100000, '\0');
      std::uint32_t state = 12345;
      for (char& c : noise) c = static_cast<char>((state = state * 1664525u + 1013904223u) >> 24);
      return writeBytes(path, noise);
    }
    case CueFile::kZeroDevice:
      return std::filesystem::create_symlink("/dev/zero", path);
    case CueFile::kHuge:
      writeBytes(path, waveBytes({1, 16, 1, 44100}, std::vector<double>(1000, 0.5)));
      std::filesystem::resize_file(path, std::uintmax_t{4} << 30);
      return;
    case CueFile::kOneHertz:
      return writeBytes(path, waveBytes({1, 16, 1, 1}, std::vector<double>(100, 0.5)));
    case CueFile::kFourGigahertz:
      return writeBytes(path, waveBytes({1, 16, 1, 4000000000u}, std::vector<double>(100, 0.5)));
    case CueFile::kManyChannels:
      return writeBytes(path, waveBytes({1, 16, 200, 44100}, std::vector<double>(4410, 0.5)));
    case CueFile::kZeroBlockAlign:
      return writeBytes(path,
                        waveBytes({1, 16, 2, 44100, false, 0}, std::vector<double>(100, 0.5)));
    case CueFile::kMsAdpcm:
      return writeSound(path, SF_FORMAT_WAV | SF_FORMAT_MS_ADPCM, chimes::initChime());
    case CueFile::kImaAdpcm:
      return writeSound(path, SF_FORMAT_WAV | SF_FORMAT_IMA_ADPCM, chimes::initChime());
    case CueFile::kGsm610:
      return writeSound(path, SF_FORMAT_WAV | SF_FORMAT_GSM610, chimes::initChime());
    case CueFile::kExtensibleAdpcm:
      return writeBytes(path, waveBytes({2, 4, 1, 22050, true}, std::vector<double>(100, 0.5)));
    case CueFile::kShortFormat: {
      // The 16-byte format chunk without its last field, the bits a sample has.
      std::string bytes = waveBytes({1, 16, 1, 44100}, std::vector<double>(100, 0.5));
      bytes.erase(34, 2);
      bytes[16] = 14;
      bytes[4] = static_cast<char>(bytes[4] - 2);
      return writeBytes(path, bytes);
    }
    case CueFile::kEndlessList: {
      // Before the samples, a list of 1.4 GB holding a sub-chunk of almost 4 GiB.
      std::string bytes = waveBytes({1, 16, 1, 8000}, std::vector<double>(100, 0.5));
      std::string list = "LIST";
      put(list, 0x57006164, 4);
      list += "JUNK";
      put(list, 0xFFFFFFF7, 4);
      bytes.insert(36, list);
      std::string riffSize;
      put(riffSize, bytes.size() - 8, 4);
      bytes.replace(4, 4, riffSize);
      return writeBytes(path, bytes);
    }
  }
}

ScratchFolder::ScratchFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "collatz-cues.XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
  previous_ = std::filesystem::current_path();
  std::filesystem::current_path(path_);
}

ScratchFolder::~ScratchFolder() {
  std::error_code ignored;
  std::filesystem::current_path(previous_, ignored);
  std::filesystem::remove_all(path_, ignored);
}

}  // namespace sound_test
