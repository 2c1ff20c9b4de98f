#include "modal_guard.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <utility>

namespace test_support {

namespace {

constexpr int kPollIntervalMs = 10;

QString messageOf(QWidget& dialog) {
  if (auto* prompt = qobject_cast<QInputDialog*>(&dialog)) return prompt->labelText();
  if (auto* box = qobject_cast<QMessageBox*>(&dialog)) return box->text();
  if (auto* label = dialog.findChild<QLabel*>()) return label->text();
  return {};
}

void failRunningTest(const QString& problem) {
  // Outside a Qt Test function (a plain program using the guard) the problem is only recorded.
  if (QTest::currentTestFunction() == nullptr) return;
  QTest::qFail(qPrintable(problem), __FILE__, __LINE__);
}

}  // namespace

DialogAction typeText(const QString& text) {
  return [text](QWidget& dialog) {
    auto* entry = dialog.findChild<QLineEdit*>();
    if (entry == nullptr) {
      failRunningTest(QStringLiteral("no entry field to type into in ") + dialog.objectName());
      return;
    }
    // Key by key; characters beyond ASCII (full-width digits) arrive as text without a key
    // code, as an input method delivers them.
    for (const QChar character : text) {
      if (character.unicode() < 0x80) {
        QTest::keyClick(entry, character.toLatin1());
      } else {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(character));
        QCoreApplication::sendEvent(entry, &press);
      }
    }
  };
}

DialogAction pressKey(Qt::Key key) {
  return [key](QWidget& dialog) {
    QWidget* target = dialog.focusWidget();
    QTest::keyClick(target != nullptr ? target : &dialog, key);
  };
}

DialogAction clickButton(QDialogButtonBox::StandardButton button) {
  return [button](QWidget& dialog) {
    QAbstractButton* found = nullptr;
    for (auto* box : dialog.findChildren<QDialogButtonBox*>()) {
      if ((found = box->button(button)) != nullptr) break;
    }
    if (found == nullptr) {
      failRunningTest(QStringLiteral("no such button in ") + dialog.objectName());
      return;
    }
    QTest::mouseClick(found, Qt::LeftButton);
  };
}

DialogAction closeWindow() {
  return [](QWidget& dialog) { dialog.close(); };
}

DialogAction inOrder(std::vector<DialogAction> actions) {
  return [actions = std::move(actions)](QWidget& dialog) {
    for (const DialogAction& action : actions) action(dialog);
  };
}

ModalGuard::ModalGuard() {
  timer_.setInterval(kPollIntervalMs);
  connect(&timer_, &QTimer::timeout, this, &ModalGuard::poll);
  timer_.start();
}

ModalGuard::~ModalGuard() {
  timer_.stop();
  // A dialog still open when the test is over would keep its modal loop running for ever.
  if (QWidget* open = QApplication::activeModalWidget()) {
    reject(*open,
           QStringLiteral("dialog still open at the end of the test: ") + open->objectName());
  }
}

ModalGuard& ModalGuard::expect(const QString& objectName, DialogAction action) {
  steps_.push_back({objectName, std::move(action)});
  return *this;
}

ModalGuard& ModalGuard::answerPrompt(const QString& text) {
  return expect(QStringLiteral("inputBox"),
                inOrder({typeText(text), clickButton(QDialogButtonBox::Ok)}));
}

ModalGuard& ModalGuard::cancelPrompt() {
  return expect(QStringLiteral("inputBox"), clickButton(QDialogButtonBox::Cancel));
}

ModalGuard& ModalGuard::acknowledgeMessage() {
  return expect(QStringLiteral("messageBox"), clickButton(QDialogButtonBox::Ok));
}

void ModalGuard::poll() {
  QWidget* dialog = QApplication::activeModalWidget();
  if (dialog == nullptr || dialog == current_) return;
  current_ = dialog;
  seen_.push_back({dialog->objectName(), dialog->windowTitle(), messageOf(*dialog)});

  if (steps_.empty()) {
    reject(*dialog, QStringLiteral("unexpected dialog: ") + dialog->objectName() + " \"" +
                        dialog->windowTitle() + '"');
    return;
  }
  Step step = std::move(steps_.front());
  steps_.pop_front();
  if (!step.objectName.isEmpty() && step.objectName != dialog->objectName()) {
    reject(*dialog,
           QStringLiteral("expected ") + step.objectName + ", met " + dialog->objectName());
    return;
  }
  // Queued rather than called from the timer, so the timer keeps polling while the action runs
  // and a dialog the action itself opens is met too.
  QPointer<QWidget> target = dialog;
  QMetaObject::invokeMethod(
      this,
      [target, action = std::move(step.action)] {
        if (target) action(*target);
      },
      Qt::QueuedConnection);
}

void ModalGuard::reject(QWidget& dialog, const QString& problem) {
  problems_.append(problem);
  failRunningTest(problem);
  if (auto* modal = qobject_cast<QDialog*>(&dialog)) {
    modal->reject();
  } else {
    dialog.close();
  }
}

}  // namespace test_support
