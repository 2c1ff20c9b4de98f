// The prompt and the message box driven for real under the offscreen platform: what each way of
// answering returns, and that the texts are shown exactly as given.
#include "platform/qt_dialogs.h"

#include <QApplication>
#include <QLabel>
#include <QTest>
#include <string>

#include "modal_guard.h"
#include "platform/dialogs.h"
#include "platform/runtime_error.h"

namespace {

using test_support::DialogAction;
using test_support::ModalGuard;

DialogAction typeThen(const QString& text, DialogAction finish) {
  return test_support::inOrder({test_support::typeText(text), std::move(finish)});
}

const std::string kMessage = "Please enter an integer. (3 to 10,000,000)";
const std::string kTitle = "\u3000Problem of (3x+1)";

}  // namespace

Q_DECLARE_METATYPE(DialogAction)

class QtDialogsTest : public QObject {
  Q_OBJECT

 private slots:
  void promptAnswers_data();
  void promptAnswers();
  void promptShowsItsTextsAsPlainText();
  void messageBoxOkOnlyAnswersOneHoweverClosed_data();
  void messageBoxOkOnlyAnswersOneHoweverClosed();
  void messageBoxRefusesAnUnknownStyle();
};

void QtDialogsTest::promptAnswers_data() {
  QTest::addColumn<DialogAction>("action");
  QTest::addColumn<QString>("expected");
  const QString typed = QStringLiteral("27");
  QTest::newRow("typed, OK clicked")
      << typeThen(typed, test_support::clickButton(QDialogButtonBox::Ok)) << typed;
  QTest::newRow("typed, Enter") << typeThen(typed, test_support::pressKey(Qt::Key_Return)) << typed;
  QTest::newRow("typed, keypad Enter")
      << typeThen(typed, test_support::pressKey(Qt::Key_Enter)) << typed;
  QTest::newRow("full-width digits, Enter")
      << typeThen(QStringLiteral("\uFF12\uFF17"), test_support::pressKey(Qt::Key_Return))
      << QStringLiteral("\uFF12\uFF17");
  QTest::newRow("blanks kept, OK")
      << typeThen(QStringLiteral(" 2 7 "), test_support::clickButton(QDialogButtonBox::Ok))
      << QStringLiteral(" 2 7 ");
  QTest::newRow("nothing typed, OK")
      << test_support::clickButton(QDialogButtonBox::Ok) << QString();
  QTest::newRow("typed, Cancel clicked")
      << typeThen(typed, test_support::clickButton(QDialogButtonBox::Cancel)) << QString();
  QTest::newRow("typed, Escape") << typeThen(typed, test_support::pressKey(Qt::Key_Escape))
                                 << QString();
  QTest::newRow("typed, window closed")
      << typeThen(typed, test_support::closeWindow()) << QString();
}

void QtDialogsTest::promptAnswers() {
  QFETCH(DialogAction, action);
  QFETCH(QString, expected);
  ModalGuard guard;
  guard.expect(QStringLiteral("inputBox"), action);
  platform::QtDialogs dialogs;
  const std::string answer = dialogs.inputBox(kMessage, kTitle);
  QCOMPARE(QString::fromStdString(answer), expected);
  QCOMPARE(guard.pendingSteps(), 0);
  QVERIFY2(guard.problems().isEmpty(), qPrintable(guard.problems().join(", ")));
}

void QtDialogsTest::promptShowsItsTextsAsPlainText() {
  ModalGuard guard;
  guard.cancelPrompt();
  platform::QtDialogs dialogs;
  // A message that would be markup if it were read as rich text stays as typed.
  (void)dialogs.inputBox("<b>3</b> & " + kMessage, kTitle);
  QCOMPARE(guard.seen().size(), std::size_t{1});
  QCOMPARE(guard.seen().front().title, QString::fromStdString(kTitle));
  QCOMPARE(guard.seen().front().message, QString::fromStdString("<b>3</b> & " + kMessage));
  // Re-read from the live label: plain text, so the tags are shown and not interpreted.
  guard.expect(QStringLiteral("inputBox"), [](QWidget& prompt) {
    for (auto* label : prompt.findChildren<QLabel*>()) {
      if (!label->text().isEmpty()) QCOMPARE(label->textFormat(), Qt::PlainText);
    }
    test_support::clickButton(QDialogButtonBox::Cancel)(prompt);
  });
  (void)dialogs.inputBox("<i>x</i>", kTitle);
  QCOMPARE(guard.pendingSteps(), 0);
}

void QtDialogsTest::messageBoxOkOnlyAnswersOneHoweverClosed_data() {
  QTest::addColumn<DialogAction>("action");
  QTest::newRow("OK clicked") << test_support::clickButton(QDialogButtonBox::Ok);
  QTest::newRow("Enter") << test_support::pressKey(Qt::Key_Return);
  QTest::newRow("space") << test_support::pressKey(Qt::Key_Space);
  QTest::newRow("Escape") << test_support::pressKey(Qt::Key_Escape);
  QTest::newRow("window closed") << test_support::closeWindow();
}

void QtDialogsTest::messageBoxOkOnlyAnswersOneHoweverClosed() {
  QFETCH(DialogAction, action);
  ModalGuard guard;
  guard.expect(QStringLiteral("messageBox"), action);
  platform::QtDialogs dialogs;
  const int answer = dialogs.messageBox("This software will exit.", platform::kMessageBoxOkOnly,
                                        " Problem of (3x+1)");
  QCOMPARE(answer, platform::kAnswerOk);
  QCOMPARE(guard.pendingSteps(), 0);
  QVERIFY2(guard.problems().isEmpty(), qPrintable(guard.problems().join(", ")));
  QCOMPARE(guard.seen().front().title, QStringLiteral(" Problem of (3x+1)"));
  QCOMPARE(guard.seen().front().message, QStringLiteral("This software will exit."));
}

void QtDialogsTest::messageBoxRefusesAnUnknownStyle() {
  ModalGuard guard;  // no box may open
  platform::QtDialogs dialogs;
  for (int style : {-1, 6, 15}) {
    try {
      (void)dialogs.messageBox("x", style, "y");
      QFAIL(qPrintable(QStringLiteral("style %1 was accepted").arg(style)));
    } catch (const platform::RuntimeError& error) {
      QCOMPARE(error.number(), platform::kErrorDialogFailed);
    }
  }
  QVERIFY(guard.seen().empty());
}

QTEST_MAIN(QtDialogsTest)
#include "qt_dialogs_test.moc"
