#pragma once

#include <QPlainTextEdit>
#include <string>
#include <string_view>

#include "platform/controls.h"

namespace platform {

// A multi-line text box that wraps at blanks to its width and has no scroll bars (the wheel and
// the keyboard still scroll it). The user can type into it; the program never reads that back.
//
// setText keeps the text at once and hands it to the widget when the event loop next runs, so a
// caller may replace the whole text after every step of a long computation without laying it out
// every time: many calls in a row cost one update. After an update the end of the text, the
// newest values, is in view.
class TextBoxWidget : public QPlainTextEdit, public TextBox {
  Q_OBJECT

 public:
  explicit TextBoxWidget(QWidget* parent = nullptr);

  Status setText(std::string_view text) override;

  // The text most recently given to setText (UTF-8), whether or not the widget shows it yet.
  const std::string& text() const { return text_; }

  // Whether the widget still waits for the last text given.
  bool updatePending() const { return updatePending_; }

  // Shows the last text given now, instead of when the event loop next runs.
  void flushText();

 private:
  std::string text_;
  bool updatePending_ = false;
};

}  // namespace platform
