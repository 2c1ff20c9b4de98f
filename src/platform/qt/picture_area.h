#pragma once

#include <QFrame>
#include <QString>
#include <QStringList>
#include <string_view>
#include <vector>

#include "platform/controls.h"

namespace platform {

// A picture area that accepts printed text. Each print draws one text at the print position in
// the area's font and text colour, then moves the position back to the left edge, one text line
// (the font's line spacing) lower. A print never wraps: what does not fit is cut off at the right
// edge, and lines below the bottom edge are kept but not visible; the area never scrolls.
//
// Printed text is kept and repainted from memory, so it survives the area being covered,
// uncovered or repainted. The accessible description is the printed text, one line per print.
class PictureArea : public QFrame, public PictureBox {
  Q_OBJECT

 public:
  explicit PictureArea(QWidget* parent = nullptr);

  Status printLine(std::string_view text) override;

  void setBackColor(const QColor& color);
  void setForeColor(const QColor& color);

  // What has been printed, in order, and where the next print goes (contents coordinates).
  QStringList printedLines() const;
  int printTop() const { return printTop_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  struct PrintedLine {
    QString text;
    int top;  // top of the text line, in contents coordinates
  };

  std::vector<PrintedLine> lines_;
  int printTop_ = 0;
};

}  // namespace platform
