#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <string>
#include <vector>

#include "sound/cue_player.h"
#include "sound/module/wave_decoder.h"
#include "support/capture_analysis.h"
#include "tools/chime_synth.h"

namespace {

constexpr double kRate = chimes::kSampleRate;

// The level of one frequency in 2048 samples from the time on (Goertzel), as a fraction of full
// scale.
double toneLevel(const std::vector<std::int16_t>& samples, double atSeconds, double frequency) {
  const auto first = static_cast<std::size_t>(atSeconds * kRate);
  double re = 0.0, im = 0.0;
  std::size_t n = 0;
  for (std::size_t i = first; i < first + 2048 && i < samples.size(); ++i, ++n) {
    const double phase = 2.0 * std::numbers::pi * frequency * static_cast<double>(i) / kRate;
    re += samples[i] * std::cos(phase);
    im += samples[i] * std::sin(phase);
  }
  return n == 0 ? 0.0 : 2.0 * std::hypot(re, im) / static_cast<double>(n) / 32768.0;
}

struct Note {
  const char* name;
  double frequency;
};
constexpr Note kNotes[] = {{"C5", 523.25},  {"E5", 659.26},  {"G5", 783.99},
                           {"C6", 1046.50}, {"E6", 1318.51}, {"G6", 1567.98}};

// The strongest of the notes just after the time.
std::string strongestNote(const std::vector<std::int16_t>& samples, double atSeconds) {
  const Note* strongest = &kNotes[0];
  for (const Note& note : kNotes) {
    if (toneLevel(samples, atSeconds, note.frequency) >
        toneLevel(samples, atSeconds, strongest->frequency)) {
      strongest = &note;
    }
  }
  return strongest->name;
}

struct ChimeCase {
  const char* name;
  std::vector<std::int16_t> (*render)(int);
  std::vector<double> strikeTimes;
  std::vector<std::string> notes;  // what is heard at each strike, in order
};

void PrintTo(const ChimeCase& row, std::ostream* out) { *out << row.name; }

class Chime : public testing::TestWithParam<ChimeCase> {};

TEST_P(Chime, IsShortStartsAndEndsWithoutAClickAndFallsThroughItsNotes) {
  const ChimeCase& row = GetParam();
  const std::vector<std::int16_t> samples = row.render(chimes::kSampleRate);
  EXPECT_LT(static_cast<double>(samples.size()) / kRate, 1.5);
  EXPECT_GT(static_cast<double>(samples.size()) / kRate, 0.8);

  // Silent at both ends, rising and falling over a few milliseconds rather than jumping: the
  // first millisecond at least 20 dB, the last one at least 40 dB below the loudest moment.
  const std::size_t ms = chimes::kSampleRate / 1000;
  const double peak = sound_test::loudestWindow(samples, 0, samples.size());
  EXPECT_EQ(samples.front(), 0);
  EXPECT_EQ(samples.back(), 0);
  EXPECT_LT(sound_test::rmsLevel(samples, 0, ms), 0.1 * peak);
  EXPECT_LT(sound_test::rmsLevel(samples, samples.size() - ms, samples.size()), 0.01 * peak);
  EXPECT_GT(sound_test::loudestWindow(samples, 0, 20 * ms), 0.5 * peak) << "heard at once";
  EXPECT_LT(peak, 0.9);

  for (std::size_t strike = 0; strike < row.notes.size(); ++strike) {
    EXPECT_EQ(strongestNote(samples, row.strikeTimes[strike] + 0.03), row.notes[strike])
        << "strike " << strike;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cues, Chime,
    testing::Values(ChimeCase{"Init", chimes::initChime, {0.0, 0.36}, {"E6", "C6"}},
                    ChimeCase{"Exit", chimes::exitChime, {0.0, 0.26, 0.52}, {"G5", "E5", "C5"}}),
    [](const testing::TestParamInfo<ChimeCase>& info) { return std::string(info.param.name); });

TEST(Chime, TheExitChimeIsTheSofter) {
  const auto init = chimes::initChime(chimes::kSampleRate);
  const auto exit = chimes::exitChime(chimes::kSampleRate);
  EXPECT_LT(sound_test::rmsLevel(exit, 0, exit.size()), sound_test::rmsLevel(init, 0, init.size()));
}

// The build writes the chimes where the program is run from, as 16-bit wave files.
TEST(ChimeFiles, AreTheChimesAs16BitWaveFilesInTheRunFolder) {
  const std::filesystem::path folder = COLLATZ_RUN_DIR;
  struct ChimeFile {
    std::string_view name;
    std::vector<std::int16_t> samples;
  };
  for (const ChimeFile& chime : {ChimeFile{sound::kInitCue, chimes::initChime()},
                                 ChimeFile{sound::kExitCue, chimes::exitChime()}}) {
    const std::filesystem::path path = folder / std::string(chime.name);
    const auto size = static_cast<std::size_t>(std::filesystem::file_size(path));
    std::string bytes(size, '\0');
    std::ifstream(path, std::ios::binary).read(bytes.data(), static_cast<std::streamsize>(size));
    const sound::WaveChunks format = sound::checkWaveHeader(bytes);
    ASSERT_FALSE(format.failure) << chime.name << ": " << format.failure.detail;
    EXPECT_EQ(format.encoding, sound::Encoding::kSigned16) << chime.name;
    EXPECT_FALSE(format.bigEndian) << chime.name;
    const sound::DecodeResult decoded = sound::decodeWave(std::move(bytes));
    EXPECT_EQ(decoded.wave.sampleRate, 44100) << chime.name;
    EXPECT_EQ(decoded.wave.channels, 1) << chime.name;
    EXPECT_EQ(decoded.wave.samples, chime.samples) << chime.name;
  }
}

}  // namespace
