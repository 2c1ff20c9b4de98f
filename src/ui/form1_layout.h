#pragma once

#include <QRect>
#include <QSize>
#include <array>
#include <stdexcept>
#include <string_view>

// The window Form1 as data: every control with its kind, place and size in twips, its tab index
// and the caption it starts with. Twips are 1/1440 inch; at 96 dots per inch that is 15 twips to a
// device-independent pixel, so the window scales with the screen like any Qt window.
namespace ui {

inline constexpr int kTwipsPerPixel = 15;

constexpr int twipsToPixels(int twips) { return twips / kTwipsPerPixel; }

enum class ControlKind {
  kPushButton,
  kTextBox,
  kLabel,
  kPictureArea,
  kLine,        // drawn on the window's own surface, from (left, top) to (left + width, top)
  kMultimedia,  // not shown: it only plays the cues
};

inline constexpr int kNoTabIndex = -1;

struct ControlLayout {
  std::string_view name;
  ControlKind kind;
  int left, top, width, height;  // twips, from the top-left corner of the client area
  int tabIndex;
  std::string_view caption;  // UTF-8
};

inline constexpr int kClientWidthTwips = 10470;
inline constexpr int kClientHeightTwips = 7560;
inline constexpr std::string_view kForm1Caption = " Problem of \"3x+1\"\uFF08Collatz problem\uFF09";
// The box "Exit" shows before the program ends. Its title starts with an ASCII blank, unlike the
// prompt's.
inline constexpr std::string_view kExitMessage = "This software will exit.";
inline constexpr std::string_view kExitTitle = " Problem of (3x+1)";

// The buttons keep their layout names: Command1 is "Experiment", Command2 "Exit", Command3 "Init".
inline constexpr std::array<ControlLayout, 8> kForm1Controls = {{
    {"MMControl1", ControlKind::kMultimedia, 240, 7080, 3540, 330, 6, ""},
    {"Picture1", ControlKind::kPictureArea, 120, 480, 10215, 3015, 5, ""},
    {"Command3", ControlKind::kPushButton, 9600, 0, 855, 375, 4, "Init"},
    {"Command2", ControlKind::kPushButton, 0, 0, 855, 375, 3, "Exit"},
    {"Text1", ControlKind::kTextBox, 120, 3600, 10215, 2895, 2, ""},
    {"Command1", ControlKind::kPushButton, 4680, 6720, 1215, 615, 0, "Experiment"},
    {"Line1", ControlKind::kLine, 0, 360, 10440, 0, kNoTabIndex, ""},
    {"Label1", ControlKind::kLabel, 120, 6720, 2895, 255, 1, ""},
}};

// The entry of the named control; every name used by the window is in the table.
constexpr const ControlLayout& controlLayout(std::string_view name) {
  for (const ControlLayout& control : kForm1Controls) {
    if (control.name == name) return control;
  }
  throw std::out_of_range("Form1 has no such control");
}

constexpr QSize clientSizePixels() {
  return {twipsToPixels(kClientWidthTwips), twipsToPixels(kClientHeightTwips)};
}

constexpr QRect geometryPixels(const ControlLayout& control) {
  return {twipsToPixels(control.left), twipsToPixels(control.top), twipsToPixels(control.width),
          twipsToPixels(control.height)};
}

}  // namespace ui
