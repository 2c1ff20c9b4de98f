#include "sound/module/wave_decoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "support/cue_files.h"

namespace {

struct Encoding {
  const char* name;
  sound_test::WaveLayout layout;
  int tolerance;  // how far a decoded sample may be from the written one, in 16-bit steps
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

TEST_P(WaveDecoding, GivesBackEveryEncodingAtItsTrueLoudness) {
  const Encoding& row = GetParam();
  sound_test::ScratchFolder folder;
  const std::vector<double> signal = halfScaleTone(4000);
  {
    std::ofstream out("cue.wav", std::ios::binary);
    out << sound_test::waveBytes(row.layout, signal);
  }

  const sound::DecodeResult result = sound::decodeWaveFile("cue.wav");
  ASSERT_EQ(result.error, sound::DeviceError::kNone) << result.detail;
  EXPECT_EQ(result.wave.sampleRate, static_cast<int>(row.layout.sampleRate));
  EXPECT_EQ(result.wave.channels, std::min(row.layout.channels, 2));  // more are mixed down
  ASSERT_EQ(result.wave.frames(), signal.size());
  int worst = 0;
  for (std::size_t i = 0; i < result.wave.samples.size(); ++i) {
    const auto expected = std::lround(signal[i / result.wave.channels] * 32768.0);
    worst = std::max(worst, static_cast<int>(std::abs(result.wave.samples[i] - expected)));
  }
  EXPECT_LE(worst, row.tolerance);
}

INSTANTIATE_TEST_SUITE_P(Encodings, WaveDecoding,
                         testing::Values(Encoding{"Unsigned8", {1, 8, 1, 22050}, 300},
                                         Encoding{"Pcm16Mono", {1, 16, 1, 44100}, 2},
                                         Encoding{"Pcm24Stereo48k", {1, 24, 2, 48000}, 2},
                                         Encoding{"Pcm32", {1, 32, 1, 44100}, 2},
                                         Encoding{"Float32", {3, 32, 1, 44100}, 2},
                                         Encoding{"Float64", {3, 64, 2, 96000}, 2},
                                         // Half a step of the loudest segment they reach.
                                         Encoding{"MuLaw", {7, 8, 1, 8000}, 512},
                                         Encoding{"ALawStereo", {6, 8, 2, 8000}, 512},
                                         Encoding{"ExtensiblePcm16", {1, 16, 2, 44100, true}, 2},
                                         Encoding{"ExtensibleFloat", {3, 32, 1, 32000, true}, 2},
                                         Encoding{"SixChannels", {1, 16, 6, 44100}, 2},
                                         Encoding{"TwoHundredChannels", {1, 16, 200, 8000}, 2}),
                         [](const testing::TestParamInfo<Encoding>& info) {
                           return std::string(info.param.name);
                         });

TEST(WaveDecoding, RefusesFilesTooLargeForACueBeforeReadingThem) {
  sound_test::ScratchFolder folder;
  sound_test::placeCueFile(folder.path(), "huge.wav", sound_test::CueFile::kInitChime);
  std::filesystem::resize_file("huge.wav", sound::kMaxWaveFileBytes + 1);  // sparse
  EXPECT_EQ(sound::decodeWaveFile("huge.wav").error, sound::DeviceError::kFileTooLarge);
}

}  // namespace
