#include "board/rotation.h"

#include <algorithm>
#include <cstring>
#include <vector>

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

// Turns count elements by shift places, towards the front (what leaves the front comes back at the end)
// or towards the back: the part that wraps round is set aside, the rest moved with memmove, the part put
// back. Only the wrapping part, one cell's strip, is ever copied aside.
void turn(QRgb* first, qsizetype count, qsizetype shift, bool towardsFront, std::vector<QRgb>& aside) {
    if (shift == 0 || shift == count)
        return;
    const size_t kept = size_t(count - shift) * sizeof(QRgb);
    if (towardsFront) {
        aside.assign(first, first + shift);
        std::memmove(first, first + shift, kept);
        std::memcpy(first + count - shift, aside.data(), size_t(shift) * sizeof(QRgb));
    } else {
        aside.assign(first + count - shift, first + count);
        std::memmove(first + shift, first, kept);
        std::memcpy(first, aside.data(), size_t(shift) * sizeof(QRgb));
    }
}

void rotateBoard(BoardState& state, int16_t direction, const std::function<void()>& refresh) {
    const qsizetype width = state.Board.ScaleWidth();
    const qsizetype height = state.Board.ScaleHeight();
    if (width > 0 && height > 0) {
        // The whole board turns in place, row by row or all rows at once, with one cell's strip set aside:
        // no second board-sized copy, and the board's own size decides what turns, whatever happened to
        // the mask.
        const qsizetype cellWidth = state.CellWidth % width;
        const qsizetype cellHeight = state.CellHeight % height;
        const auto pixels = reinterpret_cast<QRgb*>(state.Board.image().bits()); // rows one after the other
        std::vector<QRgb> aside;
        switch (direction) {
        case RotateUp:
        case RotateDown:
            turn(pixels, height * width, cellHeight * width, direction == RotateUp, aside);
            break;
        case RotateLeft:
        case RotateRight:
            for (qsizetype y = 0; y < height; ++y)
                turn(pixels + y * width, width, cellWidth, direction == RotateLeft, aside);
            break;
        }
    }
    rotateCells(state.Cells, direction);
    if (refresh)
        refresh();
}

} // namespace board
