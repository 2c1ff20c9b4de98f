#include "cue_files.h"

#include <stdlib.h>
#include <sys/stat.h>

#include <algorithm>
#include <bit>
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

void put(std::string& out, std::uint64_t value, int bytes, bool bigEndian = false) {
  for (int i = 0; i < bytes; ++i) {
    out.push_back(static_cast<char>((value >> (8 * (bigEndian ? bytes - 1 - i : i))) & 0xFF));
  }
}

std::string noise(std::size_t size) {
  std::string bytes(size, '\0');
  std::uint32_t state = 12345;
  for (char& c : bytes) c = static_cast<char>((state = state * 1664525u + 1013904223u) >> 24);
  return bytes;
}

// The Init chime as a 16-bit mono AIFF file: its common chunk, then its sound data, big-endian.
std::string aiffBytes(const std::vector<std::int16_t>& samples) {
  std::string common;
  put(common, 1, 2, true);
  put(common, samples.size(), 4, true);
  put(common, 16, 2, true);
  common += std::string("\x40\x0E\xAC\x44\0\0\0\0\0\0", 10);  // 44100 as an 80-bit float
  std::string data(8, '\0');                                  // no offset, no block size
  for (const std::int16_t sample : samples) put(data, static_cast<std::uint16_t>(sample), 2, true);
  std::string file = "FORM";
  put(file, 4 + 8 + common.size() + 8 + data.size(), 4, true);
  file += "AIFFCOMM";
  put(file, common.size(), 4, true);
  file += common + "SSND";
  put(file, data.size(), 4, true);
  return file + data;
}

// A FLAC stream with its stream information block alone: 44.1 kHz, mono, 16 bits, no frames.
std::string flacBytes() {
  std::string file("fLaC\x80\0\0\x22\x10\0\x10\0\0\0\0\0\0\0", 18);
  put(file, std::uint64_t{44100} << 44 | std::uint64_t{15} << 36, 8, true);
  return file + std::string(16, '\0');  // no checksum
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
  const bool bigEndian = layout.container == Container::kRifx;
  if (layout.formatTag == 6 || layout.formatTag == 7) {
    const auto sample = static_cast<int>(std::lround(value * 32767.0));
    out.push_back(static_cast<char>(layout.formatTag == 7 ? muLaw(sample) : aLaw(sample)));
  } else if (layout.formatTag == 3 && layout.bits == 32) {
    put(out, std::bit_cast<std::uint32_t>(static_cast<float>(value)), 4, bigEndian);
  } else if (layout.formatTag == 3) {
    put(out, std::bit_cast<std::uint64_t>(value), 8, bigEndian);
  } else if (layout.formatTag != 1) {
    out.push_back('\0');
  } else {
    // Full scale at 2^(bits-1), as a reader divides by it; 8 bits unsigned, around 128.
    const auto scale = std::int64_t{1} << (layout.bits - 1);
    const std::int64_t sample = std::clamp<std::int64_t>(
        std::llround(value * static_cast<double>(scale)), -scale, scale - 1);
    put(out, static_cast<std::uint64_t>(layout.bits == 8 ? sample + 128 : sample), layout.bits / 8,
        bigEndian);
  }
}

}  // namespace

std::string waveBytes(const WaveLayout& layout, const std::vector<double>& signal) {
  const bool big = layout.container == Container::kRifx;
  const int blockAlign = layout.blockAlignOverride >= 0 ? layout.blockAlignOverride
                                                        : layout.channels * layout.bits / 8;
  std::string format;
  put(format, layout.extensible ? 0xFFFE : layout.formatTag, 2, big);
  put(format, layout.channels, 2, big);
  put(format, layout.sampleRate, 4, big);
  put(format, static_cast<std::uint64_t>(layout.sampleRate) * blockAlign, 4, big);
  put(format, blockAlign, 2, big);
  put(format, layout.bits, 2, big);
  if (layout.extensible) {
    put(format, 22, 2, big);
    put(format, layout.bits, 2, big);  // valid bits
    put(format, layout.channelMask, 4, big);
    put(format, layout.formatTag, 2, big);
    format += std::string("\x00\x00\x00\x00\x10\x00\x80\x00\x00\xAA\x00\x38\x9B\x71", 14);
  }
  std::string data;
  for (double value : signal) {
    for (int c = 0; c < layout.channels; ++c) {
      putSample(data, layout.gains.empty() ? value : value * layout.gains.at(c), layout);
    }
  }
  std::string after;
  if (layout.bytesAfterData > 0) {
    after = std::string(data.size() % 2, '\0') + "junk";
    put(after, layout.bytesAfterData, 4, big);
    after += noise(layout.bytesAfterData);
  }
  const bool rf64 = layout.container == Container::kRf64;
  const std::size_t riffSize =
      4 + (rf64 ? 8 + 28 : 0) + 8 + format.size() + 8 + data.size() + after.size();
  std::string file = rf64 ? "RF64" : big ? "RIFX" : "RIFF";
  put(file, rf64 ? 0xFFFFFFFF : riffSize, 4, big);
  file += "WAVE";
  if (rf64) {
    file += "ds64";
    put(file, 28, 4);
    put(file, riffSize, 8);
    put(file, data.size(), 8);
    put(file, signal.size(), 8);  // frames
    put(file, 0, 4);              // no table of other chunks' sizes
  }
  file += "fmt ";
  put(file, format.size(), 4, big);
  file += format + "data";
  put(file, rf64 ? 0xFFFFFFFF : data.size(), 4, big);
  return file + data + after;
}

std::vector<double> signalOf(const std::vector<std::int16_t>& samples) {
  std::vector<double> signal;
  for (const std::int16_t sample : samples) signal.push_back(sample / 32768.0);
  return signal;
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
      return writeBytes(path, flacBytes());
    case CueFile::kAiff:
      return writeBytes(path, aiffBytes(chimes::initChime()));
    case CueFile::kFolder:
      std::filesystem::create_directory(path);
      return;
    case CueFile::kFifo:
      if (::mkfifo(path.c_str(), 0600) != 0) throw std::runtime_error("mkfifo failed");
      return;
    case CueFile::kSilentWave:
      return writeBytes(path, waveBytes({1, 16, 1, chimes::kSampleRate}, {}));
    case CueFile::kChopped:
      return writeBytes(
          path,
          waveBytes({1, 16, 1, chimes::kSampleRate}, signalOf(chimes::initChime())).substr(0, 20));
    case CueFile::kInitChime:
      return writeBytes(path,
                        waveBytes({1, 16, 1, chimes::kSampleRate}, signalOf(chimes::initChime())));
    case CueFile::kExitChime:
      return writeBytes(path,
                        waveBytes({1, 16, 1, chimes::kSampleRate}, signalOf(chimes::exitChime())));
    case CueFile::kFloatChime:
      return writeBytes(path,
                        waveBytes({3, 32, 1, chimes::kSampleRate}, signalOf(chimes::initChime())));
    case CueFile::kRandomBytes:
      return writeBytes(path, noise(100000));
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
    case CueFile::kTooManyChannels:
      return writeBytes(path, waveBytes({1, 16, 2000, 8000}, std::vector<double>(10, 0.5)));
    case CueFile::kZeroBlockAlign:
      return writeBytes(path,
                        waveBytes({1, 16, 2, 44100, false, 0}, std::vector<double>(100, 0.5)));
    // Their headers are what the program judges them by; their samples are not encoded.
    case CueFile::kMsAdpcm:
      return writeBytes(path, waveBytes({2, 4, 1, 22050}, std::vector<double>(100, 0.5)));
    case CueFile::kImaAdpcm:
      return writeBytes(path, waveBytes({0x11, 4, 1, 22050}, std::vector<double>(100, 0.5)));
    case CueFile::kGsm610:
      return writeBytes(path, waveBytes({0x31, 0, 1, 8000}, std::vector<double>(100, 0.5)));
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
