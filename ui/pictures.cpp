#include "ui/pictures.h"

#include <QPainter>

#include <algorithm>
#include <array>
#include <cstdint>
#include <string_view>

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

// Capitals for the icon's lettering: 5 × 7 dots, and 3 × 5 dots for the smallest icon.
constexpr std::array<std::string_view, 7> largeGlyph(char letter) {
    switch (letter) {
    case 'L':
        return {"X....", "X....", "X....", "X....", "X....", "X....", "XXXXX"};
    case 'U':
        return {"X...X", "X...X", "X...X", "X...X", "X...X", "X...X", ".XXX."};
    case 'M':
        return {"X...X", "XX.XX", "X.X.X", "X.X.X", "X...X", "X...X", "X...X"};
    case 'I':
        return {"XXXXX", "..X..", "..X..", "..X..", "..X..", "..X..", "XXXXX"};
    case 'D':
        return {"XXXX.", "X...X", "X...X", "X...X", "X...X", "X...X", "XXXX."};
    case 'O':
        return {".XXX.", "X...X", "X...X", "X...X", "X...X", "X...X", ".XXX."};
    case 'T':
        return {"XXXXX", "..X..", "..X..", "..X..", "..X..", "..X..", "..X.."};
    default:
        return {};
    }
}

constexpr std::array<std::string_view, 7> smallGlyph(char letter) {
    switch (letter) {
    case 'L':
        return {"X..", "X..", "X..", "X..", "XXX"};
    case 'U':
        return {"X.X", "X.X", "X.X", "X.X", "XXX"};
    case 'M':
        return {"X.X", "XXX", "XXX", "X.X", "X.X"};
    case 'I':
        return {"XXX", ".X.", ".X.", ".X.", "XXX"};
    case 'D':
        return {"XX.", "X.X", "X.X", "X.X", "XX."};
    case 'O':
        return {"XXX", "X.X", "X.X", "X.X", "XXX"};
    case 'T':
        return {"XXX", ".X.", ".X.", ".X.", ".X."};
    default:
        return {};
    }
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
    // "LUMI" over "DOT", one dot of space between letters and between the lines.
    const bool small = size < 24;
    const int glyphWidth = small ? 3 : 5, glyphHeight = small ? 5 : 7;
    const int gridWidth = 4 * (glyphWidth + 1) - 1, gridHeight = 2 * glyphHeight + 1;
    const int dot = std::max(1, size / (gridWidth + 1)); // pixels a dot, leaving a margin
    const int left = (size - gridWidth * dot) / 2, top = (size - gridHeight * dot) / 2;

    QImage icon(size, size, QImage::Format_ARGB32);
    icon.fill(Qt::black);
    QPainter painter(&icon);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0xFF, 0x20, 0x10));
    painter.setRenderHint(QPainter::Antialiasing, dot >= 4);
    const auto drawWord = [&](std::string_view word, int row) {
        const int wordLeft = (gridWidth - int(word.size()) * (glyphWidth + 1) + 1) / 2;
        for (size_t i = 0; i < word.size(); ++i) {
            const auto rows = small ? smallGlyph(word[i]) : largeGlyph(word[i]);
            for (int y = 0; y < glyphHeight; ++y)
                for (int x = 0; x < glyphWidth; ++x) {
                    if (rows[y][x] != 'X')
                        continue;
                    const QRectF cell(left + (wordLeft + int(i) * (glyphWidth + 1) + x) * dot, top + (row + y) * dot,
                                      dot, dot);
                    if (dot >= 4) // large icons show round lamps
                        painter.drawEllipse(cell.adjusted(dot * 0.08, dot * 0.08, -dot * 0.08, -dot * 0.08));
                    else
                        painter.drawRect(cell);
                }
        }
    };
    drawWord("LUMI", 0);
    drawWord("DOT", glyphHeight + 1);
    return icon;
}

QIcon windowIcon() {
    QIcon icon;
    for (const int size : {16, 32, 48, 256})
        icon.addPixmap(QPixmap::fromImage(iconPicture(size)));
    return icon;
}

} // namespace ui
