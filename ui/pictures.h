#pragma once

#include <QIcon>
#include <QImage>

// The pictures that belong to the windows' design.
namespace ui {

QImage builtinLitDot();   // 8 × 8 red lamp, lit
QImage builtinUnlitDot(); // 8 × 8 red lamp, unlit

enum class ArrowDirection { Up = 0, Right = 1, Down = 2, Left = 3 };
QImage arrowPicture(ArrowDirection direction); // 14 × 14 red triangle on light grey

// "LUMIDOT" in red dot-matrix capitals on two lines, on black, at size × size pixels.
QImage iconPicture(int size);
QIcon windowIcon();

} // namespace ui
