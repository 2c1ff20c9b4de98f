#pragma once

#include <QIcon>
#include <QImage>

namespace ui {

// The program's 32 x 32 icon, drawn by the program: "3x+1" in black on a white band between red
// bands along the top and bottom edges.
QImage iconImage();
QIcon programIcon();

}  // namespace ui
