// The multimedia control playing into an audio server of the test's own, with everything the
// server renders captured sample by sample and compared with the cues.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <vector>

#include "sound/cue_player.h"
#include "sound/multimedia_control.h"
#include "support/audio_test_main.h"
#include "support/capture_analysis.h"
#include "support/cue_files.h"
#include "support/direct_control.h"
#include "support/event_pump.h"
#include "tools/chime_synth.h"

namespace {

using namespace std::chrono_literals;
using sound::DeviceError;
using MultimediaControl = sound_test::DirectControl;
using sound_test::Clock;
using sound_test::CueFile;
using sound_test::testServer;

constexpr double kSilence = 0.001;  // -60 dBFS: what the server renders with nothing playing
constexpr double kHeard = 0.05;     // -26 dBFS: a chime, clearly

double milliseconds(Clock::duration duration) {
  return std::chrono::duration<double, std::milli>(duration).count();
}

void waitUntil(Clock::time_point when) {
  const auto now = Clock::now();
  if (when > now) {
    sound_test::runEventLoopFor(std::chrono::ceil<std::chrono::milliseconds>(when - now));
  }
}

// Whether the server lists no playback stream within a second: the program has closed its last.
bool noStreamLeft() {
  return sound_test::runEventLoopUntil([] { return testServer().playbackStreams().empty(); }, 1s);
}

// Runs the event loop until the server has rendered everything up to the time.
void waitForCapture(Clock::time_point until) {
  const auto deadline = until + 3s;
  while (testServer().capture().sampleAt(until) >= testServer().capture().size() &&
         Clock::now() < deadline) {
    sound_test::runEventLoopFor(20ms);
  }
}

class RealSound : public testing::Test {
 protected:
  RealSound() {
    sound_test::placeCueFile(folder_.path(), sound::kInitCue, CueFile::kInitChime);
    sound_test::placeCueFile(folder_.path(), sound::kExitCue, CueFile::kExitChime);
  }

  double loudest(const std::vector<std::int16_t>& samples, Clock::time_point from,
                 Clock::time_point to) const {
    return sound_test::loudestWindow(samples, testServer().capture().sampleAt(from),
                                     testServer().capture().sampleAt(to));
  }

  std::vector<sound_test::HeardCue> find(const std::vector<std::int16_t>& samples,
                                         const std::vector<std::int16_t>& cue) const {
    return sound_test::findCue(samples, cue, testStart_);
  }

  sound_test::ScratchFolder folder_;
  const std::size_t testStart_ =
      testServer().capture().size();  // what earlier tests left is not ours
  const std::vector<std::int16_t> initChime_ = chimes::initChime();
  const std::vector<std::int16_t> exitChime_ = chimes::exitChime();
};

TEST_F(RealSound, EveryPressIsHeardFromItsStartAndCutsOffTheChimeBefore) {
  // The gaps between ten presses of "Init", then "Exit".
  const std::vector<std::chrono::milliseconds> gaps = {200ms, 300ms,  450ms, 700ms,  2000ms,
                                                       250ms, 1000ms, 350ms, 1500ms, 600ms};
  const auto chimeLength =
      std::chrono::duration<double>(static_cast<double>(initChime_.size()) / chimes::kSampleRate);
  MultimediaControl control;

  const Clock::time_point first = Clock::now() + 300ms;
  std::vector<Clock::time_point> presses;
  Clock::time_point next = first;
  for (std::size_t press = 0; press <= gaps.size(); ++press) {
    waitUntil(next);
    presses.push_back(Clock::now());
    sound::playCue(control, press < gaps.size() ? sound::kInitCue : sound::kExitCue);
    EXPECT_EQ(control.error(), DeviceError::kNone) << control.errorText();
    EXPECT_TRUE(control.isPlaying());
    if (press < gaps.size()) next += gaps[press];
  }
  const Clock::time_point end = presses.back() + 1800ms;
  waitUntil(end);
  waitForCapture(end);
  const std::vector<std::int16_t> samples = testServer().capture().samples();
  EXPECT_FALSE(control.isPlaying()) << "the Exit chime played out";
  EXPECT_TRUE(noStreamLeft()) << "a stream outlived its chime";

  EXPECT_LT(loudest(samples, first - 300ms, presses.front()), kSilence) << "sound before the press";
  const std::vector<sound_test::HeardCue> heard = find(samples, initChime_);
  const std::vector<sound_test::HeardCue> closing = find(samples, exitChime_);
  ASSERT_EQ(heard.size(), gaps.size()) << "times the Init chime began from its start";
  ASSERT_EQ(closing.size(), 1u) << "times the Exit chime began from its start";

  std::vector<double> latencies;
  for (std::size_t press = 0; press < presses.size(); ++press) {
    const bool isExit = press == gaps.size();
    const sound_test::HeardCue& cue = isExit ? closing.front() : heard[press];
    const auto onset = testServer().capture().timeOf(cue.start);
    latencies.push_back(milliseconds(onset - presses[press]));
    EXPECT_GT(loudest(samples, presses[press], presses[press] + 1s), kHeard) << "press " << press;
    EXPECT_GT(onset, presses[press] - 50ms) << "press " << press << " heard before it was made";
    EXPECT_LT(onset, presses[press] + 1s) << "press " << press;
    if (isExit) {
      EXPECT_EQ(cue.length, exitChime_.size()) << "the Exit chime played out";
      continue;
    }
    const Clock::duration gap = presses[press + 1] - presses[press];
    const std::size_t nextStart =
        press + 1 < heard.size() ? heard[press + 1].start : closing.front().start;
    EXPECT_LE(cue.start + cue.length, nextStart) << "press " << press;
    if (gap > chimeLength + 300ms) {
      EXPECT_EQ(cue.length, initChime_.size()) << "press " << press << " played out";
    } else if (gap < chimeLength - 300ms) {
      // Cut off by the next press, not before it, and silent until the next chime begins.
      EXPECT_LT(cue.length, initChime_.size()) << "press " << press << " was not cut off";
      EXPECT_GT(testServer().capture().timeOf(cue.start + cue.length), presses[press + 1] - 100ms)
          << "press " << press << " stopped before the next press";
      EXPECT_LT(sound_test::loudestWindow(samples, cue.start + cue.length + 8, nextStart), kSilence)
          << "press " << press << " went on after it was cut off";
    }
  }

  std::vector<double> sorted = latencies;
  std::sort(sorted.begin(), sorted.end());
  std::printf("press-to-chime latency (ms), press by press:");
  for (double latency : latencies) std::printf(" %.0f", latency);
  std::printf("\nlatency min %.0f ms, median %.0f ms, max %.0f ms\n", sorted.front(),
              sorted[sorted.size() / 2], sorted.back());
  RecordProperty("latency_median_ms", static_cast<int>(sorted[sorted.size() / 2]));
  RecordProperty("latency_max_ms", static_cast<int>(sorted.back()));
}

// How a second chime is ended, after a first one that played out, and when.
enum class Ending { kDestroy, kStop, kClose };

struct EndingCase {
  const char* name;
  Ending ending;
  std::chrono::milliseconds after;  // 0: in the same turn of the event loop as its "Sound"
};

void PrintTo(const EndingCase& row, std::ostream* out) { *out << row.name; }

class RealSoundEnding : public RealSound, public testing::WithParamInterface<EndingCase> {};

TEST_P(RealSoundEnding, SilencesTheChimeAtOnceAndLeavesNoStream) {
  const EndingCase& row = GetParam();
  auto control = std::make_unique<MultimediaControl>();
  sound::playCue(*control, sound::kInitCue);
  ASSERT_TRUE(sound_test::runEventLoopUntil([&] { return !control->isPlaying(); }, 3s));
  EXPECT_EQ(control->error(), DeviceError::kNone) << control->errorText();
  EXPECT_TRUE(noStreamLeft()) << "the stream outlived the chime that played out";

  sound::playCue(*control, sound::kInitCue);
  if (row.after > 0ms) sound_test::runEventLoopFor(row.after);
  const auto ended = Clock::now();
  switch (row.ending) {
    case Ending::kDestroy:
      control.reset();
      break;
    case Ending::kStop:
      platform::setProperty(*control, sound::kDispatchCommand, sound::kCommandStop);
      break;
    case Ending::kClose:
      platform::setProperty(*control, sound::kDispatchCommand, sound::kCommandClose);
      break;
  }
  EXPECT_LT(Clock::now() - ended, 300ms);
  if (control) {
    EXPECT_FALSE(control->isPlaying());
  }
  waitUntil(ended + 800ms);
  waitForCapture(ended + 800ms);

  const std::vector<std::int16_t> samples = testServer().capture().samples();
  const auto heard = find(samples, initChime_);
  ASSERT_EQ(heard.size(), row.after > 0ms ? 2u : 1u) << "chimes heard from their start";
  EXPECT_EQ(heard.front().length, initChime_.size()) << "the first chime played out";
  if (row.after > 0ms) {
    EXPECT_LT(heard.back().length, initChime_.size()) << "not cut off";
  }
  EXPECT_LT(loudest(samples, ended + 150ms, ended + 800ms), kSilence);
  EXPECT_TRUE(noStreamLeft()) << "the stream outlived its chime";
}

INSTANTIATE_TEST_SUITE_P(
    Endings, RealSoundEnding,
    testing::Values(EndingCase{"DestroyedMidChime", Ending::kDestroy, 400ms},
                    EndingCase{"StoppedMidChime", Ending::kStop, 400ms},
                    EndingCase{"ClosedMidChime", Ending::kClose, 400ms},
                    // Its stream still being made: the service has not listed it yet.
                    EndingCase{"StoppedAsItStarts", Ending::kStop, 0ms}),
    [](const testing::TestParamInfo<EndingCase>& info) { return std::string(info.param.name); });

struct BrokenCue {
  const char* name;
  CueFile file;
  DeviceError error;
};

void PrintTo(const BrokenCue& row, std::ostream* out) { *out << row.name; }

class RealSoundBrokenCue : public RealSound, public testing::WithParamInterface<BrokenCue> {};

TEST_P(RealSoundBrokenCue, IsSilentRecordedAndLeavesTheControlWorking) {
  const BrokenCue& row = GetParam();
  sound_test::placeCueFile(folder_.path(), sound::kInitCue, row.file);
  auto control = std::make_unique<MultimediaControl>();

  const auto pressed = Clock::now();
  sound::playCue(*control, sound::kInitCue);
  EXPECT_LT(Clock::now() - pressed, 500ms) << "the cue held up its caller";
  EXPECT_EQ(control->error(), row.error) << control->errorText();
  EXPECT_FALSE(control->isPlaying());
  waitUntil(pressed + 1s);
  waitForCapture(pressed + 1s);
  EXPECT_LT(loudest(testServer().capture().samples(), pressed, pressed + 1s), kSilence);

  // The next cue, with its file in place, plays as if nothing had happened.
  const auto again = Clock::now();
  sound::playCue(*control, sound::kExitCue);
  EXPECT_EQ(control->error(), DeviceError::kNone) << control->errorText();
  waitUntil(again + 1s);
  waitForCapture(again + 1s);
  EXPECT_GT(loudest(testServer().capture().samples(), again, again + 1s), kHeard);

  const auto destroyed = Clock::now();
  control.reset();
  EXPECT_LT(Clock::now() - destroyed, 300ms);
}

INSTANTIATE_TEST_SUITE_P(
    Files, RealSoundBrokenCue,
    testing::Values(BrokenCue{"Missing", CueFile::kMissing, DeviceError::kFileNotFound},
                    BrokenCue{"Empty", CueFile::kEmpty, DeviceError::kFileEmpty},
                    BrokenCue{"Truncated", CueFile::kTruncated, DeviceError::kFileDamaged},
                    BrokenCue{"NotWave", CueFile::kFlac, DeviceError::kNotWaveFile}),
    [](const testing::TestParamInfo<BrokenCue>& info) { return std::string(info.param.name); });

}  // namespace
