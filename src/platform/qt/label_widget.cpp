#include "platform/label_widget.h"

#include <QString>

namespace platform {

LabelWidget::LabelWidget(QWidget* parent) : QLabel(parent) {
  setTextFormat(Qt::PlainText);
  setAlignment(Qt::AlignLeft | Qt::AlignTop);
  setWordWrap(true);
  setFrameShape(QFrame::NoFrame);
  setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

Status LabelWidget::setCaption(std::string_view caption) {
  const QString text = QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size()));
  setText(text);
  setAccessibleName(text);
  return Status::success();
}

}  // namespace platform
