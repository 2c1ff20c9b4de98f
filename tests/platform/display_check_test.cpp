// Whether a display can be opened, decided before any application object exists.
#include "platform/display_check.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace {

struct DisplayCase {
  const char* name;
  std::map<std::string, std::string> environment;
  std::vector<std::string> arguments;  // the command line after the program's name
  bool ok;
  const char* problemMentions;  // a part of the one-line problem, when not ok
};

void PrintTo(const DisplayCase& row, std::ostream* out) { *out << row.name; }

class DisplayCheckTest : public testing::TestWithParam<DisplayCase> {};

// ":4093" and a socket in a folder that does not exist: nothing listens there.
const DisplayCase kCases[] = {
    {"NothingSet", {}, {}, false, "DISPLAY is not set"},
    {"EmptyDisplay", {{"DISPLAY", ""}}, {}, false, "DISPLAY is not set"},
    {"DisplayWithNoServer", {{"DISPLAY", ":4093"}}, {}, false, "DISPLAY=:4093"},
    {"Offscreen", {{"QT_QPA_PLATFORM", "offscreen"}}, {}, true, ""},
    {"OffscreenWithOptions", {{"QT_QPA_PLATFORM", "offscreen:fontengine=freetype"}}, {}, true, ""},
    {"FallbackAfterAFailingOne", {{"QT_QPA_PLATFORM", "xcb;offscreen"}}, {}, true, ""},
    {"EveryCandidateFails",
     {{"QT_QPA_PLATFORM", "wayland;xcb"}, {"XDG_RUNTIME_DIR", "/nonexistent-run"}},
     {},
     false,
     "wayland: no Wayland compositor listens on /nonexistent-run/wayland-0; xcb"},
    {"WaylandWithoutRuntimeDir",
     {{"QT_QPA_PLATFORM", "wayland"}},
     {},
     false,
     "XDG_RUNTIME_DIR is not set"},
    {"WaylandSessionFallsBackToX",
     {{"XDG_SESSION_TYPE", "wayland"}},
     {},
     false,
     "wayland: XDG_RUNTIME_DIR is not set; xcb: DISPLAY is not set"},
    {"ArgumentBeatsEnvironment",
     {{"QT_QPA_PLATFORM", "xcb"}},
     {"-platform", "offscreen"},
     true,
     ""},
    {"LastArgumentInQtsSpellingWins",
     {{"QT_QPA_PLATFORM", "offscreen"}},
     {"-platform", "offscreen", "--platform", "XCB"},
     false,
     "DISPLAY is not set"},
    // Qt 6.4 reads neither of these as a platform, so neither may pass the check for it.
    {"EqualsFormIsNoPlatformArgument", {}, {"-platform=offscreen"}, false, "DISPLAY is not set"},
    {"ValueOfAnotherOptionIsNoPlatformArgument",
     {},
     {"-qwindowtitle", "-platform", "offscreen"},
     false,
     "DISPLAY is not set"},
    {"UnknownPlatformLeftToQt", {{"QT_QPA_PLATFORM", "someday"}}, {}, true, ""},
    {"OnlySeparators", {{"QT_QPA_PLATFORM", ";;"}}, {}, false, "names no platform"},
};

TEST_P(DisplayCheckTest, DecidesWithoutOpeningQt) {
  const DisplayCase& row = GetParam();
  const auto lookup = [&row](const char* name) -> std::optional<std::string> {
    const auto found = row.environment.find(name);
    if (found == row.environment.end()) return std::nullopt;
    return found->second;
  };
  const platform::DisplayCheck check = platform::checkDisplay(lookup, row.arguments);
  EXPECT_EQ(check.ok, row.ok) << check.problem;
  if (!row.ok) {
    EXPECT_NE(check.problem.find(row.problemMentions), std::string::npos) << check.problem;
    EXPECT_EQ(check.problem.find('\n'), std::string::npos) << "one line";
  }
}

INSTANTIATE_TEST_SUITE_P(Environments, DisplayCheckTest, testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
