#pragma once

#include <QImage>
#include <QRgb>
#include <QString>

#include <optional>
#include <span>

namespace dots {

// Dots made from a colour instead of drawn by hand: an LED's lit and unlit states in the cell's size.
enum class DotShape {
    Round,  // a disc centred in the cell on black, with a soft one-pixel edge; the cell's corners are black
    Square, // the cell filled, with a one-pixel black gap along its right and bottom edges
};

// The colours LED signs are made in, by the names the settings file and the command line use.
struct PresetColor {
    const char* name;     // "red"
    const char* japanese; // "赤", UTF-8
    QRgb rgb;
};
std::span<const PresetColor> presetColors();

// A preset's name in any case, or "#RRGGBB"; nothing for any other text.
std::optional<QRgb> colorNamed(const QString& text);
// The preset's name for one of their colours, else "#RRGGBB".
QString colorName(QRgb color);

QString shapeName(DotShape shape); // "Round", "Square"
std::optional<DotShape> shapeNamed(const QString& name);

inline constexpr int MinDotSize = 2;
inline constexpr int MaxDotSize = 64;

struct DotStyle {
    QRgb color = qRgb(255, 0, 0);
    int size = 8; // pixels a side, MinDotSize..MaxDotSize
    DotShape shape = DotShape::Round;
    int unlitPercent = 15; // the unlit dot's brightness, 0..100
};

// The dot of color at brightness percent (100: lit) in size × size pixels of Format_RGB32: its centre pixel,
// ((size − 1) / 2, (size − 1) / 2), is exactly the colour's channels times percent / 100, rounded.
QImage generatedDot(QRgb color, int size, DotShape shape, int percent);
QImage litDot(const DotStyle& style);
QImage unlitDot(const DotStyle& style);

// A dot picture in another colour: each pixel keeps its brightness (its brightest channel) and takes the
// colour's hue, as a lit LED of that colour would show the same shape.
QImage tinted(const QImage& picture, QRgb color);

} // namespace dots
