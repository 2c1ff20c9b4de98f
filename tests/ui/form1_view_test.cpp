// The real window under the offscreen platform: its layout, caption, icon, focus, fonts and the
// explanation it prints when first shown.
#include <QAccessible>
#include <QFontInfo>
#include <QFontMetrics>
#include <QImage>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include "form_fixture.h"
#include "platform/label_widget.h"
#include "platform/picture_area.h"
#include "platform/qt_dialogs.h"
#include "platform/text_box_widget.h"

namespace {

const QString kIndent = QStringLiteral("\u3000");

QStringList expectedExplanation() {
  return {
      QString(),
      kIndent + QStringLiteral("\u3010Problem\u3011"),
      kIndent.repeated(5) +
          QStringLiteral("You can start with any natural number , so if the number is even , "
                         "divide it by 2, if it is odd ,"),
      kIndent.repeated(4) + QStringLiteral("multiply it by 3 and add 1. And repeat this."),
      kIndent.repeated(5) +
          QStringLiteral("Then , is it true that no matter what natural number you start with "
                         ", it will always be 1 ? "),
      kIndent.repeated(5) +
          QStringLiteral("For example , starting from 11 , it becomes  "
                         "11\u219234\u219217\u219252\u219226\u219213\u219240\u219220\u219210"
                         "\u21925\u2192"),
      kIndent.repeated(4) + QStringLiteral("16\u21928\u21924\u21922\u21921 ."),
      kIndent.repeated(5) +
          QStringLiteral("This problem is a well-known conundrum and has not yet been solved. "
                         "In addition , a very"),
      kIndent.repeated(4) +
          QStringLiteral("large number (4 trillion) has been investigated using a computer , "
                         "but no example that doesn't"),
      kIndent.repeated(4) + QStringLiteral("reach 1 has been found."),
      kIndent.repeated(5) +
          QStringLiteral("Click [Experiment] below to perform a simple experiment on your "
                         "computer."),
  };
}

bool isTextBlue(QRgb pixel) {
  return qBlue(pixel) - qRed(pixel) > 40 && qBlue(pixel) - qGreen(pixel) > 40;
}

QString accessibleText(QWidget* widget, QAccessible::Text kind) {
  QAccessibleInterface* face = QAccessible::queryAccessibleInterface(widget);
  return face != nullptr ? face->text(kind) : QString();
}

}  // namespace

class Form1ViewTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup() { shown_.reset(); }

  void explanationIsPrintedOnceWithItsExactLines();
  void explanationSurvivesRepainting();
  void fontsAreTheJapaneseGothicAt12Points();
  void label1HoldsTheLargestStartOnOneLine();
  void controlsFollowTheLayout_data();
  void controlsFollowTheLayout();
  void line1IsARuleBetweenTheTopButtons();
  void windowHasItsCaptionSizeAndIcon();
  void focusStartsOnCommand1AndFollowsTheTabOrder();
  void controlsHaveAccessibleNames();

 private:
  ui::Form1& form() { return *shown_->form; }
  std::unique_ptr<ShownForm> shown_;
};

void Form1ViewTest::init() {
  shown_ = std::make_unique<ShownForm>(std::make_unique<platform::QtDialogs>());
  QVERIFY(shown_->shown);
}

void Form1ViewTest::explanationIsPrintedOnceWithItsExactLines() {
  QCOMPARE(form().picture1().printedLines(), expectedExplanation());
  // Nothing else activates it again: not showing the window anew, not switching away and back.
  form().hide();
  form().show();
  QVERIFY(QTest::qWaitForWindowExposed(&form()));
  QWidget other;
  other.show();
  other.activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(&other));
  form().activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(&form()));
  QCoreApplication::processEvents();
  QCOMPARE(form().picture1().printedLines(), expectedExplanation());
}

void Form1ViewTest::explanationSurvivesRepainting() {
  platform::PictureArea& picture = form().picture1();
  const QImage first = picture.grab().toImage();
  picture.update();
  picture.repaint();
  const QImage second = picture.grab().toImage();
  QCOMPARE(second, first);
  int textPixels = 0;
  const QRect contents = picture.contentsRect();
  for (int y = contents.top(); y <= contents.bottom(); ++y) {
    for (int x = contents.left(); x <= contents.right(); ++x) {
      if (isTextBlue(second.pixel(x, y))) ++textPixels;
    }
  }
  QVERIFY2(textPixels > 1000, "the explanation is not drawn in its dark blue");
  QCOMPARE(second.pixel(contents.topLeft()), qRgb(255, 255, 255));  // the blank first line
}

void Form1ViewTest::fontsAreTheJapaneseGothicAt12Points() {
  const QStringList gothicFaces = {QStringLiteral("IPAPGothic"), QStringLiteral("VL PGothic"),
                                   QStringLiteral("IPAexGothic"),
                                   QStringLiteral("Noto Sans CJK JP")};
  for (QWidget* widget : std::initializer_list<QWidget*>{&form().picture1(), &form().label1()}) {
    const QFontInfo info(widget->font());
    QVERIFY2(gothicFaces.contains(info.family()), qPrintable(info.family()));
    QCOMPARE(info.pointSize(), 12);
    QCOMPARE(info.weight(), static_cast<int>(QFont::Normal));
    QVERIFY(!info.italic() && !info.underline() && !info.strikeOut());
  }
  // Narrowing keeps the line height of the face at 12 pt.
  QFont unstretched = form().picture1().font();
  unstretched.setStretch(100);
  QCOMPARE(QFontMetrics(form().picture1().font()).lineSpacing(),
           QFontMetrics(unstretched).lineSpacing());
  // Label1 is not narrowed: its face at its own width.
  const int labelStretch = form().label1().font().stretch();
  QVERIFY2(labelStretch == QFont::AnyStretch || labelStretch == QFont::Unstretched,
           qPrintable(QString::number(labelStretch)));
}

void Form1ViewTest::label1HoldsTheLargestStartOnOneLine() {
  const QLabel& label = form().label1();
  const QFontMetrics metrics(label.font());
  QVERIFY(metrics.horizontalAdvance(QStringLiteral("     \uFF4E\uFF1D 10000000")) <=
          label.contentsRect().width());
  QVERIFY(metrics.height() <= label.contentsRect().height());
}

void Form1ViewTest::controlsFollowTheLayout_data() {
  QTest::addColumn<QString>("name");
  QTest::addColumn<QString>("className");
  QTest::addColumn<QRect>("geometry");
  QTest::addColumn<QString>("caption");
  // Pixels at 15 twips each.
  QTest::newRow("Picture1") << "Picture1"
                            << "platform::PictureArea" << QRect(8, 32, 681, 201) << QString();
  QTest::newRow("Command3") << "Command3"
                            << "QPushButton" << QRect(640, 0, 57, 25) << "Init";
  QTest::newRow("Command2") << "Command2"
                            << "QPushButton" << QRect(0, 0, 57, 25) << "Exit";
  QTest::newRow("Text1") << "Text1"
                         << "platform::TextBoxWidget" << QRect(8, 240, 681, 193) << QString();
  QTest::newRow("Command1") << "Command1"
                            << "QPushButton" << QRect(312, 448, 81, 41) << "Experiment";
  QTest::newRow("Label1") << "Label1"
                          << "platform::LabelWidget" << QRect(8, 448, 193, 17) << QString();
}

void Form1ViewTest::controlsFollowTheLayout() {
  QFETCH(QString, name);
  QFETCH(QString, className);
  QFETCH(QRect, geometry);
  QFETCH(QString, caption);
  auto* control = form().findChild<QWidget*>(name, Qt::FindDirectChildrenOnly);
  QVERIFY(control != nullptr);
  QVERIFY2(control->inherits(qPrintable(className)), control->metaObject()->className());
  QCOMPARE(control->geometry(), geometry);
  QVERIFY(control->isVisible());
  if (auto* button = qobject_cast<QPushButton*>(control)) QCOMPARE(button->text(), caption);
  if (auto* label = qobject_cast<QLabel*>(control)) QCOMPARE(label->text(), caption);
  if (auto* box = qobject_cast<QPlainTextEdit*>(control)) {
    QCOMPARE(box->toPlainText(), caption);
    QCOMPARE(box->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    QCOMPARE(box->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    QCOMPARE(box->lineWrapMode(), QPlainTextEdit::WidgetWidth);
  }
}

void Form1ViewTest::line1IsARuleBetweenTheTopButtons() {
  // Render only the window's own surface: the buttons would hide the line where they lie on it.
  QImage surface(form().size(), QImage::Format_RGB32);
  form().render(&surface, QPoint(), QRegion(), QWidget::DrawWindowBackground);
  const QRgb background = surface.pixel(300, 10);
  for (const int x : {0, 57, 300, 639, 696}) {
    QVERIFY2(surface.pixel(x, 24) != background, qPrintable(QString::number(x)));
    QCOMPARE(surface.pixel(x, 23), background);
    QCOMPARE(surface.pixel(x, 25), background);
  }
  QCOMPARE(surface.pixel(697, 24), background);
  // With the buttons, the rule shows only between them.
  const QImage window = form().grab().toImage();
  QVERIFY(window.pixel(300, 24) != window.pixel(300, 10));
}

void Form1ViewTest::windowHasItsCaptionSizeAndIcon() {
  QCOMPARE(form().windowTitle(), QStringLiteral(" Problem of \"3x+1\"\uFF08Collatz problem\uFF09"));
  QCOMPARE(form().size(), QSize(698, 504));
  QCOMPARE(form().minimumSize(), form().maximumSize());
  QCOMPARE(form().objectName(), QStringLiteral("Form1"));

  const QImage icon =
      form().windowIcon().pixmap(32, 32).toImage().convertToFormat(QImage::Format_RGB32);
  QCOMPARE(icon.size(), QSize(32, 32));
  int black = 0;
  int white = 0;
  for (int x = 0; x < 32; ++x) {
    QCOMPARE(icon.pixel(x, 0), qRgb(255, 0, 0));
    QCOMPARE(icon.pixel(x, 31), qRgb(255, 0, 0));
    for (int y = 8; y < 24; ++y) {
      const QRgb pixel = icon.pixel(x, y);
      if (pixel == qRgb(255, 255, 255)) ++white;
      if (qRed(pixel) < 64 && qGreen(pixel) < 64 && qBlue(pixel) < 64) ++black;
    }
  }
  QVERIFY2(white > 200, "no white band");
  QVERIFY2(black > 30, "no black text");
}

void Form1ViewTest::focusStartsOnCommand1AndFollowsTheTabOrder() {
  QCOMPARE(QApplication::focusWidget(), &form().command1());
  const QList<QWidget*> order = {&form().text1(), &form().command2(), &form().command3(),
                                 &form().picture1(), &form().command1()};
  for (QWidget* next : order) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), next);
  }
  QCOMPARE(form().label1().focusPolicy(), Qt::NoFocus);
}

void Form1ViewTest::controlsHaveAccessibleNames() {
  QCOMPARE(accessibleText(&form().command1(), QAccessible::Name), QStringLiteral("Experiment"));
  QCOMPARE(accessibleText(&form().command2(), QAccessible::Name), QStringLiteral("Exit"));
  QCOMPARE(accessibleText(&form().command3(), QAccessible::Name), QStringLiteral("Init"));
  QCOMPARE(accessibleText(&form().text1(), QAccessible::Name), QStringLiteral("trajectory"));
  QCOMPARE(accessibleText(&form().picture1(), QAccessible::Name), QStringLiteral("explanation"));
  QCOMPARE(accessibleText(&form().picture1(), QAccessible::Description),
           expectedExplanation().join(QLatin1Char('\n')));
  platform::setCaption(form().label1(), "     \uFF4E\uFF1D 27");
  QCOMPARE(accessibleText(&form().label1(), QAccessible::Name),
           QStringLiteral("     \uFF4E\uFF1D 27"));
}

QTEST_MAIN(Form1ViewTest)
#include "form1_view_test.moc"
