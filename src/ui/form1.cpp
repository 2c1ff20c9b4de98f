#include "ui/form1.h"

#include <QPaintEvent>
#include <QPainter>
#include <QShowEvent>

#include "platform/label_widget.h"
#include "platform/picture_area.h"
#include "platform/qt_text.h"
#include "platform/text_box_widget.h"
#include "ui/explanation.h"
#include "ui/fonts.h"
#include "ui/form1_layout.h"
#include "ui/icon.h"

namespace ui {

namespace {

using platform::toQString;

constexpr QRgb kPictureBackColor = 0xFFFFFF;
// 0x00620001 in the 0x00BBGGRR form: red 1, green 0, blue 98.
constexpr QRgb kPictureForeColor = qRgb(1, 0, 98);

// Gives a widget its layout name and place.
template <typename Widget>
Widget* place(Widget* widget, std::string_view name) {
  const ControlLayout& layout = controlLayout(name);
  widget->setObjectName(toQString(layout.name));
  widget->setGeometry(geometryPixels(layout));
  return widget;
}

QPushButton* makeButton(QWidget* parent, std::string_view name) {
  auto* button = place(new QPushButton(parent), name);
  button->setText(toQString(controlLayout(name).caption));
  button->setAccessibleName(button->text());
  // Enter presses the button that has the focus, as the space bar does.
  button->setAutoDefault(true);
  return button;
}

QStringList explanationTexts() {
  QStringList texts;
  for (const std::string& line : explanationLines()) texts.append(toQString(line));
  return texts;
}

}  // namespace

Form1::Form1(FormRuntime runtime, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      runtime_(std::move(runtime)),
      guard_(*runtime_.dialogs, *runtime_.programEnd) {
  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(toQString(kForm1Caption));
  setWindowIcon(programIcon());
  setFixedSize(clientSizePixels());
  createControls();
  connectHandlers();
}

Form1::~Form1() = default;

void Form1::createControls() {
  // Created in tab-index order, which is also the order focus moves in.
  command1_ = makeButton(this, "Command1");

  label1_ = place(new platform::LabelWidget(this), "Label1");
  label1_->setFont(japaneseGothicFont());
  label1_->setWordWrap(true);
  label1_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  label1_->lower();  // drawn on the window's own surface, beneath the other controls

  text1_ = place(new platform::TextBoxWidget(this), "Text1");
  text1_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  text1_->setWordWrapMode(QTextOption::WordWrap);
  text1_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  text1_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  text1_->setTabChangesFocus(true);
  text1_->setAccessibleName(QStringLiteral("trajectory"));

  command2_ = makeButton(this, "Command2");
  command3_ = makeButton(this, "Command3");

  picture1_ = place(new platform::PictureArea(this), "Picture1");
  picture1_->setBackColor(QColor::fromRgb(kPictureBackColor));
  picture1_->setForeColor(QColor::fromRgb(kPictureForeColor));
  picture1_->setFocusPolicy(Qt::StrongFocus);
  picture1_->setAccessibleName(QStringLiteral("explanation"));
  // The face is kept at its size and line height; only its width is narrowed, just enough for
  // the widest line of the explanation to fit inside the area. A fallback face whose lines are
  // too tall for the area is made smaller first.
  QFont pictureFont = japaneseGothicFont();
  const QStringList texts = explanationTexts();
  const QRect inside = picture1_->contentsRect();
  pictureFont.setPointSizeF(pointSizeToFit(pictureFont, int(texts.size()), inside.height()));
  pictureFont.setStretch(stretchToFit(pictureFont, texts, inside.width()));
  picture1_->setFont(pictureFont);

  QWidget::setTabOrder(command1_, text1_);
  QWidget::setTabOrder(text1_, command2_);
  QWidget::setTabOrder(command2_, command3_);
  QWidget::setTabOrder(command3_, picture1_);
  command1_->setFocus();
}

void Form1::connectHandlers() {
  connect(command1_, &QPushButton::clicked, this, [this] { runHandler(&Form1::Command1_Click); });
  connect(command2_, &QPushButton::clicked, this, [this] { runHandler(&Form1::Command2_Click); });
  connect(command3_, &QPushButton::clicked, this, [this] { runHandler(&Form1::Command3_Click); });
}

void Form1::runHandler(void (Form1::*handler)()) {
  guard_.run([this, handler] { (this->*handler)(); });
}

void Form1::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  // Activation comes once per run, when the window is first shown. Not every platform sends an
  // activation event (the offscreen one may not), so it is queued from the first show instead.
  if (activated_) return;
  activated_ = true;
  command1_->setFocus();
  QMetaObject::invokeMethod(
      this, [this] { runHandler(&Form1::Form_Activate); }, Qt::QueuedConnection);
}

void Form1::paintEvent(QPaintEvent* event) {
  QWidget::paintEvent(event);
  const ControlLayout& line = controlLayout("Line1");
  QPainter painter(this);
  painter.setPen(QPen(palette().color(QPalette::WindowText), 0));
  painter.drawLine(twipsToPixels(line.left), twipsToPixels(line.top),
                   twipsToPixels(line.left + line.width), twipsToPixels(line.top));
}

}  // namespace ui
