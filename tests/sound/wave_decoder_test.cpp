#include "sound/wave_decoder.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "support/cue_files.h"

namespace {

struct Encoding {
  const char* name;
  int format;
  int channels;
  int sampleRate;
  int tolerance;  // how far a decoded sample may be from the one written
};

void PrintTo(const Encoding& row, std::ostream* out) { *out << row.name; }

class WaveDecoding : public testing::TestWithParam<Encoding> {};

// A ramp of distinct values through most of the 16-bit range, so any reordering or scaling shows.
std::vector<std::int16_t> ramp(std::size_t count) {
  std::vector<std::int16_t> samples(count);
  for (std::size_t i = 0; i < count; ++i) {
    samples[i] =
        static_cast<std::int16_t>(std::lround(30000.0 * std::sin(0.01 * static_cast<double>(i))));
  }
  return samples;
}

TEST_P(WaveDecoding, GivesBackWhatWasWrittenAs16BitSamples) {
  const Encoding& row = GetParam();
  sound_test::ScratchFolder folder;
  const std::vector<std::int16_t> written = ramp(4000 * static_cast<std::size_t>(row.channels));
  SF_INFO info{};
  info.samplerate = row.sampleRate;
  info.channels = row.channels;
  info.format = row.format;
  SNDFILE* file = sf_open("cue.wav", SFM_WRITE, &info);
  ASSERT_NE(file, nullptr) << sf_strerror(nullptr);
  sf_writef_short(file, written.data(), 4000);
  sf_close(file);

  const sound::DecodeResult result = sound::decodeWaveFile("cue.wav");
  ASSERT_EQ(result.error, sound::DeviceError::kNone) << result.detail;
  EXPECT_EQ(result.wave.sampleRate, row.sampleRate);
  EXPECT_EQ(result.wave.channels, row.channels);
  ASSERT_GE(result.wave.frames(), 4000u);  // block codecs pad their last block
  int worst = 0;
  for (std::size_t i = 0; i < written.size(); ++i) {
    worst = std::max(worst, std::abs(result.wave.samples[i] - written[i]));
  }
  EXPECT_LE(worst, row.tolerance);
}

INSTANTIATE_TEST_SUITE_P(
    Encodings, WaveDecoding,
    testing::Values(Encoding{"Pcm16Mono", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 1, 44100, 0},
                    Encoding{"Pcm24Stereo48k", SF_FORMAT_WAV | SF_FORMAT_PCM_24, 2, 48000, 0},
                    Encoding{"Unsigned8", SF_FORMAT_WAV | SF_FORMAT_PCM_U8, 1, 22050, 256},
                    Encoding{"Float", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 1, 44100, 1},
                    Encoding{"MuLaw", SF_FORMAT_WAV | SF_FORMAT_ULAW, 1, 8000, 1100},
                    Encoding{"Extensible", SF_FORMAT_WAVEX | SF_FORMAT_PCM_16, 2, 44100, 0}),
    [](const testing::TestParamInfo<Encoding>& info) { return std::string(info.param.name); });

TEST(WaveDecoding, RefusesFilesTooLargeForACueBeforeReadingThem) {
  sound_test::ScratchFolder folder;
  sound_test::placeCueFile(folder.path(), "huge.wav", sound_test::CueFile::kInitChime);
  std::filesystem::resize_file("huge.wav", sound::kMaxWaveFileBytes + 1);  // sparse
  EXPECT_EQ(sound::decodeWaveFile("huge.wav").error, sound::DeviceError::kFileTooLarge);
}

}  // namespace
