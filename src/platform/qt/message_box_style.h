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
    int answer;  // what the box returns when this button closes it (kAnswer… in dialogs.h)
  };
  std::vector<Button> buttons;
  int defaultIndex = 0;
  int escapeIndex = -1;  // the button Escape and closing the box stand for; -1: they do nothing
  QMessageBox::Icon icon = QMessageBox::NoIcon;
};

// nullopt for a button set that does not exist.
std::optional<MessageBoxStyle> messageBoxStyle(int style);

}  // namespace platform
