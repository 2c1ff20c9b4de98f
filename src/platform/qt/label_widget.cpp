#include "platform/label_widget.h"

#include "platform/qt_text.h"

namespace platform {

LabelWidget::LabelWidget(QWidget* parent) : QLabel(parent) {
  setTextFormat(Qt::PlainText);
  setAlignment(Qt::AlignLeft | Qt::AlignTop);
  setWordWrap(true);
  setFrameShape(QFrame::NoFrame);
  setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

Status LabelWidget::setCaption(std::string_view caption) {
  const QString text = toQString(caption);
  setText(text);
  setAccessibleName(text);
  return Status::success();
}

}  // namespace platform
