#include "sound/module/wave_header.h"

#include <cstdint>
#include <cstdio>

namespace sound {
namespace {

constexpr std::uint32_t kPcm = 0x0001;
constexpr std::uint32_t kFloat = 0x0003;
constexpr std::uint32_t kALaw = 0x0006;
constexpr std::uint32_t kMuLaw = 0x0007;
constexpr std::uint32_t kExtensible = 0xFFFE;
constexpr std::size_t kFormatBytes = 16;  // tag, channels, rate, bytes a second, block, bits
constexpr std::size_t kExtensibleBytes =
    40;  // and the extension's size, valid bits, channel mask, sub-format

// What follows the sub-format's tag in every sub-format GUID that stands for a plain format tag.
constexpr std::string_view kGuidTail("\x80\x00\x00\xAA\x00\x38\x9B\x71", 8);

// Little- or big-endian unsigned numbers at offsets the caller has checked.
struct Numbers {
  std::string_view bytes;
  bool bigEndian;
  std::uint32_t at(std::size_t offset, int size) const {
    std::uint32_t value = 0;
    for (int i = 0; i < size; ++i) {
      const auto byte = static_cast<unsigned char>(bytes[offset + (bigEndian ? i : size - 1 - i)]);
      value = value << 8 | byte;
    }
    return value;
  }
};

std::string encodingName(std::uint32_t tag, std::uint32_t bits) {
  switch (tag) {
    case kPcm:
      return std::to_string(bits) + "-bit integer PCM";
    case kFloat:
      return std::to_string(bits) + "-bit floating point";
    case kALaw:
      return std::to_string(bits) + "-bit A-law";
    case kMuLaw:
      return std::to_string(bits) + "-bit µ-law";
    case 0x0002:
      return "MS ADPCM";
    case 0x0011:
      return "IMA ADPCM";
    case 0x0014:
      return "G.723 ADPCM";
    case 0x0031:
      return "GSM 6.10";
    case 0x0040:
      return "G.721 ADPCM";
    case 0x0050:
      return "MPEG";
    case 0x0055:
      return "MPEG layer 3";
    default:
      char text[32];
      std::snprintf(text, sizeof text, "format tag 0x%04X", static_cast<unsigned>(tag));
      return text;
  }
}

bool accepted(std::uint32_t tag, std::uint32_t bits) {
  switch (tag) {
    case kPcm:
      return bits == 8 || bits == 16 || bits == 24 || bits == 32;
    case kFloat:
      return bits == 32 || bits == 64;
    case kALaw:
    case kMuLaw:
      return bits == 8;
    default:
      return false;
  }
}

HeaderCheck damaged(std::string detail) { return {DeviceError::kFileDamaged, std::move(detail)}; }

// The encoding the format chunk's body names, checked.
HeaderCheck checkFormat(const Numbers& body) {
  if (body.bytes.size() < kFormatBytes) return damaged("format chunk cut short");
  std::uint32_t tag = body.at(0, 2);
  const std::uint32_t bits = body.at(14, 2);
  std::string prefix;
  if (tag == kExtensible) {
    if (body.bytes.size() < kExtensibleBytes || body.at(16, 2) < kExtensibleBytes - 18) {
      return damaged("extensible format chunk cut short");
    }
    prefix = "extensible, ";
    tag = body.at(24, 4);
    if (tag > 0xFFFF || body.at(28, 2) != 0 || body.at(30, 2) != 0x0010 ||
        body.bytes.substr(32, 8) != kGuidTail) {
      return {DeviceError::kEncodingRefused, prefix + "unknown sub-format"};
    }
  }
  if (!accepted(tag, bits))
    return {DeviceError::kEncodingRefused, prefix + encodingName(tag, bits)};
  return {};
}

}  // namespace

HeaderCheck checkWaveHeader(std::string_view bytes) {
  const std::string_view id = bytes.substr(0, 4);
  if (id != "RIFF" && id != "RIFX" && id != "RF64") {
    // A file cut off inside its very first word began like a wave file.
    if (!id.empty() && id.size() < 4 && std::string_view("RIFF").starts_with(id)) {
      return damaged("cut short in its header");
    }
    return {DeviceError::kNotWaveFile, "no RIFF, RIFX or RF64 header"};
  }
  if (bytes.size() < 12) return damaged("cut short in its header");
  if (bytes.substr(8, 4) != "WAVE")
    return {DeviceError::kNotWaveFile, "a RIFF file of another kind"};
  const Numbers numbers{bytes, id == "RIFX"};
  // The chunks before the format chunk. Each must be of even size: where an odd one ends, readers
  // disagree on whether a pad byte follows, and so on which format chunk comes next.
  for (std::size_t at = 12; bytes.size() - at >= 8;) {
    const std::string_view chunk = bytes.substr(at, 4);
    const std::uint32_t size = numbers.at(at + 4, 4);
    const std::size_t left = bytes.size() - at - 8;
    if (chunk == "fmt ") {
      if (size < kFormatBytes) return damaged("format chunk of " + std::to_string(size) + " bytes");
      if (size > left) return damaged("format chunk cut short");
      return checkFormat({bytes.substr(at + 8, size), numbers.bigEndian});
    }
    if (size % 2 != 0) return damaged("a chunk of odd size before the format chunk");
    if (size > left) break;
    at += 8 + size;
  }
  return damaged("no format chunk");
}

}  // namespace sound
