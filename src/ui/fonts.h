#pragma once

#include <QFont>
#include <QStringList>

namespace ui {

// The Japanese proportional Gothic face of Picture1 and Label1, 12 point, normal weight, with
// fallbacks down to the best sans-serif face the system has.
QFont japaneseGothicFont();

// The faces tried, best first.
QStringList japaneseGothicFamilies();

// The family the font system actually uses for the font.
QString resolvedFamily(const QFont& font);

// The widest advance of the lines in the font, in pixels.
int widestAdvance(const QFont& font, const QStringList& lines);

// The largest point size, in half-point steps and at most the font's own, at which `lineCount`
// lines of the font, one line spacing apart, stack inside the height. The font's own size when
// they fit already, as the Japanese faces do at 12 point; a fallback face with taller lines is
// made smaller rather than have its last lines cut off. Never below 6 point, unless the
// font's own size is.
qreal pointSizeToFit(const QFont& font, int lineCount, int height);

// The largest stretch (percent, at most 100) at which every line fits in the width, keeping the
// face, its point size and so its line height. 100 when they fit already.
int stretchToFit(const QFont& font, const QStringList& lines, int width);

}  // namespace ui
