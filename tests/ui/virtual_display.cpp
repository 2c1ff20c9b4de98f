#include "virtual_display.h"

#include <QDeadlineTimer>

VirtualDisplay::VirtualDisplay() {
  // -displayfd 1: Xvfb chooses a free display and writes its number to standard output once it
  // accepts connections. -noreset: the program's display check connects and disconnects before
  // the program proper connects, and a server that resets when its last client leaves may refuse
  // the next one.
  server_.start(QStringLiteral("Xvfb"),
                {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                 QStringLiteral("0"), QStringLiteral("1024x768x24"), QStringLiteral("-nolisten"),
                 QStringLiteral("tcp"), QStringLiteral("-noreset")});
  if (!server_.waitForStarted(5000)) {
    error_ = QStringLiteral("Xvfb did not start: ") + server_.errorString();
    return;
  }
  QByteArray output;
  const QDeadlineTimer deadline(10000);
  while (!output.contains('\n') && !deadline.hasExpired()) {
    server_.waitForReadyRead(static_cast<int>(deadline.remainingTime()));
    output += server_.readAllStandardOutput();
  }
  bool ok = false;
  const int number = output.trimmed().toInt(&ok);
  if (!ok) {
    error_ = QStringLiteral("Xvfb gave no display number: ") +
             QString::fromLocal8Bit(server_.readAllStandardError());
    return;
  }
  name_ = QStringLiteral(":%1").arg(number);
}

VirtualDisplay::~VirtualDisplay() {
  if (server_.state() == QProcess::NotRunning) return;
  server_.terminate();
  if (!server_.waitForFinished(5000)) {
    server_.kill();
    server_.waitForFinished(2000);
  }
}
