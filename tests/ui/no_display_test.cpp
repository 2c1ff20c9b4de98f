// The program started where no display can be opened: one clear line, a non-zero status, and no
// crash.
#include <QProcess>
#include <QTest>

class NoDisplayTest : public QObject {
  Q_OBJECT

 private slots:
  void saysSoInOneLineAndFails_data();
  void saysSoInOneLineAndFails();
};

void NoDisplayTest::saysSoInOneLineAndFails_data() {
  QTest::addColumn<QString>("display");  // empty: DISPLAY unset
  QTest::newRow("DISPLAY unset") << QString();
  QTest::newRow("DISPLAY names no server") << QStringLiteral(":4093");
}

void NoDisplayTest::saysSoInOneLineAndFails() {
  QFETCH(QString, display);
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "XAUTHORITY"}) {
    environment.remove(QString::fromLatin1(name));
  }
  if (!display.isEmpty()) environment.insert(QStringLiteral("DISPLAY"), display);

  QProcess collatz;
  collatz.setProcessEnvironment(environment);
  collatz.setProcessChannelMode(QProcess::MergedChannels);
  collatz.start(QStringLiteral(COLLATZ_PROGRAM), {});
  QVERIFY(collatz.waitForFinished(15000));

  QCOMPARE(collatz.exitStatus(), QProcess::NormalExit);  // not a signal, no core dump
  QVERIFY(collatz.exitCode() != 0);
  const QString output = QString::fromLocal8Bit(collatz.readAll()).trimmed();
  QVERIFY2(!output.isEmpty() && !output.contains(QLatin1Char('\n')), qPrintable(output));
  QVERIFY2(output.contains(QLatin1String("display"), Qt::CaseInsensitive), qPrintable(output));
}

QTEST_GUILESS_MAIN(NoDisplayTest)
#include "no_display_test.moc"
