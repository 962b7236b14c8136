#pragma once

#include "board/DrawBoard.h"

#include <cstdint>
#include <functional>

namespace board {

// Directions of the scroll buttons, in their index order.
enum RotationDirection : int16_t {
    RotateUp = 0,
    RotateRight = 1,
    RotateDown = 2,
    RotateLeft = 3,
};

// Rotates the whole board by one cell (CellWidth × CellHeight of the last render) in direction: what
// leaves one edge comes back at the opposite edge. Before the first render the cell sizes are 0 and the
// board stays as it is. refresh is called once.
void rotateBoard(BoardState& state, int16_t direction, const std::function<void()>& refresh = {});

} // namespace board
