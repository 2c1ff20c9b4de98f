// The start-up window's explanation fits inside Picture1 whatever faces the machine has and at
// whatever scale the screen is drawn. CTest runs these cases in the font setups and scale factors
// they are meant for: the plain one, QT_SCALE_FACTOR=2, and a private font setup with no
// Japanese face at all.
#include <QApplication>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QImage>
#include <QTest>
#include <memory>

#include "platform/picture_area.h"
#include "ui/fonts.h"
#include "ui/form1_factory.h"

namespace {

constexpr int kExplanationPrints = 11;

// The picture's pixels in the text colour, 0x00620001, or near it where text is smoothed.
bool isInk(QRgb pixel) { return qBlue(pixel) < 200 && qRed(pixel) < 200 && qGreen(pixel) < 200; }

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
    }
    QVERIFY2(picture_->printTop() <= inside.height(),
             qPrintable(QStringLiteral("the lines end at %1 px, the area at %2 px")
                            .arg(picture_->printTop())
                            .arg(inside.height())));
  }

  // What is drawn: text in the area, and none of it reaching the area's right edge, where a
  // line that does not fit is cut off.
  void explanationFitsAsDrawn() {
    const QImage image = picture_->grab().toImage();
    const qreal scale = image.devicePixelRatio();
    const QRect inside = picture_->contentsRect();
    const int right = int((inside.right() + 1) * scale) - 1;
    int ink = 0;
    for (int y = int(inside.top() * scale); y < int((inside.bottom() + 1) * scale); ++y) {
      for (int x = int(inside.left() * scale); x <= right; ++x) {
        if (!isInk(image.pixel(x, y))) continue;
        ++ink;
        QVERIFY2(x < right,
                 qPrintable(QStringLiteral("text touches the right edge at y %1").arg(y)));
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
