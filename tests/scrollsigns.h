#pragma once

#include "scroll/animationsettings.h"

#include <QImage>

#include <cstdint>

// Signs for the animation tests, and frames made the slow, obvious way to compare with.
namespace scrollsigns {

// A cell picture of width × height pixels, every pixel a different colour; lit and unlit pictures
// share no colour, so a cell drawn in the wrong place or state shows.
inline QImage cellPicture(int width, int height, bool lit) {
    QImage picture(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            picture.setPixel(x, y, lit ? qRgb(250 - 20 * x, 40 * y, 90) : qRgb(20 * x, 30, 200 - 40 * y));
    }
    return picture;
}

// columns × rows cells lit at random (the same every run), 3 × 2 pixel cells.
inline scroll::Sign sign(int columns, int rows, uint32_t seed = 7) {
    board::CellGrid cells{columns, rows, std::vector<uint8_t>(size_t(columns) * size_t(rows))};
    for (uint8_t& cell : cells.lit) {
        seed = seed * 1103515245u + 12345u;
        cell = (seed >> 16) % 3 == 0 ? 1 : 0;
    }
    return {cells, cellPicture(3, 2, true), cellPicture(3, 2, false)};
}

// The board in pixels, widened with unlit cells to `cycle` cells along the way it moves (and moving up or
// down, to the panel's width), turned `rotation` times one cell at a time as the board's arrows turn it
// (what leaves one edge comes back at the other), then cut to the panel.
inline QImage referenceFrame(const scroll::Sign& sign, const scroll::AnimationSettings& settings, int rotation,
                             int cycle) {
    const int cw = sign.litCell.width();
    const int ch = sign.litCell.height();
    const int panel = settings.panelColumns == 0 ? sign.cells.columns : settings.panelColumns;
    const bool sideways =
        settings.direction == scroll::Direction::Left || settings.direction == scroll::Direction::Right;
    const int columns = sideways ? cycle : std::max(sign.cells.columns, panel);
    const int rows = sideways ? sign.cells.rows : cycle;
    QImage board(columns * cw, rows * ch, QImage::Format_RGB32);
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c) {
            const bool lit = c < sign.cells.columns && r < sign.cells.rows && sign.cells.isLit(c, r);
            const QImage& picture = lit ? sign.litCell : sign.unlitCell;
            for (int y = 0; y < ch; ++y) {
                for (int x = 0; x < cw; ++x)
                    board.setPixel(c * cw + x, r * ch + y, picture.pixel(x, y));
            }
        }
    }
    const int w = board.width();
    const int h = board.height();
    for (int step = 0; step < rotation; ++step) {
        const QImage before = board.copy();
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                int fromX = x;
                int fromY = y;
                switch (settings.direction) {
                case scroll::Direction::Left:
                    fromX = (x + cw) % w;
                    break;
                case scroll::Direction::Right:
                    fromX = (x - cw + w) % w;
                    break;
                case scroll::Direction::Up:
                    fromY = (y + ch) % h;
                    break;
                case scroll::Direction::Down:
                    fromY = (y - ch + h) % h;
                    break;
                }
                board.setPixel(x, y, before.pixel(fromX, fromY));
            }
        }
    }
    // A panel wider than the strip shows it around again.
    QImage cut(panel * cw, sign.cells.rows * ch, QImage::Format_RGB32);
    for (int y = 0; y < cut.height(); ++y)
        for (int x = 0; x < cut.width(); ++x)
            cut.setPixel(x, y, board.pixel(x % w, y));
    return cut;
}

} // namespace scrollsigns
