#include "ui/icon.h"

#include <QPainter>
#include <array>
#include <string_view>

namespace ui {

namespace {
constexpr int kSide = 32;
constexpr int kBand = 7;  // height of each red band

// "3x+1" in bold 6 x 8 pixel glyphs. Drawn from this table rather than from a font, so that
// showing the window does not have to load and rasterise a typeface just for its icon.
constexpr int kGlyphWidth = 6;
constexpr int kGlyphHeight = 8;
constexpr int kGlyphGap = 1;
using Glyph = std::array<std::string_view, kGlyphHeight>;
constexpr std::array<Glyph, 4> kText = {{
    {".####.", "##..##", "....##", "..###.", "....##", "....##", "##..##", ".####."},
    {"......", "......", "......", "##..##", ".####.", "..##..", ".####.", "##..##"},
    {"......", "..##..", "..##..", "######", "######", "..##..", "..##..", "......"},
    {"..##..", ".###..", "####..", "..##..", "..##..", "..##..", "..##..", "######"},
}};
}  // namespace

QImage iconImage() {
  QImage image(kSide, kSide, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  painter.fillRect(0, 0, kSide, kBand, Qt::red);
  painter.fillRect(0, kSide - kBand, kSide, kBand, Qt::red);
  painter.end();

  constexpr int textWidth = int(kText.size()) * (kGlyphWidth + kGlyphGap) - kGlyphGap;
  constexpr int left = (kSide - textWidth) / 2;
  constexpr int top = kBand + (kSide - 2 * kBand - kGlyphHeight) / 2;
  for (std::size_t glyph = 0; glyph < kText.size(); ++glyph) {
    const int glyphLeft = left + int(glyph) * (kGlyphWidth + kGlyphGap);
    for (int row = 0; row < kGlyphHeight; ++row) {
      for (int column = 0; column < kGlyphWidth; ++column) {
        if (kText[glyph][row][column] == '#') {
          image.setPixel(glyphLeft + column, top + row, qRgb(0, 0, 0));
        }
      }
    }
  }
  return image;
}

QIcon programIcon() { return QIcon(QPixmap::fromImage(iconImage())); }

}  // namespace ui
