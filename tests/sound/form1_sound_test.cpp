// The real window under the test's own audio server: its "Init" and "Exit" buttons clicked as a
// user would, and what the server renders captured and compared with the chimes.
#include <gtest/gtest.h>

#include <QTest>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/controls.h"
#include "platform/dialogs.h"
#include "platform/label_widget.h"
#include "platform/program_end.h"
#include "platform/text_box_widget.h"
#include "sound/cue_player.h"
#include "sound/multimedia_control.h"
#include "support/audio_test_main.h"
#include "support/capture_analysis.h"
#include "support/cue_files.h"
#include "support/event_pump.h"
#include "tools/chime_synth.h"
#include "ui/form1.h"

namespace {

using namespace std::chrono_literals;
using sound::DeviceError;
using sound_test::Clock;
using sound_test::CueFile;
using sound_test::testServer;

// A user reading the closing message for a while and pressing OK. The prompt is never opened.
class ReadingUser : public platform::Dialogs {
 public:
  std::string inputBox(const std::string&, const std::string&) override {
    ADD_FAILURE() << "the experiment prompt was opened";
    return {};
  }
  int messageBox(const std::string& message, int buttons, const std::string& title) override {
    messages.push_back(title + "|" + message + "|" + std::to_string(buttons));
    shown = Clock::now();
    sound_test::runEventLoopFor(readingTime);  // the box is modal: the event loop runs on
    return platform::kAnswerOk;
  }
  std::vector<std::string> messages;
  Clock::time_point shown;
  std::chrono::milliseconds readingTime = 2000ms;
};

class EndRecorder : public platform::ProgramEnd {
 public:
  void end(int exitStatus) override {
    if (!ended_) status = exitStatus;
    ended_ = true;
  }
  bool ended() const override { return ended_; }
  int status = -1;

 private:
  bool ended_ = false;
};

class Form1Sound : public testing::Test {
 protected:
  Form1Sound() {
    auto dialogs = std::make_unique<ReadingUser>();
    auto end = std::make_unique<EndRecorder>();
    user_ = dialogs.get();
    end_ = end.get();
    // The window's own kind of control, loading the audio module as the program does.
    auto control = std::make_unique<sound::MultimediaControl>(
        std::vector<std::filesystem::path>{COLLATZ_AUDIO_MODULE});
    control_ = control.get();
    form_ = std::make_unique<ui::Form1>(
        ui::FormRuntime{std::move(dialogs), std::move(end), std::move(control)});
    form_->show();
    sound_test::runEventLoopFor(100ms);
  }

  sound::MultimediaControl& control() { return *control_; }

  void clickAt(QPushButton& button, Clock::time_point when) {
    const auto now = Clock::now();
    if (when > now) {
      sound_test::runEventLoopFor(std::chrono::ceil<std::chrono::milliseconds>(when - now));
    }
    presses_.push_back(Clock::now());
    QTest::mouseClick(&button, Qt::LeftButton);
  }

  std::vector<std::int16_t> captureUntil(Clock::time_point until) {
    const auto deadline = until + 2s;
    while (testServer().capture().sampleAt(until) >= testServer().capture().size() &&
           Clock::now() < deadline) {
      sound_test::runEventLoopFor(20ms);
    }
    return testServer().capture().samples();
  }

  // Clicks "Init" now and says how long the handler held the window.
  Clock::duration pressInit() {
    const auto pressed = Clock::now();
    clickAt(form_->command3(), pressed);
    return Clock::now() - pressed;
  }

  // Times the Init chime began from its start in what the server rendered from `from` on, until a
  // little after the time.
  std::size_t initChimesHeard(std::size_t from, Clock::time_point until) {
    return sound_test::findCue(captureUntil(until), chimes::initChime(), from).size();
  }

  sound_test::ScratchFolder folder_;
  const std::size_t testStart_ = testServer().capture().size();
  sound::MultimediaControl* control_ = nullptr;
  ReadingUser* user_ = nullptr;
  EndRecorder* end_ = nullptr;
  std::unique_ptr<ui::Form1> form_;
  std::vector<Clock::time_point> presses_;
};

TEST_F(Form1Sound, InitChimesOnEveryClickAndExitChimesWhileItsMessageIsOpen) {
  sound_test::placeCueFile(folder_.path(), sound::kInitCue, CueFile::kInitChime);
  sound_test::placeCueFile(folder_.path(), sound::kExitCue, CueFile::kExitChime);
  const std::vector<std::chrono::milliseconds> gaps = {250ms, 600ms, 1500ms, 400ms};
  Clock::time_point next = Clock::now() + 200ms;
  for (auto gap : gaps) {
    clickAt(form_->command3(), next);
    next += gap;
  }
  clickAt(form_->command2(), next);
  EXPECT_EQ(end_->status, 0);
  ASSERT_EQ(user_->messages.size(), 1u);
  EXPECT_EQ(user_->messages.front(), " Problem of (3x+1)|This software will exit.|0");
  const auto ended = Clock::now();
  // Once ended, the window runs no more handlers: a late click plays nothing.
  QTest::mouseClick(&form_->command3(), Qt::LeftButton);
  const Clock::time_point messageShown = user_->shown;
  const auto readingTime = user_->readingTime;
  form_.reset();  // the user and the recorder go with the window
  user_ = nullptr;
  end_ = nullptr;
  EXPECT_LT(Clock::now() - ended, 300ms) << "the window took long to go";

  const std::vector<std::int16_t> samples = captureUntil(ended + 300ms);
  const auto inits = sound_test::findCue(samples, chimes::initChime(), testStart_);
  const auto exits = sound_test::findCue(samples, chimes::exitChime(), testStart_);
  ASSERT_EQ(inits.size(), gaps.size()) << "Init chimes heard from their start";
  ASSERT_EQ(exits.size(), 1u) << "Exit chimes heard from their start";
  for (std::size_t press = 0; press < presses_.size(); ++press) {
    const sound_test::HeardCue& cue = press < inits.size() ? inits[press] : exits.front();
    const double latency = std::chrono::duration<double, std::milli>(
                               testServer().capture().timeOf(cue.start) - presses_[press])
                               .count();
    std::printf("click %zu: chime heard after %.0f ms\n", press, latency);
    EXPECT_LT(latency, 1000.0) << "click " << press;
  }
  // The closing chime played out while the message was being read.
  EXPECT_EQ(exits.front().length, chimes::exitChime().size());
  EXPECT_LT(testServer().capture().timeOf(exits.front().start + exits.front().length),
            messageShown + readingTime);
}

struct BrokenCues {
  const char* name;
  CueFile file;
  DeviceError error;
};

void PrintTo(const BrokenCues& row, std::ostream* out) { *out << row.name; }

class Form1BrokenCues : public Form1Sound, public testing::WithParamInterface<BrokenCues> {};

TEST_P(Form1BrokenCues, InitStillEmptiesAndExitStillEndsSilently) {
  const BrokenCues& row = GetParam();
  sound_test::placeCueFile(folder_.path(), sound::kInitCue, row.file);
  sound_test::placeCueFile(folder_.path(), sound::kExitCue, row.file);
  user_->readingTime = 300ms;
  const auto start = Clock::now();
  clickAt(form_->command3(), start);
  EXPECT_EQ(control().error(), row.error) << control().errorText();
  clickAt(form_->command2(), start + 300ms);
  EXPECT_EQ(control().error(), row.error) << control().errorText();
  EXPECT_EQ(end_->status, 0);
  EXPECT_EQ(user_->messages.size(), 1u);
  form_.reset();
  EXPECT_LT(Clock::now() - start, 2s);

  const std::vector<std::int16_t> samples = captureUntil(Clock::now() + 200ms);
  EXPECT_LT(sound_test::loudestWindow(samples, testStart_, samples.size()), 0.001);
}

INSTANTIATE_TEST_SUITE_P(
    Files, Form1BrokenCues,
    testing::Values(BrokenCues{"Absent", CueFile::kMissing, DeviceError::kFileNotFound},
                    BrokenCues{"Empty", CueFile::kEmpty, DeviceError::kFileEmpty},
                    BrokenCues{"Truncated", CueFile::kTruncated, DeviceError::kFileDamaged},
                    BrokenCues{"NotWave", CueFile::kText, DeviceError::kNotWaveFile}),
    [](const testing::TestParamInfo<BrokenCues>& info) { return std::string(info.param.name); });

// The audio service failing or a hostile cue file: the window is never held up, nothing stale
// plays, and the next chime with its file in place is heard.
enum class Trouble {
  kServerHung,      // the server stops answering just before "Init", for a second and a half
  kHostileFile,     // pinpon.wav is the row's file
  kFloatChime,      // pinpon.wav is the chime in 32-bit floating point: heard as loud as ever
  kServerReplaced,  // the server dies mid-chime and a new one takes its place
  kNoServer,        // the environment names a server that is not there, until after "Init"
};

struct TroubleCase {
  const char* name;
  Trouble trouble;
  CueFile file = CueFile::kInitChime;
};

void PrintTo(const TroubleCase& row, std::ostream* out) { *out << row.name; }

class Form1AudioTrouble : public Form1Sound, public testing::WithParamInterface<TroubleCase> {};

TEST_P(Form1AudioTrouble, NeverHoldsTheWindowAndTheNextChimePlays) {
  // A handler that waited would take the hung server's second and a half, or for ever on a FIFO;
  // the first press also loads the audio module, which under the sanitizers on a busy machine
  // takes over 100 ms, so the line is drawn well between the two.
  constexpr auto kAtOnce = 500ms;
  const TroubleCase& row = GetParam();
  sound_test::placeCueFile(folder_.path(), sound::kInitCue, row.file);
  platform::setText(form_->text1(), "34 17 52");
  platform::setCaption(form_->label1(), "n = 11");

  std::size_t before = testServer().capture().size();
  if (row.trouble == Trouble::kServerHung) testServer().suspend();
  if (row.trouble == Trouble::kNoServer) sound_test::useNoAudioServer(folder_.path() / "nothing");
  if (row.trouble == Trouble::kServerReplaced) {
    ASSERT_LT(pressInit(), kAtOnce);
    sound_test::runEventLoopFor(400ms);
    testServer().replace();
    before = testServer().capture().size();  // the chime cut off is not the one to hear
  }
  EXPECT_LT(pressInit(), kAtOnce) << "the handler held the window";
  EXPECT_EQ(form_->text1().text(), "");
  EXPECT_TRUE(form_->label1().text().isEmpty());
  const auto painting = Clock::now();
  form_->repaint();
  EXPECT_LT(Clock::now() - painting, kAtOnce) << "the window did not repaint";

  switch (row.trouble) {
    case Trouble::kServerHung:
      sound_test::runEventLoopFor(1500ms);
      testServer().resume();
      EXPECT_EQ(initChimesHeard(before, Clock::now() + 1500ms), 0u) << "a stale chime played";
      EXPECT_EQ(control().error(), DeviceError::kCueTooLate) << control().errorText();
      break;
    case Trouble::kHostileFile:
      sound_test::placeCueFile(folder_.path(), sound::kInitCue, CueFile::kInitChime);
      break;
    case Trouble::kNoServer:
      // Told at once, in the library's words, and not as a chime dropped a second later.
      EXPECT_EQ(control().error(), DeviceError::kNoAudioDevice) << control().errorText();
      EXPECT_NE(control().errorText().find("Connection refused"), std::string::npos)
          << control().errorText();
      testServer().useForThisProcess();
      break;
    case Trouble::kFloatChime: {
      const auto heard =
          sound_test::findCue(captureUntil(Clock::now() + 1500ms), chimes::initChime(), before);
      ASSERT_EQ(heard.size(), 1u) << "the floating-point chime was not heard as written";
      EXPECT_EQ(heard.front().length, chimes::initChime().size());
      return;
    }
    case Trouble::kServerReplaced:
      EXPECT_EQ(initChimesHeard(before, Clock::now() + 1500ms), 1u)
          << "not heard on the new server";
      return;
  }
  const std::size_t again = testServer().capture().size();
  EXPECT_LT(pressInit(), kAtOnce);
  EXPECT_EQ(initChimesHeard(again, Clock::now() + 1500ms), 1u) << "the next chime";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Form1AudioTrouble,
    testing::Values(TroubleCase{"ServerHung", Trouble::kServerHung},
                    TroubleCase{"Fifo", Trouble::kHostileFile, CueFile::kFifo},
                    TroubleCase{"Folder", Trouble::kHostileFile, CueFile::kFolder},
                    TroubleCase{"LinkToDevZero", Trouble::kHostileFile, CueFile::kZeroDevice},
                    TroubleCase{"FourGibibytes", Trouble::kHostileFile, CueFile::kHuge},
                    TroubleCase{"RandomBytes", Trouble::kHostileFile, CueFile::kRandomBytes},
                    TroubleCase{"OneHertz", Trouble::kHostileFile, CueFile::kOneHertz},
                    TroubleCase{"FourGigahertz", Trouble::kHostileFile, CueFile::kFourGigahertz},
                    TroubleCase{"TwoHundredChannels", Trouble::kHostileFile,
                                CueFile::kManyChannels},
                    TroubleCase{"ZeroBlockAlign", Trouble::kHostileFile, CueFile::kZeroBlockAlign},
                    TroubleCase{"FloatChime", Trouble::kFloatChime, CueFile::kFloatChime},
                    TroubleCase{"ServerReplaced", Trouble::kServerReplaced},
                    TroubleCase{"NoServer", Trouble::kNoServer}),
    [](const testing::TestParamInfo<TroubleCase>& info) { return std::string(info.param.name); });

}  // namespace
