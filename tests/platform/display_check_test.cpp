// Whether a display can be opened, decided before any application object exists.
#include "platform/display_check.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>

namespace {

struct DisplayCase {
  const char* name;
  std::map<std::string, std::string> environment;
  std::optional<std::string> platformArgument;
  bool ok;
  const char* problemMentions;  // a part of the one-line problem, when not ok
};

void PrintTo(const DisplayCase& row, std::ostream* out) { *out << row.name; }

class DisplayCheckTest : public testing::TestWithParam<DisplayCase> {};

// ":4093" and a socket in a folder that does not exist: nothing listens there.
const DisplayCase kCases[] = {
    {"NothingSet", {}, std::nullopt, false, "DISPLAY is not set"},
    {"EmptyDisplay", {{"DISPLAY", ""}}, std::nullopt, false, "DISPLAY is not set"},
    {"DisplayWithNoServer", {{"DISPLAY", ":4093"}}, std::nullopt, false, "DISPLAY=:4093"},
    {"Offscreen", {{"QT_QPA_PLATFORM", "offscreen"}}, std::nullopt, true, ""},
    {"OffscreenWithOptions",
     {{"QT_QPA_PLATFORM", "offscreen:fontengine=freetype"}},
     std::nullopt,
     true,
     ""},
    {"FallbackAfterAFailingOne", {{"QT_QPA_PLATFORM", "xcb;offscreen"}}, std::nullopt, true, ""},
    {"EveryCandidateFails",
     {{"QT_QPA_PLATFORM", "wayland;xcb"}, {"XDG_RUNTIME_DIR", "/nonexistent-run"}},
     std::nullopt,
     false,
     "wayland: no Wayland compositor listens on /nonexistent-run/wayland-0; xcb"},
    {"WaylandWithoutRuntimeDir",
     {{"QT_QPA_PLATFORM", "wayland"}},
     std::nullopt,
     false,
     "XDG_RUNTIME_DIR is not set"},
    {"WaylandSessionFallsBackToX",
     {{"XDG_SESSION_TYPE", "wayland"}},
     std::nullopt,
     false,
     "wayland: XDG_RUNTIME_DIR is not set; xcb: DISPLAY is not set"},
    {"ArgumentBeatsEnvironment", {{"QT_QPA_PLATFORM", "xcb"}}, "offscreen", true, ""},
    {"ArgumentNamesX", {{"QT_QPA_PLATFORM", "offscreen"}}, "xcb", false, "DISPLAY is not set"},
    {"UnknownPlatformLeftToQt", {{"QT_QPA_PLATFORM", "someday"}}, std::nullopt, true, ""},
    {"OnlySeparators", {{"QT_QPA_PLATFORM", ";;"}}, std::nullopt, false, "xcb: DISPLAY"},
};

TEST_P(DisplayCheckTest, DecidesWithoutOpeningQt) {
  const DisplayCase& row = GetParam();
  const auto lookup = [&row](const char* name) -> std::optional<std::string> {
    const auto found = row.environment.find(name);
    if (found == row.environment.end()) return std::nullopt;
    return found->second;
  };
  const platform::DisplayCheck check = platform::checkDisplay(lookup, row.platformArgument);
  EXPECT_EQ(check.ok, row.ok) << check.problem;
  if (!row.ok) {
    EXPECT_NE(check.problem.find(row.problemMentions), std::string::npos) << check.problem;
    EXPECT_EQ(check.problem.find('\n'), std::string::npos) << "one line";
  }
}

INSTANTIATE_TEST_SUITE_P(Environments, DisplayCheckTest, testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
