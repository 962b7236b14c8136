#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace board {

// The colours a cell can show, by number: 0 unlit, 1 lit in the sign's own colour, 2 .. MaxCellColour lit in
// further colours (a message's colour marks).
inline constexpr int MaxCellColour = 255;

// What a board shows, cell by cell: unlit or lit, and in which colour, row by row from the top-left cell.
struct CellGrid {
    int columns = 0;
    int rows = 0;
    std::vector<uint8_t> lit; // columns × rows colour numbers: 0 unlit, 1 the sign's own colour, 2.. further colours

    uint8_t colour(int column, int row) const {
        return lit[std::size_t(row) * std::size_t(columns) + std::size_t(column)];
    }
    bool isLit(int column, int row) const { return colour(column, row) != 0; }
    bool operator==(const CellGrid&) const = default;
};

} // namespace board
