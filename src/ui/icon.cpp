#include "ui/icon.h"

#include <QFont>
#include <QPainter>

namespace ui {

namespace {
constexpr int kSide = 32;
constexpr int kBand = 7;  // height of each red band
}  // namespace

QImage iconImage() {
  QImage image(kSide, kSide, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  painter.fillRect(0, 0, kSide, kBand, Qt::red);
  painter.fillRect(0, kSide - kBand, kSide, kBand, Qt::red);

  QFont font(QStringLiteral("DejaVu Sans"));
  font.setStyleHint(QFont::SansSerif);
  font.setPixelSize(12);
  font.setBold(true);
  font.setStretch(QFont::SemiCondensed);
  painter.setFont(font);
  painter.setPen(Qt::black);
  painter.drawText(QRect(0, kBand, kSide, kSide - 2 * kBand), Qt::AlignCenter,
                   QStringLiteral("3x+1"));
  return image;
}

QIcon programIcon() { return QIcon(QPixmap::fromImage(iconImage())); }

}  // namespace ui
