#include "virtual_display.h"

#include <QDeadlineTimer>

namespace {

const QString kStarter = QStringLiteral(COLLATZ_VIRTUAL_DISPLAY_SCRIPT);

}  // namespace

VirtualDisplay::VirtualDisplay(Kind kind) {
  const bool x11 = kind == Kind::kX11;
  // The server lives as long as the starter's standard input stays open: if this test dies, the
  // pipe closes and the starter ends the server.
  starter_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  starter_.start(
      QStringLiteral("bash"),
      {kStarter, QStringLiteral("serve"), x11 ? QStringLiteral("x11") : QStringLiteral("wayland"),
       x11 ? QStringLiteral("1024x768x24") : QStringLiteral("1024x768")});
  if (!starter_.waitForStarted(5000)) {
    error_ = QStringLiteral("the display starter did not start: ") + starter_.errorString();
    return;
  }
  // NAME=VALUE lines, then an empty one once the server accepts clients.
  QProcessEnvironment variables;
  const QDeadlineTimer deadline(20000);
  while (!deadline.hasExpired()) {
    if (!starter_.canReadLine() &&
        !starter_.waitForReadyRead(static_cast<int>(deadline.remainingTime()))) {
      break;
    }
    while (starter_.canReadLine()) {
      const QString line = QString::fromLocal8Bit(starter_.readLine()).trimmed();
      if (line.isEmpty()) {
        starterDir_ = variables.value(QStringLiteral("VD_DIR"));
        variables.remove(QStringLiteral("VD_DIR"));
        clientVariables_ = variables;
        return;
      }
      variables.insert(line.section(QLatin1Char('='), 0, 0), line.section(QLatin1Char('='), 1));
    }
  }
  error_ = QStringLiteral("the display starter gave no display (see its messages above)");
}

VirtualDisplay::~VirtualDisplay() {
  if (starter_.state() == QProcess::NotRunning) return;
  starter_.closeWriteChannel();
  if (!starter_.waitForFinished(10000)) {
    starter_.terminate();
    starter_.waitForFinished(5000);
  }
}

QProcessEnvironment VirtualDisplay::clientEnvironment(QProcessEnvironment environment) const {
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "XDG_RUNTIME_DIR", "QT_QPA_PLATFORM"}) {
    environment.remove(QString::fromLatin1(name));
  }
  environment.insert(clientVariables_);
  return environment;
}

QString VirtualDisplay::starterCommand(const QStringList& arguments) const {
  QProcess command;
  QProcessEnvironment environment = clientEnvironment(QProcessEnvironment::systemEnvironment());
  environment.insert(QStringLiteral("VD_DIR"), starterDir_);
  command.setProcessEnvironment(environment);
  command.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  command.start(QStringLiteral("bash"), QStringList{kStarter} + arguments);
  if (!command.waitForFinished(15000)) {
    command.kill();
    command.waitForFinished(2000);
    return {};
  }
  if (command.exitStatus() != QProcess::NormalExit || command.exitCode() != 0) return {};
  QString output = QString::fromUtf8(command.readAllStandardOutput());
  while (output.endsWith(QLatin1Char('\n'))) output.chop(1);
  return output;
}
