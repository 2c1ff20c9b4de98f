#include "sound/module/wave_decoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <string>
#include <vector>

#include "support/cue_files.h"

namespace {

struct Encoding {
  const char* name;
  sound_test::WaveLayout layout;
  int tolerance;  // how far a decoded sample may be from the written one, in 16-bit steps
  std::array<double, 2> heard = {1.0, 1.0};  // how loud the signal comes out, left and right
  bool extremes = false;       // some samples no number, infinite, or far beyond full scale
  bool outerSizeZero = false;  // the RIFF chunk's size never written, as a writer cut off leaves it
};

void PrintTo(const Encoding& row, std::ostream* out) { *out << row.name; }

class WaveDecoding : public testing::TestWithParam<Encoding> {};

// A tone at half of full scale: a decoder that scales wrongly (or truncates floating-point samples
// to nothing) is off by far more than any tolerance.
std::vector<double> halfScaleTone(std::size_t count) {
  std::vector<double> signal(count);
  for (std::size_t i = 0; i < count; ++i) signal[i] = 0.5 * std::sin(0.01 * static_cast<double>(i));
  return signal;
}

// What the output is to play for a value: clipped to full scale, and silence for no number.
long heardAs(double value) {
  return std::isnan(value) ? 0 : std::lround(std::clamp(value * 32768.0, -32768.0, 32767.0));
}

TEST_P(WaveDecoding, GivesBackEveryEncodingAtItsTrueLoudnessOnItsSide) {
  const Encoding& row = GetParam();
  sound_test::ScratchFolder folder;
  std::vector<double> signal = halfScaleTone(4000);
  if (row.extremes) {
    const double inf = std::numeric_limits<double>::infinity();
    const std::array extremes = {std::nan(""), inf, -inf, 1e30, -3.0, 1.5};
    std::copy(extremes.begin(), extremes.end(), signal.begin() + 10);
  }
  {
    std::ofstream out("cue.wav", std::ios::binary);
    std::string bytes = sound_test::waveBytes(row.layout, signal);
    if (row.outerSizeZero) bytes.replace(4, 4, 4, '\0');
    out << bytes;
  }

  const sound::DecodeResult result = sound::decodeWaveFile("cue.wav");
  ASSERT_FALSE(result.failure) << result.failure.detail;
  EXPECT_EQ(result.wave.sampleRate, static_cast<int>(row.layout.sampleRate));
  const int channels = result.wave.channels;
  EXPECT_EQ(channels, std::min(row.layout.channels, 2));  // more are folded into two
  // Only the data chunk's samples, nothing of what follows it.
  ASSERT_EQ(result.wave.frames(), signal.size());
  long worst[2] = {};
  for (std::size_t i = 0; i < result.wave.samples.size(); ++i) {
    const long expected = heardAs(signal[i / channels] * row.heard[i % channels]);
    worst[i % channels] =
        std::max(worst[i % channels], std::labs(result.wave.samples[i] - expected));
  }
  EXPECT_LE(worst[0], row.tolerance) << "left";
  EXPECT_LE(worst[1], row.tolerance) << "right";
}

INSTANTIATE_TEST_SUITE_P(
    Encodings, WaveDecoding,
    testing::Values(
        Encoding{"Unsigned8", {1, 8, 1, 22050}, 300}, Encoding{"Pcm16Mono", {1, 16, 1, 44100}, 2},
        Encoding{"Pcm24Stereo48k", {1, 24, 2, 48000}, 2}, Encoding{"Pcm32", {1, 32, 1, 44100}, 2},
        Encoding{"Float32", {3, 32, 1, 44100}, 2}, Encoding{"Float64", {3, 64, 2, 96000}, 2},
        // Half a step of the loudest segment they reach.
        Encoding{"MuLaw", {7, 8, 1, 8000}, 512}, Encoding{"ALawStereo", {6, 8, 2, 8000}, 512},
        Encoding{"ExtensiblePcm16", {1, 16, 2, 44100, true}, 2},
        Encoding{"ExtensibleFloat", {3, 32, 1, 32000, true}, 2},
        Encoding{"SixChannels", {1, 16, 6, 44100}, 2},
        Encoding{"TwoHundredChannels", {1, 16, 200, 8000}, 2},
        Encoding{"BigEndianPcm24Stereo",
                 {.formatTag = 1,
                  .bits = 24,
                  .channels = 2,
                  .sampleRate = 48000,
                  .container = sound_test::Container::kRifx},
                 2},
        // A second of noise after the samples.
        Encoding{"Rf64WithAChunkAfterTheData",
                 {.formatTag = 1,
                  .bits = 16,
                  .channels = 1,
                  .sampleRate = 44100,
                  .container = sound_test::Container::kRf64,
                  .bytesAfterData = 88200},
                 2},
        // The standard order: front left, front right, centre,
        // low-frequency effects, back left, back right.
        Encoding{"FivePointOneFolded",
                 {.formatTag = 1,
                  .bits = 16,
                  .channels = 6,
                  .sampleRate = 44100,
                  .gains = {1, 0, 1, 1, 0, 0}},
                 2,
                 {2.0 / 3, 1.0 / 3}},
        // Back centre, side left, side right.
        Encoding{"ChannelMaskFolded",
                 {.formatTag = 1,
                  .bits = 16,
                  .channels = 3,
                  .sampleRate = 44100,
                  .extensible = true,
                  .channelMask = 0x700,
                  .gains = {1, 0, 1}},
                 2,
                 {0.5, 1.0}},
        Encoding{"FloatNoNumberAndInfinity", {3, 32, 2, 44100}, 2, {1.0, 1.0}, true},
        Encoding{"RiffSizeNeverWritten", {1, 16, 2, 44100}, 2, {1.0, 1.0}, false, true}),
    [](const testing::TestParamInfo<Encoding>& info) { return std::string(info.param.name); });

TEST(WaveDecoding, RefusesFilesTooLargeForACueBeforeReadingThem) {
  sound_test::ScratchFolder folder;
  sound_test::placeCueFile(folder.path(), "huge.wav", sound_test::CueFile::kInitChime);
  std::filesystem::resize_file("huge.wav", sound::kMaxWaveFileBytes + 1);  // sparse
  EXPECT_EQ(sound::decodeWaveFile("huge.wav").failure.error, sound::DeviceError::kFileTooLarge);
}

}  // namespace
