#include "board/rotation.h"

#include "platform/numbers.h"

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
    using platform::BitBlt;
    using platform::toInt32;

    platform::Surface& board = state.Board;
    platform::Surface& scratch = state.TempPic;
    // Block transfer sizes are 32-bit; the differences are taken in floating point, then rounded.
    const double width = scratch.ScaleWidth();
    const double height = scratch.ScaleHeight();
    const int32_t w = toInt32(width);
    const int32_t h = toInt32(height);
    const int32_t cw = state.CellWidth;
    const int32_t ch = state.CellHeight;
    const int32_t wRest = toInt32(width - cw);
    const int32_t hRest = toInt32(height - ch);

    BitBlt(scratch, 0, 0, w, h, board, 0, 0);
    // Both transfers read only the scratch copy and write disjoint parts of the board.
    switch (direction) {
    case RotateUp:
        BitBlt(board, 0, 0, w, hRest, scratch, 0, ch);
        BitBlt(board, 0, hRest, w, ch, scratch, 0, 0);
        break;
    case RotateRight:
        BitBlt(board, 0, 0, cw, h, scratch, wRest, 0);
        BitBlt(board, cw, 0, wRest, h, scratch, 0, 0);
        break;
    case RotateDown:
        BitBlt(board, 0, ch, w, hRest, scratch, 0, 0);
        BitBlt(board, 0, 0, w, ch, scratch, 0, hRest);
        break;
    case RotateLeft:
        BitBlt(board, wRest, 0, cw, h, scratch, 0, 0);
        BitBlt(board, 0, 0, wRest, h, scratch, cw, 0);
        break;
    }
    rotateCells(state.Cells, direction);
    if (refresh)
        refresh();
}

} // namespace board
