#include "board/DrawBoard.h"

#include "platform/numbers.h"

#include <QGuiApplication>
#include <QPalette>

namespace board {

using platform::Surface;

namespace {

// The system window and window-text colours: the mask is printed in them, so the board follows the
// colour scheme (only exactly black mask pixels are lit).
QRgb windowColor() {
    return QGuiApplication::palette().color(QPalette::Base).rgb();
}
QRgb windowTextColor() {
    return QGuiApplication::palette().color(QPalette::Text).rgb();
}

Surface pictureSurface(const QImage& picture) {
    Surface surface(0, 0, windowColor());
    surface.setForeColor(windowTextColor());
    surface.setPicture(picture);
    return surface;
}

// The picture of one cell as the board shows it: the dot from its top-left corner, white where the dot
// does not reach (the board is cleared white before the cells are copied).
QImage cellPicture(const Surface& dot, int16_t width, int16_t height) {
    Surface cell(width, height, qRgb(255, 255, 255));
    BitBlt(cell, 0, 0, width, height, dot, 0, 0);
    return cell.image();
}

} // namespace

BoardState::BoardState(const QImage& litDot, const QImage& unlitDot, QSize maskSize, QSize boardSize)
    : TempPic(maskSize.width(), maskSize.height(), windowColor()), Dot{pictureSurface(litDot),
                                                                       pictureSurface(unlitDot)},
      Board(boardSize.width(), boardSize.height(), windowColor()) {
    TempPic.setForeColor(windowTextColor());
    Board.setForeColor(windowTextColor());
}

void DrawBoard(BoardState& state, const QString& message, const std::function<void()>& refresh) {
    const QSize measured = printAndMeasure(state, message);
    drawCells(state, measured.width(), measured.height(), refresh);
}

QSize printAndMeasure(BoardState& state, const QString& message) {
    using namespace platform;

    state.TempPic.Cls();
    state.TempPic.Print(message);

    state.SizeMongon.setCaption(message);
    return QSize(toInt32(state.SizeMongon.Width()), toInt32(state.SizeMongon.Height()));
}

void drawCells(BoardState& state, int32_t columns, int32_t rows, const std::function<void()>& refresh) {
    using namespace platform;

    const int16_t cellWidth = toInt16(state.Dot[0].ScaleWidth());
    const int16_t cellHeight = toInt16(state.Dot[0].ScaleHeight());

    // The board's outer size, with its one-pixel frame, must fit in 32 bits too.
    constexpr int32_t frame = 2;
    const int32_t boardWidth = add32(mul32(cellWidth, columns), frame) - frame;
    const int32_t boardHeight = add32(mul32(cellHeight, rows), frame) - frame;
    state.Board.resize(boardWidth, boardHeight);
    // Only a board that takes the new cells gets their size: a refused board keeps the cells it shows.
    state.CellWidth = cellWidth;
    state.CellHeight = cellHeight;

    state.Board.Cls();
    state.Board.setBackColor(qRgb(255, 255, 255));

    const Surface& lit = state.Dot[0];
    const Surface& unlit = state.Dot[1];
    state.CellPictures = {cellPicture(lit, state.CellWidth, state.CellHeight),
                          cellPicture(unlit, state.CellWidth, state.CellHeight)};
    state.Cells = CellGrid{columns, rows, std::vector<uint8_t>(size_t(columns) * size_t(rows))};
    // Bounds and origins are 16-bit: a cell origin beyond 32767 stops the render with an overflow.
    const int16_t lastColumn = toInt16(columns - 1);
    for (int x = 0; x <= lastColumn; ++x) {
        const int16_t lastRow = toInt16(rows - 1);
        for (int y = 0; y <= lastRow; ++y) {
            const bool isLit = state.TempPic.Point(x, y) == 0;
            state.Cells.lit[size_t(y) * size_t(columns) + size_t(x)] = isLit;
            const Surface& source = isLit ? lit : unlit;
            const int16_t cellTop = mul16(state.CellHeight, int16_t(y));
            const int16_t cellLeft = mul16(state.CellWidth, int16_t(x));
            BitBlt(state.Board, cellLeft, cellTop, state.CellWidth, state.CellHeight, source, 0, 0);
        }
    }

    if (refresh)
        refresh();

    state.TempPic.resize(boardWidth, boardHeight);
}

} // namespace board
