#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace board {

// What a board shows, cell by cell: lit or unlit, row by row from the top-left cell.
struct CellGrid {
    int columns = 0;
    int rows = 0;
    std::vector<uint8_t> lit; // columns × rows entries, 1 = lit

    bool isLit(int column, int row) const {
        return lit[std::size_t(row) * std::size_t(columns) + std::size_t(column)] != 0;
    }
    bool operator==(const CellGrid&) const = default;
};

} // namespace board
