#pragma once

#include <QMessageBox>
#include <optional>
#include <vector>

namespace platform {

// What a message box button style asks for: the style's button set (its low four bits), which
// button is the default (bits 8 to 11), and the icon (bits 4 to 6). Other bits are ignored.
struct MessageBoxStyle {
  struct Button {
    QMessageBox::StandardButton button;
    int answer;  // what the box returns when this button closes it
  };
  std::vector<Button> buttons;
  int defaultIndex = 0;
  int escapeIndex = -1;  // the button Escape and closing the box stand for; -1: they do nothing
  QMessageBox::Icon icon = QMessageBox::NoIcon;
};

// Answers of the buttons.
inline constexpr int kAnswerCancel = 2;
inline constexpr int kAnswerAbort = 3;
inline constexpr int kAnswerRetry = 4;
inline constexpr int kAnswerIgnore = 5;
inline constexpr int kAnswerYes = 6;
inline constexpr int kAnswerNo = 7;

// nullopt for a button set that does not exist.
std::optional<MessageBoxStyle> messageBoxStyle(int style);

}  // namespace platform
