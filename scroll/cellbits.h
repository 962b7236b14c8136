#pragma once

#include "board/cellgrid.h"

#include <cstdint>

namespace scroll {

// The bytes of one row of cells as bits: ceil(columns / 8) bytes, the leftmost cell in the most
// significant bit of the first byte, 1 = lit, unused low bits of the last byte 0.
int bytesPerRow(const board::CellGrid& cells);
void packRow(const board::CellGrid& cells, int row, uint8_t* out);

} // namespace scroll
