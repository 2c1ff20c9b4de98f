// The program itself on a display server and an audio server of the test's own: on X11, and
// natively on Wayland (Qt's Wayland plugin, with no X server to fall back to), its window comes up
// with the exact caption, tells the desktop the name of its launcher (the X11 window class, the
// Wayland app id) and shows the explanation; it ends with status 0 by "Exit" (also while the audio
// server hangs) and by its frame.
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QProcess>
#include <QTest>
#include <QThread>
#include <memory>

#include "platform/qt_text.h"
#include "support/private_audio_server.h"
#include "ui/form1_layout.h"
#include "virtual_display.h"

namespace {

using Kind = VirtualDisplay::Kind;

const QString kCaption = platform::toQString(ui::kForm1Caption);
// The launcher's name, without .desktop.
const QString kAppId = QStringLiteral(COLLATZ_APP_ID);

// The text as an extended regular expression (xdotool's --name) that matches it alone.
QString exactly(const QString& text) {
  QString pattern = QStringLiteral("^");
  for (const QChar c : text) {
    if (QStringLiteral(".[]()*+?{}|^$\\").contains(c)) pattern += QLatin1Char('\\');
    pattern += c;
  }
  return pattern + QLatin1Char('$');
}

// Pixels in the explanation's dark blue (RGB 1, 0, 98), or in its anti-aliased edges, within the
// area (the whole picture when it is null).
int explanationPixels(const QImage& shot, QRect area) {
  if (area.isNull()) area = shot.rect();
  area &= shot.rect();
  int count = 0;
  for (int y = area.top(); y <= area.bottom(); ++y) {
    for (int x = area.left(); x <= area.right(); ++x) {
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
  void cleanup();
  void windowComesUpAndShowsTheExplanation_data();
  void windowComesUpAndShowsTheExplanation();
  void programEndsWithStatusZero_data();
  void programEndsWithStatusZero();

 private:
  // Starts a display of the kind and the program on it; on X11 finds its window.
  void start(Kind kind);
  // Runs a helper program on the test's display; returns its standard output without the final
  // line break.
  QString runOnDisplay(const QString& program, const QStringList& arguments,
                       int* exitCode = nullptr, int timeoutMs = 15000);
  // The first value the program's windows set as app_id or title on the Wayland compositor, once
  // there is one (empty after 20 s).
  QString waylandToplevel(const QString& field);
  QImage screenshot();
  bool waitForExplanation(QImage* shot);

  Kind kind_ = Kind::kX11;
  std::unique_ptr<VirtualDisplay> display_;
  std::unique_ptr<sound_test::PrivateAudioServer> audio_;
  QProcess collatz_;
  QString window_;  // X11 only
};

QString RealWindowTest::runOnDisplay(const QString& program, const QStringList& arguments,
                                     int* exitCode, int timeoutMs) {
  QProcess helper;
  helper.setProcessEnvironment(
      display_->clientEnvironment(QProcessEnvironment::systemEnvironment()));
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

void RealWindowTest::start(Kind kind) {
  kind_ = kind;
  display_ = std::make_unique<VirtualDisplay>(kind);
  QVERIFY2(display_->isRunning(), qPrintable(display_->error()));
  audio_ =
      std::make_unique<sound_test::PrivateAudioServer>(sound_test::serverKindFromEnvironment());

  QProcessEnvironment environment =
      display_->clientEnvironment(QProcessEnvironment::systemEnvironment());
  // As a desktop session says it is one: Qt then chooses its Wayland plugin.
  if (kind == Kind::kWayland)
    environment.insert(QStringLiteral("XDG_SESSION_TYPE"), QStringLiteral("wayland"));
  for (const std::string& entry : audio_->clientEnvironment()) {
    const QString variable = QString::fromStdString(entry);
    environment.insert(variable.section(QLatin1Char('='), 0, 0),
                       variable.section(QLatin1Char('='), 1));
  }
  // There is no session bus here to answer whether a desktop portal runs: Qt (from 6.8) would
  // keep its unanswered question allocated to the end, which the leak checker reports at exit.
  environment.insert(QStringLiteral("QT_NO_XDG_DESKTOP_PORTAL"), QStringLiteral("1"));
  environment.insert(QStringLiteral("LSAN_OPTIONS"),
                     QStringLiteral("suppressions=" COLLATZ_LSAN_SUPPRESSIONS));
  collatz_.setProcessEnvironment(environment);
  collatz_.setWorkingDirectory(QStringLiteral(COLLATZ_RUN_DIR));
  collatz_.setProcessChannelMode(QProcess::ForwardedChannels);
  collatz_.start(QStringLiteral(COLLATZ_PROGRAM), {});
  QVERIFY(collatz_.waitForStarted(5000));
  if (kind == Kind::kWayland) return;

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
  window_.clear();
  audio_.reset();
  display_.reset();
}

QString RealWindowTest::waylandToplevel(const QString& field) {
  const QDeadlineTimer deadline(20000);
  do {
    const QString values = display_->starterCommand({QStringLiteral("wayland-toplevel"), field});
    if (!values.isEmpty()) return values.section(QLatin1Char('\n'), 0, 0);
    if (collatz_.state() == QProcess::NotRunning) return {};
    QThread::msleep(100);
  } while (!deadline.hasExpired());
  return {};
}

QImage RealWindowTest::screenshot() {
  const QString path = QDir::current().absoluteFilePath(
      kind_ == Kind::kX11 ? QStringLiteral("real_window.png")
                          : QStringLiteral("real_window_wayland.png"));
  QFile::remove(path);
  if (kind_ == Kind::kX11) {
    runOnDisplay(QStringLiteral("import"), {QStringLiteral("-window"), window_, path});
  } else {
    display_->starterCommand({QStringLiteral("wayland-screenshot"), path});
  }
  return QImage(path);
}

bool RealWindowTest::waitForExplanation(QImage* shot) {
  // On X11 the shot is the window alone: Picture1 inside its border. On Wayland it is the whole
  // output, the window wherever the compositor put it.
  const QRect picture = kind_ == Kind::kX11 ? QRect(9, 33, 679, 199) : QRect();
  const QDeadlineTimer deadline(10000);
  do {
    *shot = screenshot();
    if (explanationPixels(*shot, picture) > 1000) return true;
    QThread::msleep(100);
  } while (!deadline.hasExpired());
  return false;
}

void RealWindowTest::windowComesUpAndShowsTheExplanation_data() {
  QTest::addColumn<Kind>("kind");
  QTest::newRow("X11") << Kind::kX11;
  QTest::newRow("Wayland, natively") << Kind::kWayland;
}

void RealWindowTest::windowComesUpAndShowsTheExplanation() {
  QFETCH(Kind, kind);
  start(kind);
  if (QTest::currentTestFailed()) return;

  if (kind == Kind::kX11) {
    QCOMPARE(runOnDisplay(QStringLiteral("xdotool"), {QStringLiteral("getwindowname"), window_}),
             kCaption);
    // WM_CLASS(STRING) = "instance", "class": desktops match the class to StartupWMClass.
    const QString wmClass = runOnDisplay(
        QStringLiteral("xprop"), {QStringLiteral("-id"), window_, QStringLiteral("WM_CLASS")});
    QCOMPARE(wmClass.section(QLatin1Char('"'), -2, -2), kAppId);
  } else {
    // Requests on an xdg_toplevel reach the compositor only from a native Wayland client.
    QCOMPARE(waylandToplevel(QStringLiteral("app_id")), kAppId);
    QCOMPARE(waylandToplevel(QStringLiteral("title")), kCaption);
  }
  QImage shot;
  QVERIFY2(waitForExplanation(&shot), "no explanation in the screenshot");
  if (kind == Kind::kX11) QCOMPARE(shot.size(), QSize(698, 504));
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
  start(Kind::kX11);
  if (QTest::currentTestFailed()) return;
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
                      QStringLiteral("--name"), exactly(platform::toQString(ui::kExitTitle))},
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
