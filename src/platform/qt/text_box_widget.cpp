#include "platform/text_box_widget.h"

#include <QMetaObject>
#include <QScrollBar>
#include <QTextOption>

#include "platform/qt_text.h"

namespace platform {

TextBoxWidget::TextBoxWidget(QWidget* parent) : QPlainTextEdit(parent) {
  setLineWrapMode(QPlainTextEdit::WidgetWidth);
  setWordWrapMode(QTextOption::WordWrap);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

Status TextBoxWidget::setText(std::string_view text) {
  text_.assign(text);
  if (!updatePending_) {
    updatePending_ = true;
    // Queued, so a run of calls without a turn of the event loop in between lays out only once.
    // The call is dropped if the widget goes away first.
    QMetaObject::invokeMethod(this, &TextBoxWidget::flushText, Qt::QueuedConnection);
  }
  return Status::success();
}

void TextBoxWidget::flushText() {
  if (!updatePending_) return;
  updatePending_ = false;
  setPlainText(toQString(text_));
  // The newest values of a long trajectory are the interesting ones: keep the end in view.
  moveCursor(QTextCursor::End);
  verticalScrollBar()->setValue(verticalScrollBar()->maximum());
}

}  // namespace platform
