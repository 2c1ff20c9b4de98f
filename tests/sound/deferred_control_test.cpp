// The window's multimedia control: the audio module loaded at the first property set, and a
// silent control that still answers like the real one where no module can be loaded.
#include "sound/deferred_control.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/runtime_error.h"
#include "sound/device_commands.h"

namespace {

using sound::DeferredControl;
using sound::DeviceError;
using Paths = std::vector<std::filesystem::path>;

const std::filesystem::path kModule = COLLATZ_AUDIO_MODULE;
// A shared library that is not the audio module.
const std::filesystem::path kOtherLibrary = COLLATZ_OTHER_LIBRARY;

TEST(DeferredControl, LoadsTheModuleAtTheFirstSetAndHandsEverySetToIt) {
  DeferredControl control(Paths{"/nonexistent/libcollatz-audio.so", kOtherLibrary, kModule});
  EXPECT_FALSE(control.loaded());
  EXPECT_EQ(control.error(), DeviceError::kNone);
  ASSERT_TRUE(control.setPropertyById(sound::kDispatchFileName, "no-such-cue.wav").ok());
  ASSERT_TRUE(control.waitUntilIdle(std::chrono::seconds(10)));
  ASSERT_TRUE(control.loaded()) << control.errorText();
  // The module's control answers, on its own thread: it looked for the file and says so.
  ASSERT_TRUE(control.setPropertyById(sound::kDispatchCommand, "open").ok());
  ASSERT_TRUE(control.waitUntilIdle(std::chrono::seconds(10)));
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
  DeferredControl control(Paths{"/nonexistent/libcollatz-audio.so", kOtherLibrary});
  // A set the control does not have fails at once and reaches no device; any set makes one.
  if (row.failsWith != 0) control.setPropertyById(sound::kDispatchCommand, "Stop");
  const platform::Status status = control.setPropertyById(row.dispatchId, row.value);
  EXPECT_EQ(status.error, row.failsWith) << status.description;
  ASSERT_TRUE(control.waitUntilIdle(std::chrono::seconds(10)));
  EXPECT_FALSE(control.loaded());
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
