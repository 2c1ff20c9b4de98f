#include "ui/exit_after_paint.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QTimer>

#include "platform/picture_area.h"

namespace ui {

namespace {

// Quits the event loop right after the first paint of the area that shows printed text.
class QuitAfterTextPainted : public QObject {
 public:
  explicit QuitAfterTextPainted(platform::PictureArea& picture) : QObject(&picture) {
    picture.installEventFilter(this);
  }

  bool eventFilter(QObject* watched, QEvent* event) override {
    auto* picture = static_cast<platform::PictureArea*>(watched);
    if (event->type() == QEvent::Paint && !picture->printedLines().isEmpty()) {
      picture->removeEventFilter(this);
      // Queued, so that this paint completes first.
      QTimer::singleShot(0, QCoreApplication::instance(), &QCoreApplication::quit);
    }
    return false;
  }
};

}  // namespace

void exitAfterExplanationPaintedIfAsked(platform::PictureArea& picture) {
  if (qEnvironmentVariableIsEmpty(kExitAfterPaintVariable)) return;
  new QuitAfterTextPainted(picture);
}

}  // namespace ui
