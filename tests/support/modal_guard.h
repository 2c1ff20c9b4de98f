#pragma once

#include <QDialogButtonBox>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <deque>
#include <functional>
#include <vector>

class QWidget;

namespace test_support {

// What a scripted step does to a modal dialog once it is the active modal widget.
using DialogAction = std::function<void(QWidget& dialog)>;

// Types text into the dialog's one-line entry field, key by key.
DialogAction typeText(const QString& text);
// Presses a key on the widget that has the focus in the dialog (Qt::Key_Return, Qt::Key_Escape).
DialogAction pressKey(Qt::Key key);
// Clicks one of the dialog's standard buttons with the mouse (QDialogButtonBox::Ok, ::Cancel...).
DialogAction clickButton(QDialogButtonBox::StandardButton button);
// Closes the dialog's window the way the window frame's close box does.
DialogAction closeWindow();
// Runs the actions one after the other.
DialogAction inOrder(std::vector<DialogAction> actions);

// What a dialog showed when the guard met it.
struct SeenDialog {
  QString objectName;
  QString title;
  QString message;  // the label text of a prompt or message box
};

// Watches for modal dialogs while a test runs (under QT_QPA_PLATFORM=offscreen). Each modal
// dialog that opens is met by the next scripted step; a dialog that nobody expected is recorded
// as a problem, fails the running Qt Test function and is closed, so no test can hang in a modal
// loop. Create one per test, script what the test expects, then run the code that opens dialogs.
class ModalGuard : public QObject {
 public:
  ModalGuard();
  ~ModalGuard() override;

  // Expects a dialog with the object name (empty: any) and acts on it.
  ModalGuard& expect(const QString& objectName, DialogAction action);

  // Shorthands for the program's prompt ("inputBox") and message box ("messageBox").
  ModalGuard& answerPrompt(const QString& text);  // types the text, clicks OK
  ModalGuard& cancelPrompt();                     // clicks Cancel
  ModalGuard& acknowledgeMessage();               // clicks OK

  // Dialogs met so far, in order, scripted or not.
  const std::vector<SeenDialog>& seen() const { return seen_; }
  // Scripted steps no dialog has met yet.
  int pendingSteps() const { return static_cast<int>(steps_.size()); }
  // Unexpected dialogs and dialogs of the wrong kind, one line each.
  const QStringList& problems() const { return problems_; }

 private:
  struct Step {
    QString objectName;
    DialogAction action;
  };

  void poll();
  void reject(QWidget& dialog, const QString& problem);

  QTimer timer_;
  std::deque<Step> steps_;
  std::vector<SeenDialog> seen_;
  QStringList problems_;
  QPointer<QWidget> current_;
};

}  // namespace test_support
