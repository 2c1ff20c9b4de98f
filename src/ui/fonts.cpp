#include "ui/fonts.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <algorithm>

namespace ui {

namespace {
constexpr int kPointSize = 12;
constexpr qreal kSmallestPointSize = 6.0;
constexpr int kSmallestStretch = 50;  // narrower than this and the text is no longer readable
}  // namespace

QStringList japaneseGothicFamilies() {
  return {QStringLiteral("IPAPGothic"), QStringLiteral("VL PGothic"), QStringLiteral("IPAexGothic"),
          QStringLiteral("Noto Sans CJK JP")};
}

QFont japaneseGothicFont() {
  QFont font;
  font.setFamilies(japaneseGothicFamilies());
  font.setStyleHint(QFont::SansSerif);
  font.setPointSize(kPointSize);
  font.setWeight(QFont::Normal);
  font.setItalic(false);
  font.setUnderline(false);
  font.setStrikeOut(false);
  return font;
}

QString resolvedFamily(const QFont& font) { return QFontInfo(font).family(); }

int widestAdvance(const QFont& font, const QStringList& lines) {
  const QFontMetrics metrics(font);
  int widest = 0;
  for (const QString& line : lines) widest = std::max(widest, metrics.horizontalAdvance(line));
  return widest;
}

qreal pointSizeToFit(const QFont& font, int lineCount, int height) {
  QFont smaller = font;
  qreal size = font.pointSizeF();
  for (; size > kSmallestPointSize; size -= 0.5) {
    smaller.setPointSizeF(size);
    if (QFontMetrics(smaller).lineSpacing() * lineCount <= height) break;
  }
  return size;
}

int stretchToFit(const QFont& font, const QStringList& lines, int width) {
  QFont narrowed = font;
  narrowed.setStretch(100);
  const int natural = widestAdvance(narrowed, lines);
  if (natural <= width) return 100;
  // Advances are rounded per glyph, so the proportional guess is only a starting point.
  const auto fits = [&](int stretch) {
    narrowed.setStretch(stretch);
    return widestAdvance(narrowed, lines) <= width;
  };
  int stretch = std::clamp(100 * width / std::max(natural, 1), kSmallestStretch, 99);
  while (stretch > kSmallestStretch && !fits(stretch)) --stretch;
  while (stretch < 99 && fits(stretch + 1)) ++stretch;
  return stretch;
}

}  // namespace ui
