#include "sound/module/wave_decoder.h"

#include <algorithm>
#include <bit>
#include <cmath>

namespace sound {
namespace {

// The speakers of WAVE_FORMAT_EXTENSIBLE's channel mask that are on one side: front, back,
// front of centre, side, top front and top back. Every other one but the low-frequency effects
// channel is a centre one (front, back, top...) or has no known place.
constexpr std::uint32_t kLeftSpeakers = 0x1 | 0x10 | 0x40 | 0x200 | 0x1000 | 0x8000;
constexpr std::uint32_t kRightSpeakers = 0x2 | 0x20 | 0x80 | 0x400 | 0x4000 | 0x20000;
constexpr std::uint32_t kLowFrequency = 0x8;

// Takes a channel count over two and the file's channel mask (0: none, the channels take the
// speakers in the standard order); gives each channel's weight on the left, then on the right. A
// left speaker's channel is heard on the left only, a right one's on the right only, a centre
// one's and one of no known place on both. The low-frequency effects channel is left out, as a
// standard downmix does: the other channels carry the sound in full, a laptop's speakers cannot
// play what it adds, and adding it would only bring the rest closer to clipping. Each side's
// weights add up to 1, so that a sound the same on every channel keeps its level.
std::vector<double> foldWeights(int channels, std::uint32_t mask) {
  std::uint32_t unassigned = mask == 0 ? ~std::uint32_t{0} : mask;
  std::vector<double> weights(2 * static_cast<std::size_t>(channels), 0.0);
  double sums[2] = {};
  for (int c = 0; c < channels; ++c) {
    // The lowest speaker of the mask not yet taken; none once the mask runs out.
    const std::uint32_t speaker = unassigned & (~unassigned + 1);
    unassigned &= ~speaker;
    if (speaker == kLowFrequency) continue;
    const double left = (speaker & kRightSpeakers) == 0 ? 1.0 : 0.0;
    const double right = (speaker & kLeftSpeakers) == 0 ? 1.0 : 0.0;
    weights[c] = left;
    weights[channels + c] = right;
    sums[0] += left;
    sums[1] += right;
  }
  for (int c = 0; c < 2 * channels; ++c) {
    if (sums[c / channels] > 0.0) weights[c] /= sums[c / channels];
  }
  return weights;
}

// G.711: takes one code (a sign, three bits of segment and four of step; µ-law's inverted, every
// other bit of A-law's flipped); gives its 16-bit linear value.
int muLaw(unsigned code) {
  code = ~code & 0xFF;
  const int magnitude = (static_cast<int>(code & 0x0F) << 3 | 0x84) << ((code & 0x70) >> 4);
  return (code & 0x80) != 0 ? 0x84 - magnitude : magnitude - 0x84;
}

int aLaw(unsigned code) {
  code ^= 0x55;
  const unsigned segment = (code & 0x70) >> 4;
  int magnitude = static_cast<int>(code & 0x0F) << 4 | 8;
  if (segment > 0) magnitude = (magnitude + 0x100) << (segment - 1);
  return (code & 0x80) != 0 ? magnitude : -magnitude;
}

// Takes one sample's bytes, in the file's byte order and encoding; gives it as a fraction of full
// scale, which a floating-point sample may lie far outside of, or be no number at all.
double sampleAt(const unsigned char* bytes, const WaveChunks& format) {
  const int size = format.bytesPerSample;
  std::uint64_t word = 0;
  for (int i = 0; i < size; ++i) word = word << 8 | bytes[format.bigEndian ? i : size - 1 - i];
  switch (format.encoding) {
    case Encoding::kUnsigned8:
      return (static_cast<double>(word) - 128.0) / 128.0;
    case Encoding::kSigned16:
    case Encoding::kSigned24:
    case Encoding::kSigned32:
      // Its sign bit moved to the top of 64 bits: full scale at 2^63, whatever its width.
      return static_cast<double>(static_cast<std::int64_t>(word << (64 - 8 * size))) * 0x1p-63;
    case Encoding::kFloat32:
      return std::bit_cast<float>(static_cast<std::uint32_t>(word));
    case Encoding::kFloat64:
      return std::bit_cast<double>(word);
    case Encoding::kMuLaw:
      return muLaw(static_cast<unsigned>(word)) / 32768.0;
    case Encoding::kALaw:
      return aLaw(static_cast<unsigned>(word)) / 32768.0;
  }
  return 0.0;
}

// Takes a fraction of full scale, or no number at all; gives it within full scale. What lies
// beyond is clipped, infinity to full scale, and no number is silence: none of them may wrap
// around into a loud click, reach the output's mix, or spill over into another channel's side.
double withinFullScale(double value) {
  return std::isnan(value) ? 0.0 : std::clamp(value, -1.0, 1.0);
}

// Takes a fraction within full scale; gives the 16-bit sample the output plays.
std::int16_t toSample(double fraction) {
  return static_cast<std::int16_t>(std::lround(std::min(fraction * 32768.0, 32767.0)));
}

}  // namespace

WaveDecoder::WaveDecoder(std::string bytes)
    : bytes_(std::move(bytes)), chunks_(checkWaveHeader(bytes_)) {
  if (chunks_.failure) {
    std::string().swap(bytes_);
    chunks_.samples = {};
    return;
  }
  const int channels = chunks_.channels;
  wave_.sampleRate = static_cast<int>(chunks_.sampleRate);
  wave_.channels = std::min(channels, 2);
  wave_.samples.reserve(chunks_.samples.size() / chunks_.bytesPerSample / channels *
                        wave_.channels);
  frame_.resize(channels);
  if (channels > 2) weights_ = foldWeights(channels, chunks_.channelMask);
}

bool WaveDecoder::step(std::size_t samples) {
  const auto channels = static_cast<std::size_t>(std::max(chunks_.channels, 1));
  const std::size_t frameBytes = channels * chunks_.bytesPerSample;
  const std::size_t left = chunks_.samples.size() - decoded_;
  const std::size_t frames = std::min(std::max<std::size_t>(1, samples / channels),
                                      frameBytes == 0 ? 0 : left / frameBytes);
  const auto* bytes = reinterpret_cast<const unsigned char*>(chunks_.samples.data()) + decoded_;
  for (std::size_t f = 0; f < frames; ++f) {
    for (double& sample : frame_) {
      sample = withinFullScale(sampleAt(bytes, chunks_));
      bytes += chunks_.bytesPerSample;
    }
    if (channels <= 2) {
      for (const double sample : frame_) wave_.samples.push_back(toSample(sample));
      continue;
    }
    for (std::size_t side = 0; side < 2; ++side) {
      double sum = 0.0;
      for (std::size_t c = 0; c < channels; ++c) sum += weights_[side * channels + c] * frame_[c];
      wave_.samples.push_back(toSample(sum));
    }
  }
  decoded_ += frames * frameBytes;
  if (decoded_ < chunks_.samples.size()) return false;
  // Done: the file's bytes are no longer needed.
  chunks_.samples = {};
  decoded_ = 0;
  std::string().swap(bytes_);
  return true;
}

DecodeResult decodeWave(std::string bytes) {
  WaveDecoder decoder(std::move(bytes));
  while (!decoder.step(65536)) {
  }
  return {decoder.failure(), std::move(decoder.wave())};
}

DecodeResult decodeWaveFile(const std::filesystem::path& path) {
  CueReader reader(path);
  while (!reader.readSome(kMaxWaveFileBytes)) {
  }
  std::string bytes = reader.take();
  if (reader.failure()) return {reader.failure(), {}};
  return decodeWave(std::move(bytes));
}

}  // namespace sound
