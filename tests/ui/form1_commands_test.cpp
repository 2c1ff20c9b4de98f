// The window's commands under the offscreen platform, with the real prompt and message box:
// "Experiment", "Init", "Exit", closing the window, and errors reaching the default error report.
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "experiment/trajectory.h"
#include "form_fixture.h"
#include "modal_guard.h"
#include "platform/handler_guard.h"
#include "platform/label_widget.h"
#include "platform/picture_area.h"
#include "platform/qt_dialogs.h"
#include "platform/qt_text.h"
#include "platform/runtime_error.h"
#include "platform/text_box_widget.h"
#include "ui/form1_layout.h"

namespace {

using platform::toQString;

// The texts as the code that shows them has them: these tests check where they appear, not what
// they say.
const QString kLabelPrefix = toQString(experiment::kLabelPrefix);
const QString kPromptTitle = toQString(experiment::kPromptTitle);
const QString kPromptMessage = toQString(experiment::kPromptMessage);

// The trajectory after the start, each value after one blank, computed in 64-bit integers.
QString trajectoryText(std::int64_t n) {
  QString text;
  while (n != 1) {
    n = n % 2 == 0 ? n / 2 : 3 * n + 1;
    text += QLatin1Char(' ') + QString::number(n);
  }
  return text;
}

// A multimedia control that records the property sets it is given, or refuses them all.
class StandInControl : public platform::Dispatchable {
 public:
  explicit StandInControl(bool refuses = false) : refuses_(refuses) {}
  platform::Status setPropertyById(int dispatchId, std::string_view value) override {
    sets.emplace_back(dispatchId, std::string(value));
    if (refuses_) {
      return platform::Status::failure(platform::kErrorUnknownProperty,
                                       "Object doesn't support this property or method");
    }
    return platform::Status::success();
  }
  std::vector<std::pair<int, std::string>> sets;

 private:
  bool refuses_;
};

// The Qt dialogs, except that the prompt cannot be shown.
class PromptlessDialogs : public platform::QtDialogs {
 public:
  std::string inputBox(const std::string&, const std::string&) override {
    throw platform::RuntimeError(platform::kErrorDialogFailed, "The prompt could not be shown");
  }
};

enum class Trigger { kClick, kEnter, kSpace };

QString shownText(ui::Form1& form) {
  QCoreApplication::processEvents();  // the text box may show its text once the loop runs
  return form.text1().toPlainText();
}

}  // namespace

using test_support::DialogAction;
using test_support::ModalGuard;

DialogAction answer(const QString& text) {
  return test_support::inOrder(
      {test_support::typeText(text), test_support::pressKey(Qt::Key_Return)});
}

Q_DECLARE_METATYPE(DialogAction)
Q_DECLARE_METATYPE(Trigger)

class Form1CommandsTest : public QObject {
  Q_OBJECT

 private slots:
  void experimentAsksUntilAnAcceptedStart_data();
  void experimentAsksUntilAnAcceptedStart();
  void experimentAfterAnExperimentStartsEmpty();
  void initEmptiesTheTrajectoryOnly_data();
  void initEmptiesTheTrajectoryOnly();
  void exitSaysGoodbyeAndEndsWithStatusZero();
  void closingTheWindowIsSilent();
  void errorInAHandlerEndsTheProgram_data();
  void errorInAHandlerEndsTheProgram();
};

void Form1CommandsTest::experimentAsksUntilAnAcceptedStart_data() {
  QTest::addColumn<Trigger>("trigger");
  QTest::addColumn<QList<DialogAction>>("answers");
  const DialogAction start27 = answer(QStringLiteral("27"));
  QTest::newRow("click, 27") << Trigger::kClick << QList<DialogAction>{start27};
  QTest::newRow("Enter, 27") << Trigger::kEnter << QList<DialogAction>{start27};
  QTest::newRow("space, 27") << Trigger::kSpace << QList<DialogAction>{start27};
  QTest::newRow("2 refused, 27") << Trigger::kClick
                                 << QList<DialogAction>{answer(QStringLiteral("2")), start27};
  QTest::newRow("10000001 refused, 27")
      << Trigger::kClick << QList<DialogAction>{answer(QStringLiteral("10000001")), start27};
  QTest::newRow("Escape, empty answer, closed, 27")
      << Trigger::kEnter
      << QList<DialogAction>{test_support::pressKey(Qt::Key_Escape), answer(QString()),
                             test_support::closeWindow(), start27};
}

void Form1CommandsTest::experimentAsksUntilAnAcceptedStart() {
  QFETCH(Trigger, trigger);
  QFETCH(QList<DialogAction>, answers);
  ShownForm shown(std::make_unique<platform::QtDialogs>(), std::make_unique<StandInControl>());
  QVERIFY(shown.shown);
  ui::Form1& form = *shown.form;

  ModalGuard guard;
  QStringList seenAtPrompt;  // what Text1 and Label1 showed each time the prompt appeared
  for (const DialogAction& action : answers) {
    guard.expect(QStringLiteral("inputBox"), [&, action](QWidget& prompt) {
      seenAtPrompt.append(form.text1().toPlainText() + QLatin1Char('|') + form.label1().text());
      action(prompt);
    });
  }
  QCOMPARE(QApplication::focusWidget(), &form.command1());
  switch (trigger) {
    case Trigger::kClick:
      QTest::mouseClick(&form.command1(), Qt::LeftButton);
      break;
    case Trigger::kEnter:
      QTest::keyClick(&form.command1(), Qt::Key_Return);
      break;
    case Trigger::kSpace:
      QTest::keyClick(&form.command1(), Qt::Key_Space);
      break;
  }

  QCOMPARE(guard.pendingSteps(), 0);
  QVERIFY2(guard.problems().isEmpty(), qPrintable(guard.problems().join(", ")));
  QCOMPARE(seenAtPrompt, QStringList(answers.size(), QStringLiteral("|")));
  for (const test_support::SeenDialog& prompt : guard.seen()) {
    QCOMPARE(prompt.title, kPromptTitle);
    QCOMPARE(prompt.message, kPromptMessage);
  }
  QCOMPARE(form.label1().text(), kLabelPrefix + QStringLiteral(" 27"));
  const QString trajectory = shownText(form);
  QCOMPARE(trajectory, trajectoryText(27));
  QCOMPARE(trajectory.split(QLatin1Char(' '), Qt::SkipEmptyParts).size(), 111);
  QVERIFY(trajectory.endsWith(QStringLiteral(" 4 2 1")));
  QCOMPARE(form.state().inputText, std::string("27"));
  QCOMPARE(form.state().n, 1.0);
  QVERIFY(!shown.programEnd->ended());
}

void Form1CommandsTest::experimentAfterAnExperimentStartsEmpty() {
  ShownForm shown(std::make_unique<platform::QtDialogs>(), std::make_unique<StandInControl>());
  QVERIFY(shown.shown);
  ui::Form1& form = *shown.form;
  ModalGuard guard;
  guard.expect(QStringLiteral("inputBox"), answer(QStringLiteral("11")));
  QTest::mouseClick(&form.command1(), Qt::LeftButton);
  QCOMPARE(shownText(form), trajectoryText(11));

  QString seen;
  guard.expect(QStringLiteral("inputBox"), [&](QWidget& prompt) {
    seen = form.text1().toPlainText() + QLatin1Char('|') + form.label1().text();
    answer(QStringLiteral("3"))(prompt);
  });
  QTest::mouseClick(&form.command1(), Qt::LeftButton);
  QCOMPARE(seen, QStringLiteral("|"));
  QCOMPARE(shownText(form), QStringLiteral(" 10 5 16 8 4 2 1"));
  QCOMPARE(form.label1().text(), kLabelPrefix + QStringLiteral(" 3"));
  QCOMPARE(guard.pendingSteps(), 0);
}

void Form1CommandsTest::initEmptiesTheTrajectoryOnly_data() {
  QTest::addColumn<QString>("start");  // empty: no experiment before "Init"
  QTest::newRow("right after start") << QString();
  QTest::newRow("after the experiment 27") << QStringLiteral("27");
}

void Form1CommandsTest::initEmptiesTheTrajectoryOnly() {
  QFETCH(QString, start);
  auto control = std::make_unique<StandInControl>();
  StandInControl& chime = *control;
  ShownForm shown(std::make_unique<platform::QtDialogs>(), std::move(control));
  QVERIFY(shown.shown);
  ui::Form1& form = *shown.form;
  const QStringList explanation = form.picture1().printedLines();
  ModalGuard guard;
  if (!start.isEmpty()) {
    guard.expect(QStringLiteral("inputBox"), answer(start));
    QTest::mouseClick(&form.command1(), Qt::LeftButton);
    QVERIFY(!shownText(form).isEmpty());
  }
  const experiment::ExperimentState before = form.state();

  QTest::mouseClick(&form.command3(), Qt::LeftButton);
  const std::vector<std::pair<int, std::string>> cue = {
      {23, "Stop"}, {23, "Close"}, {22, "pinpon.wav"}, {23, "Open"}, {23, "Sound"}};
  QVERIFY(chime.sets == cue);
  QCOMPARE(shownText(form), QString());
  QCOMPARE(form.label1().text(), QString());
  QCOMPARE(form.state().sequenceText, std::string());
  QCOMPARE(form.state().inputText, before.inputText);
  QCOMPARE(form.state().n, before.n);
  QCOMPARE(form.picture1().printedLines(), explanation);
  QCOMPARE(guard.pendingSteps(), 0);
  QVERIFY(!shown.programEnd->ended());
}

void Form1CommandsTest::exitSaysGoodbyeAndEndsWithStatusZero() {
  auto control = std::make_unique<StandInControl>();
  StandInControl& chime = *control;
  ShownForm shown(std::make_unique<platform::QtDialogs>(), std::move(control));
  QVERIFY(shown.shown);
  ModalGuard guard;
  std::size_t setsBeforeTheBox = 0;
  guard.expect(QStringLiteral("messageBox"), [&](QWidget& box) {
    setsBeforeTheBox = chime.sets.size();
    QCOMPARE(box.windowTitle(), toQString(ui::kExitTitle));
    auto* message = qobject_cast<QMessageBox*>(&box);
    QVERIFY(message != nullptr);
    QCOMPARE(message->text(), toQString(ui::kExitMessage));
    QCOMPARE(message->buttons().size(), 1);
    QVERIFY(!shown.programEnd->ended());  // not before the answer
    QTest::keyClick(&box, Qt::Key_Return);
  });
  QTest::mouseClick(&shown.form->command2(), Qt::LeftButton);

  QCOMPARE(guard.seen().size(), std::size_t{1});
  QCOMPARE(setsBeforeTheBox, std::size_t{5});  // the chime starts before the message
  QCOMPARE(chime.sets.at(2), std::make_pair(22, std::string("endpinpon.wav")));
  QCOMPARE(shown.programEnd->statuses, std::vector<int>{0});
}

void Form1CommandsTest::closingTheWindowIsSilent() {
  auto control = std::make_unique<StandInControl>();
  StandInControl& chime = *control;
  ShownForm shown(std::make_unique<platform::QtDialogs>(), std::move(control));
  QVERIFY(shown.shown);
  ModalGuard guard;  // fails the test if any dialog opens
  QVERIFY(shown.form->close());
  QCoreApplication::processEvents();
  QVERIFY(!shown.form->isVisible());
  QVERIFY(chime.sets.empty());
  QVERIFY(guard.seen().empty());
  QVERIFY(!shown.programEnd->ended());  // the event loop ends with the last window, status 0
}

void Form1CommandsTest::errorInAHandlerEndsTheProgram_data() {
  QTest::addColumn<QString>("button");
  QTest::addColumn<bool>("refusingControl");
  QTest::addColumn<QString>("errorNumber");
  QTest::addColumn<QString>("textLeft");  // Text1 where the handler stopped
  // The chime comes first, so a refusing control stops "Init" before it empties anything;
  // "Experiment" empties both controls before the prompt opens.
  QTest::newRow("Init, the multimedia control refuses") << "Command3" << true << "438"
                                                        << " 5";
  QTest::newRow("Exit, the multimedia control refuses") << "Command2" << true << "438"
                                                        << " 5";
  QTest::newRow("Experiment, the prompt cannot be shown")
      << "Command1" << false << "5" << QString();
}

void Form1CommandsTest::errorInAHandlerEndsTheProgram() {
  QFETCH(QString, button);
  QFETCH(bool, refusingControl);
  QFETCH(QString, errorNumber);
  QFETCH(QString, textLeft);
  std::unique_ptr<platform::Dialogs> dialogs;
  if (refusingControl)
    dialogs = std::make_unique<platform::QtDialogs>();
  else
    dialogs = std::make_unique<PromptlessDialogs>();
  ShownForm shown(std::move(dialogs), std::make_unique<StandInControl>(refusingControl));
  QVERIFY(shown.shown);
  ui::Form1& form = *shown.form;
  platform::setText(form.text1(), " 5");

  ModalGuard guard;
  QString report;
  guard.expect(QStringLiteral("messageBox"), [&](QWidget& box) {
    auto* message = qobject_cast<QMessageBox*>(&box);
    QVERIFY(message != nullptr);
    report = message->text();
    QTest::keyClick(&box, Qt::Key_Return);
  });
  QTest::mouseClick(form.findChild<QPushButton*>(button), Qt::LeftButton);

  QVERIFY2(report.contains(errorNumber), qPrintable(report));
  QCOMPARE(shown.programEnd->statuses, std::vector<int>{platform::kErrorExitStatus});
  QCOMPARE(shownText(form), textLeft);  // the handler went no further
  // Once the program has ended no handler runs: no prompt, no chime, no message.
  QTest::mouseClick(&form.command1(), Qt::LeftButton);
  QTest::mouseClick(&form.command3(), Qt::LeftButton);
  QCOMPARE(guard.seen().size(), std::size_t{1});
  QVERIFY(guard.problems().isEmpty());
  QCOMPARE(shownText(form), textLeft);
}

QTEST_MAIN(Form1CommandsTest)
#include "form1_commands_test.moc"
