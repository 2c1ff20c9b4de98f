// The program as the start-up benchmark times it: the same start-up and window, from the same
// libraries, quitting once the explanation has been painted.
#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QTimer>

#include "platform/picture_area.h"
#include "platform/start_up.h"
#include "ui/form1_factory.h"

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

std::unique_ptr<QWidget> createProbedForm1() {
  std::unique_ptr<QWidget> form = ui::createForm1();
  new QuitAfterTextPainted(*form->findChild<platform::PictureArea*>(QStringLiteral("Picture1")));
  return form;
}

}  // namespace

int main(int argc, char* argv[]) { return platform::startUp(argc, argv, createProbedForm1); }
