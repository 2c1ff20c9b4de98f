#pragma once

#include <QLabel>
#include <string_view>

#include "platform/controls.h"

namespace platform {

// A label showing plain text, left- and top-aligned, wrapped at blanks within its area and cut off
// where it does not fit. It never resizes itself: the caller places it. Its accessible name is
// its text.
class LabelWidget : public QLabel, public Label {
  Q_OBJECT

 public:
  explicit LabelWidget(QWidget* parent = nullptr);

  Status setCaption(std::string_view caption) override;
};

}  // namespace platform
