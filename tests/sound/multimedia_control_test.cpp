// The multimedia control on a machine without any audio service: every command still succeeds
// as a property set, and what went wrong is found in the control's error state.
#include "sound/multimedia_control.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "platform/runtime_error.h"
#include "sound/cue_player.h"
#include "support/cue_files.h"

namespace {

using sound::DeviceError;
using sound::MultimediaControl;
using sound_test::CueFile;
using sound_test::ScratchFolder;

platform::Status command(MultimediaControl& control, std::string_view verb) {
  return control.setPropertyById(sound::kDispatchCommand, verb);
}

struct FileCase {
  const char* name;
  CueFile file;
  DeviceError afterOpen;   // the error state once "Open" has run
  DeviceError afterSound;  // and once "Sound" has run after it
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

  EXPECT_TRUE(command(control, "Sound").ok());
  EXPECT_EQ(control.error(), row.afterSound) << control.errorText();
  EXPECT_FALSE(control.isPlaying());
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
                 DeviceError::kFormatNotPlayable},
        FileCase{"FourGigahertz", CueFile::kFourGigahertz, DeviceError::kFileDamaged,
                 DeviceError::kFileDamaged},
        FileCase{"TwoHundredChannels", CueFile::kManyChannels, DeviceError::kNone,
                 DeviceError::kNoAudioDevice},
        FileCase{"ZeroBlockAlign", CueFile::kZeroBlockAlign, DeviceError::kNone,
                 DeviceError::kNoAudioDevice}),
    [](const testing::TestParamInfo<FileCase>& info) { return std::string(info.param.name); });

TEST(Control, PlayCueGoesThroughWhateverTheFile) {
  ScratchFolder folder;
  MultimediaControl control;
  for (CueFile file : {CueFile::kMissing, CueFile::kTruncated, CueFile::kInitChime}) {
    sound_test::placeCueFile(folder.path(), sound::kInitCue, file);
    EXPECT_NO_THROW(sound::playCue(control, sound::kInitCue));
    EXPECT_NE(control.error(), DeviceError::kNone);
  }
}

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
  command(control, "Close");
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
  // Once decoded, the file is no longer needed.
  std::filesystem::remove(with.path() / std::string(sound::kExitCue));
  EXPECT_TRUE(control.isOpen());
}

}  // namespace
