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
// A format chunk's fields: tag, channels, rate, bytes a second, block size, bits a sample; and in
// an extensible one, then the extension's size, valid bits, channel mask and sub-format.
constexpr std::size_t kFormatBytes = 16;
constexpr std::size_t kExtensibleBytes = 40;

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

WaveChunks refusal(DeviceError error, std::string detail) {
  WaveChunks refused;
  refused.error = error;
  refused.detail = std::move(detail);
  return refused;
}

WaveChunks damaged(std::string detail) {
  return refusal(DeviceError::kFileDamaged, std::move(detail));
}

// Why a format chunk's body (of kFormatBytes at least) names an encoding that is not decoded.
WaveChunks checkFormat(const Numbers& body) {
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
      return refusal(DeviceError::kEncodingRefused, prefix + "unknown sub-format");
    }
  }
  if (!accepted(tag, bits)) {
    return refusal(DeviceError::kEncodingRefused, prefix + encodingName(tag, bits));
  }
  return {};
}

void putSize(std::string& out, std::size_t size, bool bigEndian) {
  for (int i = 0; i < 4; ++i) {
    out.push_back(static_cast<char>(size >> (8 * (bigEndian ? 3 - i : i)) & 0xFF));
  }
}

}  // namespace

WaveChunks checkWaveHeader(std::string_view bytes) {
  const std::string_view id = bytes.substr(0, 4);
  if (id != "RIFF" && id != "RIFX" && id != "RF64") {
    // A file cut off inside its very first word began like a wave file.
    if (!id.empty() && id.size() < 4 && std::string_view("RIFF").starts_with(id)) {
      return damaged("cut short in its header");
    }
    return refusal(DeviceError::kNotWaveFile, "no RIFF, RIFX or RF64 header");
  }
  if (bytes.size() < 12) return damaged("cut short in its header");
  if (bytes.substr(8, 4) != "WAVE") {
    return refusal(DeviceError::kNotWaveFile, "a RIFF file of another kind");
  }
  WaveChunks found;
  found.bigEndian = id == "RIFX";
  const Numbers numbers{bytes, found.bigEndian};
  // Chunk by chunk, each padded to an even size, up to the data chunk; a size that runs past the
  // end ends the walk, and a data chunk cut short holds what the bytes hold.
  for (std::size_t at = 12; at + 8 <= bytes.size();) {
    const std::string_view chunk = bytes.substr(at, 4);
    const std::size_t size = numbers.at(at + 4, 4);
    const std::string_view body = bytes.substr(at + 8, size);
    if (chunk == "fmt " && found.format.empty()) {
      if (size < kFormatBytes) return damaged("format chunk of " + std::to_string(size) + " bytes");
      if (body.size() < size) return damaged("format chunk cut short");
      WaveChunks refused = checkFormat({body, found.bigEndian});
      if (refused.error != DeviceError::kNone) return refused;
      found.format = body;
    } else if (chunk == "data") {
      if (found.format.empty()) return damaged("sound data before the format chunk");
      found.samples = body;
      return found;
    }
    if (body.size() < size) break;
    at += 8 + size + size % 2;
  }
  return damaged(found.format.empty() ? "no format chunk" : "no data chunk");
}

std::string plainHeader(const WaveChunks& chunks) {
  const std::size_t formatSize = chunks.format.size() + chunks.format.size() % 2;
  std::string header = chunks.bigEndian ? "RIFX" : "RIFF";
  putSize(header, 4 + 8 + formatSize + 8 + chunks.samples.size(), chunks.bigEndian);
  header += "WAVEfmt ";
  putSize(header, chunks.format.size(), chunks.bigEndian);
  header += chunks.format;
  header.resize(header.size() + formatSize - chunks.format.size(), '\0');
  header += "data";
  putSize(header, chunks.samples.size(), chunks.bigEndian);
  return header;
}

}  // namespace sound
