#include "ui/pictures.h"

#include <QPainter>

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

namespace ui {

namespace {

using DotRows = std::array<std::array<uint32_t, 8>, 8>;

QImage imageFromRows(const DotRows& rows) {
    QImage image(8, 8, QImage::Format_RGB32);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            image.setPixel(x, y, 0xFF000000u | rows[y][x]);
    return image;
}

constexpr DotRows LitDotRows = {{
    {0x000000, 0x000000, 0x680000, 0x830000, 0x830000, 0x000000, 0x000000, 0x000000},
    {0x000000, 0x680000, 0xFFFFFF, 0x9F0000, 0x9F0000, 0x9F0000, 0x000000, 0x000000},
    {0x680000, 0xFFFFFF, 0xFF7F7F, 0xAC0000, 0xAC0000, 0xAC0000, 0xC80000, 0x000000},
    {0x830000, 0x9F0000, 0xAC0000, 0xAC0000, 0xAC0000, 0xBA0000, 0xD50000, 0x000000},
    {0x830000, 0xFFFFFF, 0xAC0000, 0xAC0000, 0xBA0000, 0xD50000, 0xFF0000, 0x000000},
    {0x000000, 0x9F0000, 0xAC0000, 0xBA0000, 0xD50000, 0xFF0000, 0x000000, 0x000000},
    {0x000000, 0x000000, 0xC80000, 0xD50000, 0xFF0000, 0x000000, 0x000000, 0x000000},
    {0x000000, 0x000000, 0x000000, 0x000000, 0x000000, 0x000000, 0x000000, 0x000000},
}};

constexpr DotRows UnlitDotRows = {{
    {0x000000, 0x000000, 0x5A0000, 0x5A0000, 0x5A0000, 0x000000, 0x000000, 0x000000},
    {0x000000, 0x5A0000, 0x750000, 0x910000, 0x5A0000, 0x5A0000, 0x000000, 0x000000},
    {0x5A0000, 0x750000, 0x910000, 0x5A0000, 0x5A0000, 0x5A0000, 0x830000, 0x000000},
    {0x5A0000, 0x5A0000, 0x5A0000, 0x5A0000, 0x5A0000, 0x5A0000, 0x830000, 0x000000},
    {0x5A0000, 0x750000, 0x5A0000, 0x5A0000, 0x5A0000, 0x830000, 0x910000, 0x000000},
    {0x000000, 0x5A0000, 0x5A0000, 0x5A0000, 0x830000, 0x910000, 0x000000, 0x000000},
    {0x000000, 0x000000, 0x830000, 0x830000, 0x910000, 0x000000, 0x000000, 0x000000},
    {0x000000, 0x000000, 0x000000, 0x000000, 0x000000, 0x000000, 0x000000, 0x000000},
}};

constexpr int ArrowSize = 14;

// Whether (x, y) of the 14 × 14 picture lies in the triangle pointing up: 12 rows from the tip
// at row 1 to the 11-pixel base at row 12, centred on column 6.
bool inUpTriangle(int x, int y) {
    if (y < 1 || y > 12)
        return false;
    const int halfWidth = (y - 1) * 5 / 11;
    return x >= 6 - halfWidth && x <= 6 + halfWidth;
}

bool inTriangle(ArrowDirection direction, int x, int y) {
    const int last = ArrowSize - 1;
    switch (direction) {
    case ArrowDirection::Up:
        return inUpTriangle(x, y);
    case ArrowDirection::Down:
        return inUpTriangle(x, last - y);
    case ArrowDirection::Left:
        return inUpTriangle(y, x);
    case ArrowDirection::Right:
        return inUpTriangle(y, last - x);
    }
    return false;
}

// The icon, drawn on a square of 16 units: a dark rounded panel of 5 × 5 lamps whose lit ones make an
// arrow pointing left, the way a message moves on a sign. Each raster size (16, 32, 48, 256 pixels) is
// a whole multiple of the units, so every lamp lies on whole pixels and stays sharp at 16.
constexpr int IconUnits = 16;
constexpr std::array<std::string_view, 5> IconLitLamps = {"..X..", ".X...", "XXXXX", ".X...", "..X.."};
constexpr int LampSize = 2, LampPitch = 3, LampInset = 1;
constexpr double LampRadius = 0.5, PanelRadius = 2.5;
constexpr QRgb PanelColor = 0x1C1C1C, LitLampColor = 0xFF3B1F, UnlitLampColor = 0x4A0E07;

struct IconShape {
    QRectF rect; // in units
    double radius;
    QRgb color;
};

std::vector<IconShape> iconShapes() {
    std::vector<IconShape> shapes{{QRectF(0, 0, IconUnits, IconUnits), PanelRadius, PanelColor}};
    for (int row = 0; row < int(IconLitLamps.size()); ++row)
        for (int column = 0; column < int(IconLitLamps[row].size()); ++column)
            shapes.push_back({QRectF(LampInset + column * LampPitch, LampInset + row * LampPitch, LampSize, LampSize),
                              LampRadius, IconLitLamps[row][column] == 'X' ? LitLampColor : UnlitLampColor});
    return shapes;
}

} // namespace

QImage builtinLitDot() {
    return imageFromRows(LitDotRows);
}
QImage builtinUnlitDot() {
    return imageFromRows(UnlitDotRows);
}

QImage arrowPicture(ArrowDirection direction) {
    QImage image(ArrowSize, ArrowSize, QImage::Format_RGB32);
    image.fill(qRgb(0xBF, 0xBF, 0xBF));
    for (int y = 0; y < ArrowSize; ++y) {
        for (int x = 0; x < ArrowSize; ++x) {
            if (!inTriangle(direction, x, y))
                continue;
            // Edges facing the upper left catch the light, edges facing the lower right are shaded.
            const bool lit = !inTriangle(direction, x - 1, y) || !inTriangle(direction, x, y - 1);
            const bool shaded = !inTriangle(direction, x + 1, y) || !inTriangle(direction, x, y + 1);
            image.setPixel(x, y, lit ? qRgb(0xFF, 0, 0) : shaded ? qRgb(0x7F, 0, 0) : qRgb(0xBF, 0, 0));
        }
    }
    return image;
}

QImage iconPicture(int size) {
    QImage icon(size, size, QImage::Format_ARGB32_Premultiplied);
    icon.fill(Qt::transparent);
    QPainter painter(&icon);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.scale(double(size) / IconUnits, double(size) / IconUnits);
    for (const IconShape& shape : iconShapes()) {
        painter.setBrush(QColor(shape.color));
        painter.drawRoundedRect(shape.rect, shape.radius, shape.radius);
    }
    return icon;
}

QByteArray iconSvg() {
    const auto number = [](double value) { return QByteArray::number(value, 'g', 6); };
    QByteArray svg = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + number(IconUnits) + "\" height=\"" +
                     number(IconUnits) + "\" viewBox=\"0 0 " + number(IconUnits) + ' ' + number(IconUnits) + "\">\n";
    for (const IconShape& shape : iconShapes())
        svg += "  <rect x=\"" + number(shape.rect.x()) + "\" y=\"" + number(shape.rect.y()) + "\" width=\"" +
               number(shape.rect.width()) + "\" height=\"" + number(shape.rect.height()) + "\" rx=\"" +
               number(shape.radius) + "\" fill=\"" + QColor(shape.color).name().toLatin1() + "\"/>\n";
    return svg + "</svg>\n";
}

QIcon windowIcon() {
    QIcon icon;
    for (const int size : {16, 32, 48, 256})
        icon.addPixmap(QPixmap::fromImage(iconPicture(size)));
    return icon;
}

} // namespace ui
