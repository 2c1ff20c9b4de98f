// The start-up window's explanation fits inside Picture1, and is narrowed no more than it must be,
// whatever faces the machine has and at whatever scale the screen is drawn. CTest runs these cases
// in the font setups and scale factors they are meant for: the plain one, QT_SCALE_FACTOR=2, and a
// private font setup with no Japanese face at all.
#include <QApplication>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QTest>
#include <algorithm>
#include <memory>

#include "platform/picture_area.h"
#include "ui/fonts.h"
#include "ui/form1_factory.h"

namespace {

constexpr int kExplanationPrints = 11;

// How much of a pixel the text covers, from 0 to 1: the text colour is 0x00620001 (dark blue),
// smoothed into the white background at the glyphs' edges. Neutral pixels, such as the area's grey
// border (which at scale 2 is drawn on the last device column inside contentsRect()), are no text.
double textCoverage(QRgb pixel) {
  if (qBlue(pixel) - qRed(pixel) < 16) return 0.0;
  return (255 - qRed(pixel)) / 254.0;
}

// The right-most column the text's ink reaches when drawn at x = 0, or -1 for no ink.
int inkRightEdge(const QFont& font, const QString& text) {
  QImage image(2000, 40, QImage::Format_RGB32);
  image.fill(Qt::white);
  {
    QPainter painter(&image);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(0, 30, text);
  }
  for (int x = image.width() - 1; x >= 0; --x) {
    for (int y = 0; y < image.height(); ++y) {
      if (image.pixel(x, y) != qRgb(255, 255, 255)) return x;
    }
  }
  return -1;
}

// A pixel counted as text.
constexpr double kInk = 0.35;
// A glyph cut off at an edge leaves at least half a pixel of ink in the last row or column; a
// glyph that ends just inside leaves only its smoothed fringe there.
constexpr double kCut = 0.5;

}  // namespace

class ExplanationFitTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    form_ = ui::createForm1();
    form_->show();
    QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
    picture_ = form_->findChild<platform::PictureArea*>(QStringLiteral("Picture1"));
    QVERIFY(picture_ != nullptr);
    QTRY_COMPARE(picture_->printedLines().size(), kExplanationPrints);
  }

  void cleanup() { form_.reset(); }

  // Every line's advance, and the lines' total height, lie inside the picture's border.
  void explanationFitsByMetrics() {
    const QRect inside = picture_->contentsRect();
    const QFontMetrics metrics(picture_->font(), picture_);
    for (const QString& line : picture_->printedLines()) {
      QVERIFY2(metrics.horizontalAdvance(line) <= inside.width(),
               qPrintable(QStringLiteral("%1 px wide, the area %2 px: %3")
                              .arg(metrics.horizontalAdvance(line))
                              .arg(inside.width())
                              .arg(line)));
      // The drawn glyphs, not just their advances, end inside the area.
      QVERIFY2(inkRightEdge(picture_->font(), line) < inside.width(), qPrintable(line));
    }
    QVERIFY2(picture_->printTop() <= inside.height(),
             qPrintable(QStringLiteral("the lines end at %1 px, the area at %2 px")
                            .arg(picture_->printTop())
                            .arg(inside.height())));
    // Only as narrow as needed: a little wider and the widest line would no longer fit.
    if (picture_->font().stretch() < 100) {
      QFont wider = picture_->font();
      wider.setStretch(picture_->font().stretch() + 1);
      int widest = 0;
      for (const QString& line : picture_->printedLines()) {
        widest = std::max(widest, QFontMetrics(wider).horizontalAdvance(line));
      }
      QVERIFY(widest > inside.width());
    }
  }

  // What is drawn: text in the area, and none of it cut off at the area's right or bottom edge,
  // where a line that does not fit ends.
  void explanationFitsAsDrawn() {
    const QImage image = picture_->grab().toImage();
    const qreal scale = image.devicePixelRatio();
    const QRect inside = picture_->contentsRect();
    const int right = int((inside.right() + 1) * scale) - 1;
    const int bottom = int((inside.bottom() + 1) * scale) - 1;
    int ink = 0;
    for (int y = int(inside.top() * scale); y <= bottom; ++y) {
      for (int x = int(inside.left() * scale); x <= right; ++x) {
        const double coverage = textCoverage(image.pixel(x, y));
        if (coverage >= kInk) ++ink;
        if (coverage < kCut) continue;
        QVERIFY2(x < right,
                 qPrintable(QStringLiteral("text cut off at the right edge, y %1").arg(y)));
        QVERIFY2(y < bottom,
                 qPrintable(QStringLiteral("text cut off at the bottom edge, x %1").arg(x)));
      }
    }
    QVERIFY2(ink > 1000, qPrintable(QStringLiteral("only %1 pixels of text").arg(ink)));
  }

  // With no Japanese face installed the picture falls back to the system's sans-serif face.
  void fallsBackToSansSerif() {
    const QStringList installed = QFontDatabase::families();
    for (const QString& family : ui::japaneseGothicFamilies()) {
      QVERIFY2(!installed.contains(family),
               qPrintable(family + QStringLiteral(" is installed: this case needs a font setup "
                                                  "without it")));
    }
    QFont sansSerif(QStringLiteral("sans-serif"));
    sansSerif.setStyleHint(QFont::SansSerif);
    const QString resolved = QFontInfo(picture_->font()).family();
    QCOMPARE(resolved, QFontInfo(sansSerif).family());
    QVERIFY2(installed.contains(resolved), qPrintable(resolved));
  }

 private:
  std::unique_ptr<QWidget> form_;
  platform::PictureArea* picture_ = nullptr;
};

QTEST_MAIN(ExplanationFitTest)
#include "explanation_fit_test.moc"
