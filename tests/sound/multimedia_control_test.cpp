// The multimedia control on a machine without any audio service: every command still succeeds
// as a property set, and what went wrong is found in the control's error state.
#include "sound/multimedia_control.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>

#include "platform/runtime_error.h"
#include "sound/cue_player.h"
#include "sound/module/cue_library.h"
#include "support/cue_files.h"
#include "support/direct_control.h"
#include "support/event_pump.h"
#include "tools/chime_synth.h"

namespace {

using sound::DeviceError;
using MultimediaControl = sound_test::DirectControl;
using sound_test::CueFile;
using sound_test::ScratchFolder;

platform::Status command(sound::MultimediaControl& control, std::string_view verb) {
  return control.setPropertyById(sound::kDispatchCommand, verb);
}

struct FileCase {
  const char* name;
  CueFile file;
  DeviceError afterOpen;   // the error state once "Open" has run
  DeviceError afterSound;  // and once "Sound" has run after it
  const char* says = "";   // what the error text names besides the file
};

void PrintTo(const FileCase& row, std::ostream* out) { *out << row.name; }

class ControlOpening : public testing::TestWithParam<FileCase> {};

TEST_P(ControlOpening, SucceedsAsAPropertySetAndRecordsWhatHappened) {
  const FileCase& row = GetParam();
  ScratchFolder folder;
  sound_test::placeCueFile(folder.path(), sound::kInitCue, row.file);
  MultimediaControl control;

  EXPECT_TRUE(command(control, "Stop").ok());
  EXPECT_TRUE(command(control, "Close").ok());
  EXPECT_TRUE(control.setPropertyById(sound::kDispatchFileName, sound::kInitCue).ok());
  const auto before = std::chrono::steady_clock::now();
  EXPECT_TRUE(command(control, "Open").ok());
  EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(2)) << "Open hung";
  EXPECT_EQ(control.error(), row.afterOpen) << control.errorText();
  EXPECT_EQ(control.isOpen(), row.afterOpen == DeviceError::kNone);
  if (row.afterOpen != DeviceError::kNone) {
    EXPECT_NE(control.errorText().find("pinpon.wav"), std::string::npos) << control.errorText();
  }
  if (*row.says != '\0') {
    EXPECT_NE(control.errorText().find(row.says), std::string::npos) << control.errorText();
  }

  EXPECT_TRUE(command(control, "Sound").ok());
  // With no audio service, a chime gives up as soon as its connection fails.
  EXPECT_TRUE(
      sound_test::runEventLoopUntil([&] { return !control.isPlaying(); }, std::chrono::seconds(2)));
  EXPECT_EQ(control.error(), row.afterSound) << control.errorText();
}

INSTANTIATE_TEST_SUITE_P(
    Files, ControlOpening,
    testing::Values(
        FileCase{"Missing", CueFile::kMissing, DeviceError::kFileNotFound,
                 DeviceError::kFileNotFound},
        FileCase{"Empty", CueFile::kEmpty, DeviceError::kFileEmpty, DeviceError::kFileEmpty},
        FileCase{"Truncated", CueFile::kTruncated, DeviceError::kFileDamaged,
                 DeviceError::kFileDamaged},
        FileCase{"HeaderCutShort", CueFile::kChopped, DeviceError::kFileDamaged,
                 DeviceError::kFileDamaged},
        FileCase{"TextNamedWave", CueFile::kText, DeviceError::kNotWaveFile,
                 DeviceError::kNotWaveFile},
        FileCase{"Flac", CueFile::kFlac, DeviceError::kNotWaveFile, DeviceError::kNotWaveFile},
        FileCase{"Aiff", CueFile::kAiff, DeviceError::kNotWaveFile, DeviceError::kNotWaveFile},
        FileCase{"Folder", CueFile::kFolder, DeviceError::kFileUnreadable,
                 DeviceError::kFileUnreadable},
        FileCase{"Fifo", CueFile::kFifo, DeviceError::kFileUnreadable,
                 DeviceError::kFileUnreadable},
        FileCase{"WaveWithoutSamples", CueFile::kSilentWave, DeviceError::kFileEmpty,
                 DeviceError::kFileEmpty},
        FileCase{"ValidWave", CueFile::kInitChime, DeviceError::kNone, DeviceError::kNoAudioDevice},
        FileCase{"FloatWave", CueFile::kFloatChime, DeviceError::kNone,
                 DeviceError::kNoAudioDevice},
        FileCase{"RandomBytes", CueFile::kRandomBytes, DeviceError::kNotWaveFile,
                 DeviceError::kNotWaveFile},
        FileCase{"LinkToDevZero", CueFile::kZeroDevice, DeviceError::kFileUnreadable,
                 DeviceError::kFileUnreadable},
        FileCase{"FourGibibytes", CueFile::kHuge, DeviceError::kFileTooLarge,
                 DeviceError::kFileTooLarge},
        FileCase{"OneHertz", CueFile::kOneHertz, DeviceError::kFormatNotPlayable,
                 DeviceError::kFormatNotPlayable, "(1 Hz)"},
        FileCase{"FourGigahertz", CueFile::kFourGigahertz, DeviceError::kFormatNotPlayable,
                 DeviceError::kFormatNotPlayable, "(4000000000 Hz)"},
        FileCase{"TwoHundredChannels", CueFile::kManyChannels, DeviceError::kNone,
                 DeviceError::kNoAudioDevice},
        FileCase{"TwoThousandChannels", CueFile::kTooManyChannels, DeviceError::kFormatNotPlayable,
                 DeviceError::kFormatNotPlayable, "(2000 channels)"},
        FileCase{"ZeroBlockAlign", CueFile::kZeroBlockAlign, DeviceError::kNone,
                 DeviceError::kNoAudioDevice},
        FileCase{"MsAdpcm", CueFile::kMsAdpcm, DeviceError::kEncodingRefused,
                 DeviceError::kEncodingRefused, "(MS ADPCM)"},
        FileCase{"ImaAdpcm", CueFile::kImaAdpcm, DeviceError::kEncodingRefused,
                 DeviceError::kEncodingRefused, "(IMA ADPCM)"},
        FileCase{"Gsm610", CueFile::kGsm610, DeviceError::kEncodingRefused,
                 DeviceError::kEncodingRefused, "(GSM 6.10)"},
        FileCase{"ExtensibleAdpcm", CueFile::kExtensibleAdpcm, DeviceError::kEncodingRefused,
                 DeviceError::kEncodingRefused, "(extensible, MS ADPCM)"},
        FileCase{"FormatChunkCutShort", CueFile::kShortFormat, DeviceError::kFileDamaged,
                 DeviceError::kFileDamaged, "(format chunk of 14 bytes)"},
        FileCase{"EndlessList", CueFile::kEndlessList, DeviceError::kFileDamaged,
                 DeviceError::kFileDamaged}),
    [](const testing::TestParamInfo<FileCase>& info) { return std::string(info.param.name); });

TEST(Control, RefusesPropertiesItDoesNotHave) {
  MultimediaControl control;
  for (int id : {0, 1, 21, 24, -1, 1000}) {
    const platform::Status status = control.setPropertyById(id, "Sound");
    EXPECT_EQ(status.error, platform::kErrorUnknownProperty) << id;
    EXPECT_FALSE(status.description.empty());
  }
}

TEST(Control, RefusesCommandsItDoesNotKnowButTakesKnownOnesInAnyCase) {
  MultimediaControl control;
  for (std::string_view verb : {"Play", "", "Sounds", "Stop ", " Open", "Eject"}) {
    EXPECT_EQ(command(control, verb).error, platform::kErrorPropertySetFailed) << verb;
    EXPECT_THROW(platform::setProperty(control, sound::kDispatchCommand, verb),
                 platform::RuntimeError);
  }
  for (std::string_view verb : {"stop", "CLOSE", "oPeN", "sound"}) {
    EXPECT_TRUE(command(control, verb).ok()) << verb;
  }
}

TEST(Control, SoundWithNothingOpenIsRecorded) {
  MultimediaControl control;
  EXPECT_TRUE(command(control, "Sound").ok());
  EXPECT_EQ(control.error(), DeviceError::kNotOpen);
  EXPECT_TRUE(command(control, "Open").ok());
  EXPECT_EQ(control.error(), DeviceError::kNoFileName);
}

TEST(Control, StopAndCloseLeaveTheErrorAndASuccessfulOpenClearsIt) {
  ScratchFolder folder;
  MultimediaControl control;
  control.setPropertyById(sound::kDispatchFileName, sound::kInitCue);
  command(control, "Open");
  ASSERT_EQ(control.error(), DeviceError::kFileNotFound);
  command(control, "Stop");
  command(control, "Close");
  EXPECT_EQ(control.error(), DeviceError::kFileNotFound);

  sound_test::placeCueFile(folder.path(), sound::kInitCue, CueFile::kInitChime);
  command(control, "Open");
  EXPECT_EQ(control.error(), DeviceError::kNone);
  EXPECT_TRUE(control.isOpen());
  command(control, "Sound");  // no audio service here: refused at once
  EXPECT_FALSE(control.isPlaying());
  EXPECT_EQ(control.error(), DeviceError::kNoAudioDevice);
  command(control, "Close");
  EXPECT_FALSE(control.isPlaying());
  EXPECT_FALSE(control.isOpen());
  command(control, "Sound");
  EXPECT_EQ(control.error(), DeviceError::kNotOpen);
}

TEST(Control, ResolvesTheNameInTheCurrentDirectoryAtOpen) {
  ScratchFolder without;
  ScratchFolder with;  // now the current directory
  sound_test::placeCueFile(with.path(), sound::kExitCue, CueFile::kExitChime);
  MultimediaControl control;
  control.setPropertyById(sound::kDispatchFileName, sound::kExitCue);

  std::filesystem::current_path(without.path());
  command(control, "Open");
  EXPECT_EQ(control.error(), DeviceError::kFileNotFound);

  std::filesystem::current_path(with.path());
  command(control, "Open");
  EXPECT_EQ(control.error(), DeviceError::kNone);
  // Once open, the file is no longer needed.
  std::filesystem::remove(with.path() / std::string(sound::kExitCue));
  EXPECT_TRUE(control.isOpen());
}

TEST(CueLibrary, DecodesEachVersionOfAFileOnceAndFromTheEventLoop) {
  ScratchFolder folder;
  sound_test::placeCueFile(folder.path(), sound::kInitCue, CueFile::kInitChime);
  int decoded = 0;
  sound::CueLibrary library([&] { ++decoded; });
  const auto decodedInTime = [&] {
    return sound_test::runEventLoopUntil([&] { return !library.decoding(); },
                                         std::chrono::seconds(2));
  };

  library.open(sound::kInitCue);
  EXPECT_TRUE(library.decoding()) << "decoded inside open()";
  ASSERT_TRUE(decodedInTime());
  const std::shared_ptr<const sound::DecodedWave> first = library.cue();
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->samples, chimes::initChime());

  library.open(sound::kInitCue);  // unchanged: what was decoded
  EXPECT_FALSE(library.decoding());
  EXPECT_EQ(library.cue(), first);

  // Another chime written under the name: a new version of the file, read again.
  sound_test::placeCueFile(folder.path(), sound::kInitCue, CueFile::kExitChime);
  library.open(sound::kInitCue);
  EXPECT_TRUE(library.decoding());
  ASSERT_TRUE(decodedInTime());
  EXPECT_EQ(library.cue()->samples, chimes::exitChime());

  // A file larger than one turn's read (the Init chime as 64-bit floating point) is read over
  // several turns and still arrives whole.
  std::vector<double> signal;
  for (const std::int16_t sample : chimes::initChime()) signal.push_back(sample / 32768.0);
  const std::string bytes = sound_test::waveBytes({3, 64, 1, chimes::kSampleRate}, signal);
  ASSERT_GT(bytes.size(), sound::kSliceBytes);
  std::ofstream(std::string(sound::kInitCue), std::ios::binary) << bytes;
  library.open(sound::kInitCue);
  EXPECT_TRUE(library.decoding()) << "read inside open()";
  ASSERT_TRUE(decodedInTime());
  EXPECT_EQ(library.cue()->samples, chimes::initChime());
  EXPECT_EQ(decoded, 3);
}

// The program's own control: the module loaded at the first set and every set handed to its
// device; where no module can be loaded, a silent control that answers sets like the real one.
TEST(ControlModule, IsLoadedAtTheFirstSetAndGetsEverySet) {
  ScratchFolder folder;
  sound::MultimediaControl control(std::vector<std::filesystem::path>{
      "/nonexistent/libcollatz-audio.so", COLLATZ_OTHER_LIBRARY, COLLATZ_AUDIO_MODULE});
  EXPECT_FALSE(control.loaded());
  EXPECT_EQ(control.error(), DeviceError::kNone);
  ASSERT_TRUE(control.setPropertyById(sound::kDispatchFileName, "no-such-cue.wav").ok());
  ASSERT_TRUE(control.loaded()) << control.errorText();
  ASSERT_TRUE(command(control, "open").ok());
  EXPECT_EQ(control.error(), DeviceError::kFileNotFound);
  EXPECT_NE(control.errorText().find("no-such-cue.wav"), std::string::npos) << control.errorText();
}

struct SilentCase {
  const char* name;
  int dispatchId;
  const char* value;
  int failsWith;  // 0: the set succeeds
};

void PrintTo(const SilentCase& row, std::ostream* out) { *out << row.name; }

class SilentControl : public testing::TestWithParam<SilentCase> {};

TEST_P(SilentControl, AnswersLikeTheRealControlAndSaysWhyNothingPlays) {
  const SilentCase& row = GetParam();
  sound::MultimediaControl control(std::vector<std::filesystem::path>{
      "/nonexistent/libcollatz-audio.so", COLLATZ_OTHER_LIBRARY});
  // A set the control does not have fails at once and loads nothing; any other set tries to.
  if (row.failsWith != 0) command(control, "Stop");
  const platform::Status status = control.setPropertyById(row.dispatchId, row.value);
  EXPECT_EQ(status.error, row.failsWith) << status.description;
  EXPECT_FALSE(control.loaded());
  EXPECT_FALSE(control.isPlaying());
  EXPECT_EQ(control.error(), DeviceError::kNoAudioDevice);
  const std::string why = control.errorText();
  EXPECT_NE(why.find("could not be loaded"), std::string::npos) << why;
  EXPECT_NE(why.find("/nonexistent/libcollatz-audio.so"), std::string::npos) << why;
  EXPECT_NE(why.find("is not the program's audio module"), std::string::npos) << why;
}

INSTANTIATE_TEST_SUITE_P(
    NoModule, SilentControl,
    testing::Values(SilentCase{"FileName", sound::kDispatchFileName, "pinpon.wav", 0},
                    SilentCase{"Stop", sound::kDispatchCommand, "Stop", 0},
                    SilentCase{"CloseAnyCase", sound::kDispatchCommand, "cLOSE", 0},
                    SilentCase{"Open", sound::kDispatchCommand, "Open", 0},
                    SilentCase{"Sound", sound::kDispatchCommand, "Sound", 0},
                    SilentCase{"UnknownVerb", sound::kDispatchCommand, "Play",
                               platform::kErrorPropertySetFailed},
                    SilentCase{"UnknownProperty", 7, "x", platform::kErrorUnknownProperty}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
