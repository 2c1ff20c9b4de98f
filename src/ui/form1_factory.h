#pragma once

#include <QWidget>
#include <memory>

namespace ui {

// The program's start-up window: Form1 with the Qt dialogs and the Qt program end.
std::unique_ptr<QWidget> createForm1();

}  // namespace ui
