#include "board/rotation.h"


#include <algorithm>

namespace board {

namespace {

// The cell grid turned the way the board's pixels turn: by one cell, what leaves one edge enters at the other.
void rotateCells(CellGrid& cells, int16_t direction) {
    if (cells.columns == 0 || cells.rows == 0)
        return;
    auto& lit = cells.lit;
    const auto columns = ptrdiff_t(cells.columns);
    switch (direction) {
    case RotateUp:
        std::rotate(lit.begin(), lit.begin() + columns, lit.end());
        break;
    case RotateDown:
        std::rotate(lit.begin(), lit.end() - columns, lit.end());
        break;
    case RotateLeft:
    case RotateRight:
        for (auto row = lit.begin(); row != lit.end(); row += columns)
            std::rotate(row, direction == RotateLeft ? row + 1 : row + columns - 1, row + columns);
        break;
    }
}

} // namespace

void rotateBoard(BoardState& state, int16_t direction, const std::function<void()>& refresh) {
    QImage& board = state.Board.image();
    const qsizetype width = state.Board.ScaleWidth();
    const qsizetype height = state.Board.ScaleHeight();
    if (width > 0 && height > 0) {
        // The whole board turns in place, row by row or all rows at once: no second board-sized copy, and
        // the board's own size decides what turns, whatever happened to the mask.
        const qsizetype cellWidth = state.CellWidth % width;
        const qsizetype cellHeight = state.CellHeight % height;
        const auto pixels = reinterpret_cast<QRgb*>(board.bits()); // 32-bit rows, one after the other
        const auto turnRows = [&](qsizetype by) {
            for (qsizetype y = 0; y < height; ++y)
                std::rotate(pixels + y * width, pixels + y * width + by, pixels + (y + 1) * width);
        };
        switch (direction) {
        case RotateUp:
            std::rotate(pixels, pixels + cellHeight * width, pixels + height * width);
            break;
        case RotateDown:
            std::rotate(pixels, pixels + (height - cellHeight) * width, pixels + height * width);
            break;
        case RotateLeft:
            turnRows(cellWidth);
            break;
        case RotateRight:
            turnRows(width - cellWidth);
            break;
        }
    }
    rotateCells(state.Cells, direction);
    if (refresh)
        refresh();
}

} // namespace board
