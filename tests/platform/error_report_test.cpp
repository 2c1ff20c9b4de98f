// The default error report with the real message box, and the program end through the event
// loop: an error leaving a handler is shown, the program ends with the error status, and no
// handler runs afterwards.
#include <QApplication>
#include <QEventLoop>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <stdexcept>

#include "modal_guard.h"
#include "platform/handler_guard.h"
#include "platform/qt_dialogs.h"
#include "platform/qt_program_end.h"
#include "platform/runtime_error.h"

using test_support::ModalGuard;

namespace {

// Runs the code inside the application's event loop, as the program's handlers run, and returns
// the loop's exit status.
int runInEventLoop(const std::function<void()>& code) {
  QTimer::singleShot(0, code);
  // A loop nobody ends would hang the test: end it with a status no test expects.
  QTimer hang;
  hang.setSingleShot(true);
  QObject::connect(&hang, &QTimer::timeout, [] { QCoreApplication::exit(-99); });
  hang.start(10000);
  return QCoreApplication::exec();
}

}  // namespace

class ErrorReportTest : public QObject {
  Q_OBJECT

 private slots:
  void errorIsReportedAndEndsTheProgram_data();
  void errorIsReportedAndEndsTheProgram();
  void programEndLeavesEveryLoopAndHidesTheWindows();
  void programEndBeforeTheLoopRunsEndsItAtOnce();
};

void ErrorReportTest::errorIsReportedAndEndsTheProgram_data() {
  QTest::addColumn<int>("kind");  // 0: run-time error, 1: other exception, 2: anything else
  QTest::addColumn<QString>("message");
  QTest::newRow("property set failed")
      << 0 << QStringLiteral("Run-time error '380':\n\nInvalid property value");
  QTest::newRow("standard exception") << 1 << QStringLiteral("Run-time error:\n\nout of range");
  QTest::newRow("unknown throw") << 2 << QStringLiteral("Run-time error:\n\nUnknown error");
}

void ErrorReportTest::errorIsReportedAndEndsTheProgram() {
  QFETCH(int, kind);
  QFETCH(QString, message);
  platform::QtDialogs dialogs;
  platform::QtProgramEnd programEnd;
  platform::HandlerGuard guard(dialogs, programEnd);
  ModalGuard modals;
  modals.acknowledgeMessage();

  int handlersRun = 0;
  const int status = runInEventLoop([&] {
    guard.run([&] {
      ++handlersRun;
      if (kind == 0)
        throw platform::RuntimeError(platform::kErrorPropertySetFailed, "Invalid property value");
      if (kind == 1) throw std::out_of_range("out of range");
      throw 42;
    });
    // Queued events of the window still arriving: they run no handler any more.
    guard.run([&] { ++handlersRun; });
  });

  QCOMPARE(status, platform::kErrorExitStatus);
  QVERIFY(programEnd.ended());
  QCOMPARE(programEnd.exitStatus(), platform::kErrorExitStatus);
  QCOMPARE(handlersRun, 1);
  QCOMPARE(modals.seen().size(), std::size_t{1});
  QCOMPARE(modals.seen().front().title, QStringLiteral("collatz"));
  QCOMPARE(modals.seen().front().message, message);
  QVERIFY(modals.problems().isEmpty());
}

void ErrorReportTest::programEndLeavesEveryLoopAndHidesTheWindows() {
  QWidget window;
  window.show();
  QVERIFY(QTest::qWaitForWindowExposed(&window));
  platform::QtProgramEnd programEnd;
  int innerStatus = -1;
  const int outerStatus = runInEventLoop([&] {
    // A modal loop inside the main one, as while a dialog is open.
    QEventLoop inner;
    QTimer::singleShot(0, &inner, [&] { programEnd.end(7); });
    innerStatus = inner.exec();
  });
  QCOMPARE(innerStatus, 7);
  QCOMPARE(outerStatus, 7);
  QVERIFY(window.isHidden());
  // A second end changes nothing.
  programEnd.end(0);
  QCOMPARE(programEnd.exitStatus(), 7);
}

void ErrorReportTest::programEndBeforeTheLoopRunsEndsItAtOnce() {
  platform::QtProgramEnd programEnd;
  programEnd.end(3);
  QCOMPARE(runInEventLoop([] {}), 3);
}

QTEST_MAIN(ErrorReportTest)
#include "error_report_test.moc"
