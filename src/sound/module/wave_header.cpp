#include "sound/module/wave_header.h"

#include <algorithm>
#include <cstdio>
#include <string>

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
// RF64's ds64 chunk: the RIFF size, the data size and the sample count, 64 bits each, then a
// table of other chunks' sizes, which a file small enough for a cue never needs. Only the data
// size is read, for the same reason as a RIFF chunk's size is not.
constexpr std::size_t kDs64Bytes = 24;
// What follows the sub-format's tag in every sub-format GUID that stands for a plain format tag.
constexpr std::string_view kGuidTail("\x80\x00\x00\xAA\x00\x38\x9B\x71", 8);

// Little- or big-endian unsigned numbers at offsets the caller has checked.
struct Numbers {
  std::string_view bytes;
  bool bigEndian;
  std::uint64_t at(std::size_t offset, int size) const {
    std::uint64_t value = 0;
    for (int i = 0; i < size; ++i) {
      const auto byte = static_cast<unsigned char>(bytes[offset + (bigEndian ? i : size - 1 - i)]);
      value = value << 8 | byte;
    }
    return value;
  }
};

// The names a refusal gives an encoding: the plain ones with their bits a sample.
struct TagName {
  std::uint64_t tag;
  const char* name;
};
constexpr TagName kTagNames[] = {{kPcm, "-bit integer PCM"}, {kFloat, "-bit floating point"},
                                 {kALaw, "-bit A-law"},      {kMuLaw, "-bit µ-law"},
                                 {0x0002, "MS ADPCM"},       {0x0011, "IMA ADPCM"},
                                 {0x0014, "G.723 ADPCM"},    {0x0031, "GSM 6.10"},
                                 {0x0040, "G.721 ADPCM"},    {0x0050, "MPEG"},
                                 {0x0055, "MPEG layer 3"}};

std::string encodingName(std::uint64_t tag, std::uint64_t bits) {
  for (const TagName& known : kTagNames) {
    if (known.tag == tag) return (known.name[0] == '-' ? std::to_string(bits) : "") + known.name;
  }
  char text[32];
  std::snprintf(text, sizeof text, "format tag 0x%04X", static_cast<unsigned>(tag));
  return text;
}

// The one list of what is decoded: a format tag and its bits a sample, and the encoding they make.
struct Accepted {
  std::uint64_t tag;
  std::uint64_t bits;
  Encoding encoding;
};
constexpr Accepted kAccepted[] = {
    {kPcm, 8, Encoding::kUnsigned8},  {kPcm, 16, Encoding::kSigned16},
    {kPcm, 24, Encoding::kSigned24},  {kPcm, 32, Encoding::kSigned32},
    {kFloat, 32, Encoding::kFloat32}, {kFloat, 64, Encoding::kFloat64},
    {kMuLaw, 8, Encoding::kMuLaw},    {kALaw, 8, Encoding::kALaw},
};

Failure damaged(std::string detail) { return {DeviceError::kFileDamaged, std::move(detail)}; }

WaveChunks refused(Failure failure) {
  WaveChunks chunks;
  chunks.failure = std::move(failure);
  return chunks;
}

// Takes a format chunk's body (of kFormatBytes at least); fills in the found encoding, channels,
// rate and channel mask, or says why the file is not played.
Failure readFormat(const Numbers& body, WaveChunks& found) {
  std::uint64_t tag = body.at(0, 2);
  const std::uint64_t bits = body.at(14, 2);
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
    found.channelMask = static_cast<std::uint32_t>(body.at(20, 4));
  }
  const auto* accepted =
      std::find_if(std::begin(kAccepted), std::end(kAccepted),
                   [&](const Accepted& a) { return a.tag == tag && a.bits == bits; });
  if (accepted == std::end(kAccepted)) {
    return {DeviceError::kEncodingRefused, prefix + encodingName(tag, bits)};
  }
  found.encoding = accepted->encoding;
  found.bytesPerSample = static_cast<int>(bits / 8);
  found.channels = static_cast<int>(body.at(2, 2));
  found.sampleRate = static_cast<std::uint32_t>(body.at(4, 4));
  if (found.channels == 0) return damaged("no channels");
  if (found.sampleRate == 0) return damaged("no sample rate");
  if (found.sampleRate < kMinPlayableRate || found.sampleRate > kMaxPlayableRate) {
    return {DeviceError::kFormatNotPlayable, std::to_string(found.sampleRate) + " Hz"};
  }
  if (found.channels > kMaxChannels) {
    return {DeviceError::kFormatNotPlayable, std::to_string(found.channels) + " channels"};
  }
  return {};
}

// Takes the first data chunk's body, as far as the file holds it; keeps its whole frames.
Failure takeSamples(std::string_view body, WaveChunks& found) {
  const auto frameBytes = static_cast<std::size_t>(found.channels) * found.bytesPerSample;
  found.samples = body.substr(0, body.size() - body.size() % frameBytes);
  const std::size_t frames = found.samples.size() / frameBytes;
  if (frames == 0) return {DeviceError::kFileEmpty, "no samples"};
  if (found.samples.size() / found.bytesPerSample > kMaxDecodedSamples) {
    return {DeviceError::kFileTooLarge, std::to_string(frames) + " frames"};
  }
  return {};
}

}  // namespace

WaveChunks checkWaveHeader(std::string_view bytes) {
  WaveChunks found;
  const std::string_view id = bytes.substr(0, 4);
  if (id != "RIFF" && id != "RIFX" && id != "RF64") {
    // A file cut off inside its very first word began like a wave file.
    if (!id.empty() && id.size() < 4 && std::string_view("RIFF").starts_with(id)) {
      found.failure = damaged("cut short in its header");
    } else {
      found.failure = {DeviceError::kNotWaveFile, "no RIFF, RIFX or RF64 header"};
    }
    return found;
  }
  if (bytes.size() < 12) return refused(damaged("cut short in its header"));
  if (bytes.substr(8, 4) != "WAVE") {
    return refused({DeviceError::kNotWaveFile, "a RIFF file of another kind"});
  }
  found.bigEndian = id == "RIFX";
  const bool rf64 = id == "RF64";
  const Numbers numbers{bytes, found.bigEndian};
  // The outer chunk's own size is not trusted: writers that never came back to it leave it short
  // or zero, and the chunks inside say where each ends.
  const std::size_t end = bytes.size();
  std::uint64_t rf64DataSize = 0;
  bool formatFound = false;
  // Chunk by chunk, each padded to an even size, up to the data chunk; a size that runs past the
  // end ends the walk, and a data chunk cut short holds what the bytes hold.
  for (std::size_t at = 12; at + 8 <= end;) {
    const std::string_view chunk = bytes.substr(at, 4);
    std::uint64_t size = numbers.at(at + 4, 4);
    if (rf64 && chunk == "data" && size == 0xFFFFFFFF) size = rf64DataSize;
    const std::string_view body = bytes.substr(at + 8, std::min<std::uint64_t>(size, end - at - 8));
    if (rf64 && at == 12) {
      // Its 32-bit sizes stand aside for the ds64 chunk's, which comes first.
      if (chunk != "ds64" || body.size() < kDs64Bytes) {
        return refused(damaged("RF64 without its ds64 chunk"));
      }
      rf64DataSize = numbers.at(at + 16, 8);
    } else if (chunk == "fmt " && !formatFound) {
      if (size < kFormatBytes) {
        return refused(damaged("format chunk of " + std::to_string(size) + " bytes"));
      }
      if (body.size() < size) return refused(damaged("format chunk cut short"));
      found.failure = readFormat({body, found.bigEndian}, found);
      if (found.failure) return found;
      formatFound = true;
    } else if (chunk == "data") {
      if (!formatFound) return refused(damaged("sound data before the format chunk"));
      found.failure = takeSamples(body, found);
      return found;
    }
    if (body.size() < size) break;
    at += 8 + size + size % 2;
  }
  return refused(damaged(formatFound ? "no data chunk" : "no format chunk"));
}

}  // namespace sound
