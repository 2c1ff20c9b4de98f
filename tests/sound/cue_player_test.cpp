#include "sound/cue_player.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/runtime_error.h"

namespace {

struct PropertySet {
  int dispatchId;
  std::string value;
  bool operator==(const PropertySet&) const = default;
};

void PrintTo(const PropertySet& set, std::ostream* out) {
  *out << "{" << set.dispatchId << ", \"" << set.value << "\"}";
}

// Stands in for the multimedia control: remembers every set and refuses the one it is told to.
class RecordingControl : public platform::Dispatchable {
 public:
  explicit RecordingControl(int refuseSet = -1) : refuseSet_(refuseSet) {}

  platform::Status setPropertyById(int dispatchId, std::string_view value) override {
    sets.push_back({dispatchId, std::string(value)});
    if (static_cast<int>(sets.size()) - 1 == refuseSet_) {
      return platform::Status::failure(platform::kErrorPropertySetFailed,
                                       "refused: " + sets.back().value);
    }
    return platform::Status::success();
  }

  std::vector<PropertySet> sets;

 private:
  int refuseSet_;
};

std::vector<PropertySet> expectedSets(std::string_view fileName) {
  return {{sound::kDispatchCommand, "Stop"},
          {sound::kDispatchCommand, "Close"},
          {sound::kDispatchFileName, std::string(fileName)},
          {sound::kDispatchCommand, "Open"},
          {sound::kDispatchCommand, "Sound"}};
}

TEST(PlayCue, StopsClosesNamesOpensAndSoundsInThatOrder) {
  for (std::string_view cue : {sound::kInitCue, sound::kExitCue, std::string_view("other.wav")}) {
    RecordingControl control;
    sound::playCue(control, cue);
    EXPECT_EQ(control.sets, expectedSets(cue)) << cue;
  }
}

TEST(PlayCue, EveryCueRepeatsTheWholeSequence) {
  RecordingControl control;
  sound::playCue(control, sound::kInitCue);
  sound::playCue(control, sound::kInitCue);
  sound::playCue(control, sound::kExitCue);
  std::vector<PropertySet> expected = expectedSets(sound::kInitCue);
  for (auto next : {expectedSets(sound::kInitCue), expectedSets(sound::kExitCue)}) {
    expected.insert(expected.end(), next.begin(), next.end());
  }
  EXPECT_EQ(control.sets, expected);
}

class PlayCueRefused : public testing::TestWithParam<int> {};

TEST_P(PlayCueRefused, RaisesTheControlsErrorAndGoesNoFurther) {
  const int refused = GetParam();
  RecordingControl control(refused);
  try {
    sound::playCue(control, sound::kInitCue);
    FAIL() << "no error raised";
  } catch (const platform::RuntimeError& error) {
    EXPECT_EQ(error.number(), platform::kErrorPropertySetFailed);
    EXPECT_EQ(std::string(error.what()),
              "refused: " + expectedSets(sound::kInitCue)[refused].value);
  }
  const std::vector<PropertySet> all = expectedSets(sound::kInitCue);
  EXPECT_EQ(control.sets, std::vector<PropertySet>(all.begin(), all.begin() + refused + 1));
}

std::string setName(const testing::TestParamInfo<int>& info) {
  constexpr const char* kNames[] = {"Stop", "Close", "FileName", "Open", "Sound"};
  return kNames[info.param];
}

INSTANTIATE_TEST_SUITE_P(EachSet, PlayCueRefused, testing::Values(0, 1, 2, 3, 4), setName);

}  // namespace
