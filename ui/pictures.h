#pragma once

#include <QByteArray>
#include <QIcon>
#include <QImage>

// The pictures that belong to the windows' design.
namespace ui {

QImage builtinLitDot();   // 8 × 8 red lamp, lit
QImage builtinUnlitDot(); // 8 × 8 red lamp, unlit

enum class ArrowDirection { Up = 0, Right = 1, Down = 2, Left = 3 };
QImage arrowPicture(ArrowDirection direction); // 14 × 14 red triangle on light grey

// The program's icon: a dark panel of 5 × 5 lamps, the lit ones an arrow pointing left. The same
// shapes as a size × size picture (clear outside the panel's rounded corners) and as SVG.
QImage iconPicture(int size);
QByteArray iconSvg();
QIcon windowIcon();

} // namespace ui
