#include "platform/qt_program_end.h"

#include <QApplication>
#include <QMetaObject>
#include <QThread>
#include <QWidget>

namespace platform {

void QtProgramEnd::end(int exitStatus) {
  if (ended_) return;
  ended_ = true;
  exitStatus_ = exitStatus;
  if (QCoreApplication::instance() == nullptr) return;

  // Hidden, not closed: closing would run the windows' close handlers, and no handler may run
  // once the program has ended. The owner destroys the windows when the event loop has returned.
  for (QWidget* window : QApplication::topLevelWidgets()) window->hide();

  if (QThread::currentThread()->loopLevel() > 0) {
    // Leaves the main event loop and every modal loop running inside it.
    QCoreApplication::exit(exitStatus);
  } else {
    // Not inside an event loop yet (for example while the first window is being shown): the
    // event loop returns the status as soon as it starts.
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [exitStatus] { QCoreApplication::exit(exitStatus); },
        Qt::QueuedConnection);
  }
}

}  // namespace platform
