#pragma once

#include <string>
#include <string_view>

#include "platform/runtime_error.h"

// The controls the program writes to, as the program sees them. These interfaces know nothing of
// the window toolkit, so the experiment core can use them and tests can stand in for them.
// All texts are UTF-8.
namespace platform {

// A text box whose whole content is replaced at once.
class TextBox {
 public:
  virtual ~TextBox() = default;
  virtual Status setText(std::string_view text) = 0;
};

// A label whose caption is replaced at once.
class Label {
 public:
  virtual ~Label() = default;
  virtual Status setCaption(std::string_view caption) = 0;
};

// A drawing surface that accepts printed text: each print draws one text (possibly empty) at the
// print position, then moves that position to the left edge, one text line lower.
class PictureBox {
 public:
  virtual ~PictureBox() = default;
  virtual Status printLine(std::string_view text) = 0;
};

// The operations the program calls. Each checks the status the control returns and raises a
// RuntimeError on failure.
inline void setText(TextBox& box, std::string_view text) { check(box.setText(text)); }
inline void setCaption(Label& label, std::string_view caption) { check(label.setCaption(caption)); }
inline void printLine(PictureBox& picture, std::string_view text = {}) {
  check(picture.printLine(text));
}

}  // namespace platform
