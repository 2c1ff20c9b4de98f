// The audio server failing under a playing chime: the control notes it, the caller is never held
// up, and the control goes at once. The server is broken on purpose, so each test process starts
// its own, and the test that kills it comes last.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>

#include "sound/cue_player.h"
#include "sound/multimedia_control.h"
#include "support/audio_test_main.h"
#include "support/cue_files.h"
#include "support/direct_control.h"
#include "support/event_pump.h"

namespace {

using namespace std::chrono_literals;
using sound::DeviceError;
using MultimediaControl = sound_test::DirectControl;
using sound_test::Clock;
using sound_test::CueFile;
using sound_test::testServer;

class AudioServiceFailure : public testing::Test {
 protected:
  AudioServiceFailure() {
    sound_test::placeCueFile(folder_.path(), sound::kInitCue, CueFile::kInitChime);
  }
  sound_test::ScratchFolder folder_;
};

TEST_F(AudioServiceFailure, AControlOnAHungServerIsDestroyedAtOnce) {
  auto control = std::make_unique<MultimediaControl>();
  sound::playCue(*control, sound::kInitCue);
  ASSERT_EQ(control->error(), DeviceError::kNone) << control->errorText();
  sound_test::runEventLoopFor(300ms);
  testServer().suspend();
  sound_test::runEventLoopFor(200ms);

  const auto destroyed = Clock::now();
  control.reset();
  EXPECT_LT(Clock::now() - destroyed, 300ms);
  testServer().resume();
}

TEST_F(AudioServiceFailure, AServerThatDiesMidChimeIsRecordedAndHoldsNothingUp) {
  auto control = std::make_unique<MultimediaControl>();
  sound::playCue(*control, sound::kInitCue);
  ASSERT_EQ(control->error(), DeviceError::kNone) << control->errorText();
  sound_test::runEventLoopFor(300ms);
  testServer().kill();
  sound_test::runEventLoopFor(500ms);
  EXPECT_EQ(control->error(), DeviceError::kAudioDeviceFailed) << control->errorText();
  EXPECT_FALSE(control->isPlaying());

  // The next cue finds no server to play on; it returns at once, and says so soon after.
  const auto pressed = Clock::now();
  sound::playCue(*control, sound::kInitCue);
  EXPECT_LT(Clock::now() - pressed, 500ms);
  EXPECT_TRUE(sound_test::runEventLoopUntil([&] { return !control->isPlaying(); }, 2s));
  EXPECT_TRUE(control->error() == DeviceError::kAudioDeviceFailed ||
              control->error() == DeviceError::kNoAudioDevice)
      << control->errorText();

  const auto destroyed = Clock::now();
  control.reset();
  EXPECT_LT(Clock::now() - destroyed, 300ms);
}

}  // namespace
