#pragma once

#include <string>

// The modal dialogs the program opens. Texts are UTF-8. Implementations raise RuntimeError when a
// dialog cannot be shown at all; a user's cancelling is not an error.
namespace platform {

inline constexpr int kMessageBoxOkOnly = 0;  // button style: OK only

// What a message box returns: the button that closed it.
inline constexpr int kAnswerOk = 1;
inline constexpr int kAnswerCancel = 2;
inline constexpr int kAnswerAbort = 3;
inline constexpr int kAnswerRetry = 4;
inline constexpr int kAnswerIgnore = 5;
inline constexpr int kAnswerYes = 6;
inline constexpr int kAnswerNo = 7;

class Dialogs {
 public:
  virtual ~Dialogs() = default;

  // A prompt with the message, a one-line entry field, OK (also Enter) and Cancel (also Escape).
  // Returns the typed text on OK, an empty text on Cancel or when the prompt is closed.
  virtual std::string inputBox(const std::string& message, const std::string& title) = 0;

  // A message box with the buttons of the style; returns the number of the button that closed it.
  // A box with OK only answers kAnswerOk however it is closed.
  virtual int messageBox(const std::string& message, int buttons, const std::string& title) = 0;
};

}  // namespace platform
