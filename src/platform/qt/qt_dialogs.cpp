#include "platform/qt_dialogs.h"

#include <QApplication>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QString>
#include <vector>

#include "platform/message_box_style.h"
#include "platform/qt_text.h"
#include "platform/runtime_error.h"

namespace platform {

namespace {

// A dialog still open after its loop returned was not answered: the event loop was told to exit
// because the program is ending. Raised, so the handler leaves at once instead of carrying on
// with an answer nobody gave (a prompt asked again would return at once, for ever).
void requireAnswered(const QDialog& dialog) {
  if (dialog.isVisible()) {
    throw RuntimeError(kErrorDialogFailed, "The dialog was closed because the program is ending");
  }
}

void requireApplication() {
  if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) {
    throw RuntimeError(kErrorDialogFailed, "A dialog cannot be shown without a window system");
  }
}

}  // namespace

QtDialogs::QtDialogs(QWidget* parent) : parent_(parent) {}

QWidget* QtDialogs::dialogParent() const {
  if (parent_) return parent_;
  return QApplication::activeWindow();
}

std::string QtDialogs::inputBox(const std::string& message, const std::string& title) {
  requireApplication();
  QInputDialog dialog(dialogParent());
  dialog.setObjectName(kInputBoxName);
  dialog.setInputMode(QInputDialog::TextInput);
  dialog.setWindowTitle(toQString(title));
  dialog.setLabelText(toQString(message));
  // The message is the program's text, never markup.
  for (QLabel* label : dialog.findChildren<QLabel*>()) label->setTextFormat(Qt::PlainText);
  dialog.setTextValue(QString());
  const int result = dialog.exec();
  requireAnswered(dialog);
  if (result != QDialog::Accepted) return {};
  return dialog.textValue().toStdString();
}

int QtDialogs::messageBox(const std::string& message, int buttons, const std::string& title) {
  requireApplication();
  const std::optional<MessageBoxStyle> style = messageBoxStyle(buttons);
  if (!style) {
    throw RuntimeError(kErrorDialogFailed, "Invalid message box style " + std::to_string(buttons));
  }

  QMessageBox box(dialogParent());
  box.setObjectName(kMessageBoxName);
  box.setWindowTitle(toQString(title));
  box.setTextFormat(Qt::PlainText);
  box.setText(toQString(message));
  box.setIcon(style->icon);

  std::vector<QPushButton*> shown;
  for (const MessageBoxStyle::Button& button : style->buttons) {
    shown.push_back(box.addButton(button.button));
  }
  box.setDefaultButton(shown[style->defaultIndex]);
  // Without an escape button the box ignores Escape and cannot be closed by its frame.
  if (style->escapeIndex >= 0) box.setEscapeButton(shown[style->escapeIndex]);

  box.exec();
  requireAnswered(box);
  for (std::size_t i = 0; i < shown.size(); ++i) {
    if (box.clickedButton() == shown[i]) return style->buttons[i].answer;
  }
  // Escape and the frame's close box click the escape button, so this is only reached when the
  // box was closed some other way.
  const int fallback = style->escapeIndex >= 0 ? style->escapeIndex : style->defaultIndex;
  return style->buttons[fallback].answer;
}

}  // namespace platform
