// The Qt text box, label and picture area: what they show, when, and what survives a repaint.
#include <QApplication>
#include <QImage>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <memory>
#include <string>

#include "platform/label_widget.h"
#include "platform/picture_area.h"
#include "platform/text_box_widget.h"

namespace {

// Pixels of the image drawn in the colour, inside the rectangle.
int pixelsOf(const QImage& image, QRgb colour, const QRect& area) {
  int count = 0;
  for (int y = area.top(); y <= area.bottom(); ++y) {
    for (int x = area.left(); x <= area.right(); ++x) {
      if ((image.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF)) ++count;
    }
  }
  return count;
}

constexpr QRgb kInk = qRgb(1, 0, 98);
constexpr QRgb kPaper = qRgb(255, 255, 255);

std::unique_ptr<platform::PictureArea> makePicture() {
  auto picture = std::make_unique<platform::PictureArea>();
  picture->resize(300, 120);
  picture->setBackColor(QColor::fromRgb(kPaper));
  picture->setForeColor(QColor::fromRgb(kInk));
  QFont font = picture->font();
  font.setPixelSize(16);
  font.setStyleStrategy(QFont::NoAntialias);  // the ink is exactly the fore colour
  picture->setFont(font);
  return picture;
}

}  // namespace

class ControlsTest : public QObject {
  Q_OBJECT

 private slots:
  void textBoxLaysOutOnceForManyTexts();
  void textBoxShowsTheEndOfALongText();
  void textBoxDropsAPendingTextWhenDestroyed();
  void labelShowsItsCaptionAsPlainTextAndKeepsItsSize();
  void pictureKeepsWhatWasPrintedAcrossRepaints();
  void picturePrintsLineBelowLineAndCutsOffAtTheRightEdge();
};

void ControlsTest::textBoxLaysOutOnceForManyTexts() {
  platform::TextBoxWidget box;
  QSignalSpy changes(&box, &QPlainTextEdit::textChanged);
  std::string text;
  for (int value = 1; value <= 1000; ++value) {
    text += ' ' + std::to_string(value);
    QVERIFY(box.setText(text).ok());
  }
  QVERIFY(box.updatePending());
  QCOMPARE(box.text(), text);
  QVERIFY(box.toPlainText().isEmpty());  // nothing laid out before the loop runs
  QCoreApplication::processEvents();
  QVERIFY(!box.updatePending());
  QCOMPARE(box.toPlainText(), QString::fromStdString(text));
  QCOMPARE(changes.count(), 1);

  QVERIFY(box.setText("").ok());
  QCoreApplication::processEvents();
  QVERIFY(box.toPlainText().isEmpty());
  QCOMPARE(changes.count(), 2);
}

void ControlsTest::textBoxShowsTheEndOfALongText() {
  platform::TextBoxWidget box;
  box.resize(200, 60);
  box.show();
  QVERIFY(QTest::qWaitForWindowExposed(&box));
  std::string text;
  for (int value = 1; value <= 400; ++value) text += ' ' + std::to_string(value);
  QVERIFY(box.setText(text).ok());
  QCoreApplication::processEvents();
  QScrollBar* bar = box.verticalScrollBar();
  QVERIFY(bar->maximum() > 0);  // the text is longer than the box
  QCOMPARE(bar->value(), bar->maximum());
  QVERIFY(!bar->isVisible());
  QVERIFY(!box.horizontalScrollBar()->isVisible());
}

void ControlsTest::textBoxDropsAPendingTextWhenDestroyed() {
  auto box = std::make_unique<platform::TextBoxWidget>();
  QVERIFY(box->setText("3 10 5").ok());
  box.reset();
  QCoreApplication::processEvents();  // the queued update must not reach the destroyed box
  QVERIFY(!box);
}

void ControlsTest::labelShowsItsCaptionAsPlainTextAndKeepsItsSize() {
  platform::LabelWidget label;
  label.setGeometry(0, 0, 120, 20);
  const std::string caption = "     \uFF4E\uFF1D<b>27</b> and a caption far too long for it";
  QVERIFY(label.setCaption(caption).ok());
  QCOMPARE(label.text(), QString::fromStdString(caption));
  QCOMPARE(label.textFormat(), Qt::PlainText);
  QCOMPARE(label.accessibleName(), QString::fromStdString(caption));
  label.show();
  QCoreApplication::processEvents();
  QCOMPARE(label.size(), QSize(120, 20));
}

void ControlsTest::pictureKeepsWhatWasPrintedAcrossRepaints() {
  auto picture = makePicture();
  picture->show();
  QVERIFY(QTest::qWaitForWindowExposed(picture.get()));
  QVERIFY(picture->printLine("3x+1").ok());
  const QImage first = picture->grab().toImage();
  QVERIFY(pixelsOf(first, kInk, picture->contentsRect()) > 20);

  // Covered and uncovered, or hidden and shown: drawn again from what it keeps.
  picture->hide();
  picture->show();
  QVERIFY(QTest::qWaitForWindowExposed(picture.get()));
  picture->repaint();
  QCOMPARE(picture->grab().toImage(), first);
  QCOMPARE(picture->printedLines(), QStringList{QStringLiteral("3x+1")});
  QCOMPARE(picture->accessibleDescription(), QStringLiteral("3x+1"));
}

void ControlsTest::picturePrintsLineBelowLineAndCutsOffAtTheRightEdge() {
  auto picture = makePicture();
  const int lineSpacing = picture->fontMetrics().lineSpacing();
  QVERIFY(picture->printLine("first").ok());
  QVERIFY(picture->printLine("").ok());  // an empty print only moves down
  QCOMPARE(picture->printTop(), 2 * lineSpacing);
  QVERIFY(picture->printLine(std::string(200, 'W')).ok());
  QCOMPARE(picture->printTop(), 3 * lineSpacing);
  QCOMPARE(picture->printedLines(),
           (QStringList{QStringLiteral("first"), QString(), QString(200, QLatin1Char('W'))}));
  QCOMPARE(picture->accessibleDescription(),
           QStringLiteral("first\n\n") + QString(200, QLatin1Char('W')));

  const QImage image = picture->grab().toImage();
  const QRect inside = picture->contentsRect();
  const QRect secondLine(inside.left(), inside.top() + lineSpacing, inside.width(), lineSpacing);
  const QRect thirdLine(inside.left(), inside.top() + 2 * lineSpacing, inside.width(), lineSpacing);
  QCOMPARE(pixelsOf(image, kInk, secondLine), 0);
  // The long line runs to the right edge of the inside and is cut off there, not wrapped: the
  // line below it stays empty, and nothing is drawn over the frame.
  const QRect lastColumns(inside.right() - 3, thirdLine.top(), 4, lineSpacing);
  QVERIFY(pixelsOf(image, kInk, lastColumns) > 0);
  const QRect belowLong(inside.left(), inside.top() + 3 * lineSpacing, inside.width(), lineSpacing);
  QCOMPARE(pixelsOf(image, kInk, belowLong), 0);
  const QRect rightFrame(inside.right() + 1, inside.top(), picture->width() - inside.right() - 1,
                         inside.height());
  QCOMPARE(pixelsOf(image, kInk, rightFrame), 0);
}

QTEST_MAIN(ControlsTest)
#include "controls_test.moc"
