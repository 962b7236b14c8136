#pragma once

#include <cstdint>
#include <vector>

namespace board {

// What a board shows, cell by cell: lit or unlit, row by row from the top-left cell.
struct CellGrid {
    int columns = 0;
    int rows = 0;
    std::vector<uint8_t> lit; // columns × rows entries, 1 = lit

    bool isLit(int column, int row) const { return lit[size_t(row) * size_t(columns) + size_t(column)] != 0; }
    bool operator==(const CellGrid&) const = default;
};

} // namespace board
