// The start-up baseline: a bare Qt window of the program's size that quits right after its first
// paint.
#include <QApplication>
#include <QTimer>
#include <QWidget>

#include "ui/form1_layout.h"

namespace {

class BareWindow : public QWidget {
 protected:
  void paintEvent(QPaintEvent* event) override {
    QWidget::paintEvent(event);
    if (!painted_) QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    painted_ = true;
  }

 private:
  bool painted_ = false;
};

}  // namespace

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  BareWindow window;
  window.setFixedSize(ui::clientSizePixels());
  window.show();
  return app.exec();
}
