#include "platform/picture_area.h"

#include <QFontMetrics>
#include <QPaintEvent>
#include <QPainter>
#include <QPalette>

#include "platform/qt_text.h"

namespace platform {

PictureArea::PictureArea(QWidget* parent) : QFrame(parent) {
  setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
  setAutoFillBackground(true);
}

Status PictureArea::printLine(std::string_view text) {
  const QString line = toQString(text);
  lines_.push_back({line, printTop_});
  printTop_ += fontMetrics().lineSpacing();
  setAccessibleDescription(printedLines().join(QLatin1Char('\n')));
  update(contentsRect());
  return Status::success();
}

void PictureArea::setBackColor(const QColor& color) {
  QPalette colours = palette();
  colours.setColor(QPalette::Window, color);
  setPalette(colours);
}

void PictureArea::setForeColor(const QColor& color) {
  QPalette colours = palette();
  colours.setColor(QPalette::WindowText, color);
  setPalette(colours);
}

QStringList PictureArea::printedLines() const {
  QStringList texts;
  texts.reserve(static_cast<qsizetype>(lines_.size()));
  for (const PrintedLine& line : lines_) texts.append(line.text);
  return texts;
}

void PictureArea::paintEvent(QPaintEvent* event) {
  QFrame::paintEvent(event);
  const QRect area = contentsRect();
  QPainter painter(this);
  painter.setClipRect(area & event->rect());
  painter.setFont(font());
  painter.setPen(palette().color(QPalette::WindowText));
  const int ascent = painter.fontMetrics().ascent();
  for (const PrintedLine& line : lines_) {
    if (line.top >= area.height()) break;
    if (line.text.isEmpty()) continue;
    painter.drawText(area.left(), area.top() + line.top + ascent, line.text);
  }
}

}  // namespace platform
