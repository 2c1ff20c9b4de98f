// The program itself on a virtual display and an audio server of the test's own: its window maps
// with the exact caption and shows the explanation, and it ends with status 0 by "Exit" (also
// while the audio server hangs) and by its frame.
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QProcess>
#include <QTest>
#include <QThread>
#include <memory>

#include "support/private_audio_server.h"
#include "virtual_display.h"

namespace {

const QString kCaption = QStringLiteral(" Problem of \"3x+1\"\uFF08Collatz problem\uFF09");
const QString kExitBoxPattern = QStringLiteral("^ Problem of \\(3x\\+1\\)$");

// Pixels in the explanation's dark blue (RGB 1, 0, 98), or in its anti-aliased edges.
int explanationPixels(const QImage& shot) {
  const QRect picture(9, 33, 679, 199);  // Picture1 inside its border
  int count = 0;
  for (int y = picture.top(); y <= picture.bottom() && y < shot.height(); ++y) {
    for (int x = picture.left(); x <= picture.right() && x < shot.width(); ++x) {
      const QColor c = shot.pixelColor(x, y);
      if (c.blue() - c.red() > 40 && c.blue() - c.green() > 40) ++count;
    }
  }
  return count;
}

int distinctColours(const QImage& shot) {
  QSet<QRgb> colours;
  for (int y = 0; y < shot.height(); ++y) {
    for (int x = 0; x < shot.width(); ++x) colours.insert(shot.pixel(x, y));
  }
  return static_cast<int>(colours.size());
}

}  // namespace

class RealWindowTest : public QObject {
  Q_OBJECT

 public:
  enum class Ending { kExitButton, kExitWithTheServerStopped, kFrameClose };
  Q_ENUM(Ending)

 private slots:
  void init();
  void cleanup();
  void windowMapsWithCaptionAndShowsTheExplanation();
  void programEndsWithStatusZero_data();
  void programEndsWithStatusZero();

 private:
  // Runs a helper program on the test's display; returns its standard output without the final
  // line break.
  QString runOnDisplay(const QString& program, const QStringList& arguments,
                       int* exitCode = nullptr, int timeoutMs = 15000);
  QImage screenshot(const QString& fileName);
  bool waitForExplanation(QImage* shot);

  std::unique_ptr<VirtualDisplay> display_;
  std::unique_ptr<sound_test::PrivateAudioServer> audio_;
  QProcess collatz_;
  QString window_;
};

QString RealWindowTest::runOnDisplay(const QString& program, const QStringList& arguments,
                                     int* exitCode, int timeoutMs) {
  QProcess helper;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(QStringLiteral("DISPLAY"), display_->name());
  helper.setProcessEnvironment(environment);
  helper.start(program, arguments);
  if (!helper.waitForFinished(timeoutMs)) {
    helper.kill();
    helper.waitForFinished(2000);
  }
  if (exitCode != nullptr) {
    *exitCode = helper.exitStatus() == QProcess::NormalExit ? helper.exitCode() : -1;
  }
  QString output = QString::fromUtf8(helper.readAllStandardOutput());
  while (output.endsWith(QLatin1Char('\n'))) output.chop(1);
  return output;
}

void RealWindowTest::init() {
  display_ = std::make_unique<VirtualDisplay>();
  QVERIFY2(display_->isRunning(), qPrintable(display_->error()));
  audio_ =
      std::make_unique<sound_test::PrivateAudioServer>(sound_test::serverKindFromEnvironment());

  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
  environment.insert(QStringLiteral("DISPLAY"), display_->name());
  for (const std::string& entry : audio_->clientEnvironment()) {
    const QString variable = QString::fromStdString(entry);
    environment.insert(variable.section(QLatin1Char('='), 0, 0),
                       variable.section(QLatin1Char('='), 1));
  }
  environment.insert(QStringLiteral("LSAN_OPTIONS"),
                     QStringLiteral("suppressions=" COLLATZ_LSAN_SUPPRESSIONS));
  collatz_.setProcessEnvironment(environment);
  collatz_.setWorkingDirectory(QStringLiteral(COLLATZ_RUN_DIR));
  collatz_.setProcessChannelMode(QProcess::ForwardedChannels);
  collatz_.start(QStringLiteral(COLLATZ_PROGRAM), {});
  QVERIFY(collatz_.waitForStarted(5000));

  // timeout(1) bounds the search, which would otherwise wait for ever.
  int status = 0;
  window_ = runOnDisplay(QStringLiteral("timeout"),
                         {QStringLiteral("20"), QStringLiteral("xdotool"), QStringLiteral("search"),
                          QStringLiteral("--sync"), QStringLiteral("--onlyvisible"),
                          QStringLiteral("--name"), QStringLiteral("Collatz problem")},
                         &status, 25000)
                .section(QLatin1Char('\n'), 0, 0);
  QVERIFY2(status == 0 && !window_.isEmpty(), "the window did not map");
}

void RealWindowTest::cleanup() {
  if (collatz_.state() != QProcess::NotRunning) {
    collatz_.kill();
    collatz_.waitForFinished(5000);
  }
  audio_.reset();
  display_.reset();
}

QImage RealWindowTest::screenshot(const QString& fileName) {
  const QString path = QDir::current().absoluteFilePath(fileName);
  int status = 0;
  runOnDisplay(QStringLiteral("import"), {QStringLiteral("-window"), window_, path}, &status);
  return status == 0 ? QImage(path) : QImage();
}

bool RealWindowTest::waitForExplanation(QImage* shot) {
  const QDeadlineTimer deadline(10000);
  do {
    *shot = screenshot(QStringLiteral("real_window.png"));
    if (explanationPixels(*shot) > 1000) return true;
    QThread::msleep(100);
  } while (!deadline.hasExpired());
  return false;
}

void RealWindowTest::windowMapsWithCaptionAndShowsTheExplanation() {
  QCOMPARE(runOnDisplay(QStringLiteral("xdotool"), {QStringLiteral("getwindowname"), window_}),
           kCaption);
  QImage shot;
  QVERIFY2(waitForExplanation(&shot), "no explanation in the screenshot");
  QCOMPARE(shot.size(), QSize(698, 504));
  QVERIFY2(distinctColours(shot) > 32, "the window looks blank");
}

void RealWindowTest::programEndsWithStatusZero_data() {
  QTest::addColumn<Ending>("ending");
  QTest::newRow("Exit, then OK on the message box") << Ending::kExitButton;
  QTest::newRow("Exit with the audio server stopped") << Ending::kExitWithTheServerStopped;
  QTest::newRow("closed by its frame") << Ending::kFrameClose;
}

void RealWindowTest::programEndsWithStatusZero() {
  QFETCH(Ending, ending);
  QImage shot;
  QVERIFY(waitForExplanation(&shot));  // the program is up and idle

  int status = 0;
  QElapsedTimer answered;
  if (ending == Ending::kExitWithTheServerStopped) audio_->suspend();
  if (ending != Ending::kFrameClose) {
    // Command2 spans (0, 0)-(57, 25) in the client area.
    runOnDisplay(
        QStringLiteral("xdotool"),
        {QStringLiteral("mousemove"), QStringLiteral("--window"), window_, QStringLiteral("28"),
         QStringLiteral("12"), QStringLiteral("click"), QStringLiteral("1")},
        &status);
    QCOMPARE(status, 0);
    const QString box =
        runOnDisplay(QStringLiteral("timeout"),
                     {QStringLiteral("10"), QStringLiteral("xdotool"), QStringLiteral("search"),
                      QStringLiteral("--sync"), QStringLiteral("--onlyvisible"),
                      QStringLiteral("--name"), kExitBoxPattern},
                     &status, 15000);
    QVERIFY2(status == 0 && !box.isEmpty(), "no closing message box");
    QVERIFY(collatz_.state() == QProcess::Running);  // it waits for the answer
    answered.start();
    runOnDisplay(
        QStringLiteral("xdotool"),
        {QStringLiteral("windowfocus"), QStringLiteral("--sync"),
         box.section(QLatin1Char('\n'), 0, 0), QStringLiteral("key"), QStringLiteral("Return")},
        &status);
    QCOMPARE(status, 0);
  } else {
    answered.start();
    runOnDisplay(QStringLiteral(COLLATZ_CLOSE_WINDOW), {window_}, &status);
    QCOMPARE(status, 0);
  }

  QVERIFY2(collatz_.waitForFinished(10000), "the program did not end");
  QVERIFY2(answered.elapsed() < 1000,
           qPrintable(QStringLiteral("the program took %1 ms to end").arg(answered.elapsed())));
  QCOMPARE(collatz_.exitStatus(), QProcess::NormalExit);
  QCOMPARE(collatz_.exitCode(), 0);
}

QTEST_GUILESS_MAIN(RealWindowTest)
#include "real_window_test.moc"
