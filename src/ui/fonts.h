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

// The largest stretch (percent, at most 100) at which every line fits in the width, keeping the
// face, its point size and so its line height. 100 when they fit already.
int stretchToFit(const QFont& font, const QStringList& lines, int width);

}  // namespace ui
