// Writes the program's own 32 x 32 window icon as a PNG file, so that the desktop's icon theme
// shows exactly what the window shows. The icon is drawn into an image from a table of pixels,
// so no application object or window system is needed.
#include <QImage>
#include <QImageWriter>
#include <cstdio>

#include "ui/icon.h"

int main(int argc, char* argv[]) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s FILE.png\n", argv[0]);
    return 2;
  }
  const QString path = QString::fromLocal8Bit(argv[1]);
  QImageWriter writer(path, "png");
  if (!writer.write(ui::iconImage().convertToFormat(QImage::Format_RGB888))) {
    std::fprintf(stderr, "%s: cannot write %s: %s\n", argv[0], argv[1],
                 qUtf8Printable(writer.errorString()));
    return 1;
  }
  return 0;
}
