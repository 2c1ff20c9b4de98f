#pragma once

#include <QWidget>
#include <memory>

namespace ui {

// The program's start-up window: Form1 with the Qt dialogs, the Qt program end and the
// multimedia control that loads the audio module when the first chime plays.
std::unique_ptr<QWidget> createForm1();

}  // namespace ui
