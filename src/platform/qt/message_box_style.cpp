#include "platform/message_box_style.h"

#include "platform/dialogs.h"

namespace platform {

namespace {

using Button = MessageBoxStyle::Button;

constexpr Button kOk{QMessageBox::Ok, kAnswerOk};
constexpr Button kCancel{QMessageBox::Cancel, kAnswerCancel};
constexpr Button kAbort{QMessageBox::Abort, kAnswerAbort};
constexpr Button kRetry{QMessageBox::Retry, kAnswerRetry};
constexpr Button kIgnore{QMessageBox::Ignore, kAnswerIgnore};
constexpr Button kYes{QMessageBox::Yes, kAnswerYes};
constexpr Button kNo{QMessageBox::No, kAnswerNo};

// A box with Cancel lets Escape and closing stand for Cancel, an OK-only box for OK; a box with
// neither can only be answered by one of its buttons.
std::optional<MessageBoxStyle> buttonSet(int set) {
  switch (set) {
    case 0:
      return MessageBoxStyle{{kOk}, 0, 0, QMessageBox::NoIcon};
    case 1:
      return MessageBoxStyle{{kOk, kCancel}, 0, 1, QMessageBox::NoIcon};
    case 2:
      return MessageBoxStyle{{kAbort, kRetry, kIgnore}, 0, -1, QMessageBox::NoIcon};
    case 3:
      return MessageBoxStyle{{kYes, kNo, kCancel}, 0, 2, QMessageBox::NoIcon};
    case 4:
      return MessageBoxStyle{{kYes, kNo}, 0, -1, QMessageBox::NoIcon};
    case 5:
      return MessageBoxStyle{{kRetry, kCancel}, 0, 1, QMessageBox::NoIcon};
    default:
      return std::nullopt;
  }
}

QMessageBox::Icon iconOf(int bits) {
  switch (bits) {
    case 16:
      return QMessageBox::Critical;
    case 32:
      return QMessageBox::Question;
    case 48:
      return QMessageBox::Warning;
    case 64:
      return QMessageBox::Information;
    default:
      return QMessageBox::NoIcon;
  }
}

}  // namespace

std::optional<MessageBoxStyle> messageBoxStyle(int style) {
  if (style < 0) return std::nullopt;
  std::optional<MessageBoxStyle> result = buttonSet(style & 0x0F);
  if (!result) return std::nullopt;
  const int defaultIndex = (style >> 8) & 0x0F;
  if (defaultIndex < static_cast<int>(result->buttons.size())) result->defaultIndex = defaultIndex;
  result->icon = iconOf(style & 0x70);
  return result;
}

}  // namespace platform
