#pragma once

#include "board/cellgrid.h"

#include <cstdint>

namespace scroll {

// The bytes of one row of cells at bits (1, 2, 4 or 8) a cell: ceil(columns × bits / 8) bytes, the leftmost cell
// in the most significant bits of the first byte, unused low bits of the last byte 0. One bit a cell says lit (1)
// or unlit (0); more hold each cell's colour number.
int bytesPerRow(const board::CellGrid& cells, int bits = 1);
void packRow(const board::CellGrid& cells, int row, uint8_t* out, int bits = 1);

// The fewest of 1, 2, 4 or 8 bits a cell that tell unlit cells and cells of litColours colours apart.
int bitsPerCell(int litColours);

} // namespace scroll
