#include "scroll/cellbits.h"

#include <cstring>

namespace scroll {

int bytesPerRow(const board::CellGrid& cells) {
    return (cells.columns + 7) / 8;
}

void packRow(const board::CellGrid& cells, int row, uint8_t* out) {
    std::memset(out, 0, size_t(bytesPerRow(cells)));
    const uint8_t* lit = cells.lit.data() + size_t(row) * size_t(cells.columns);
    for (int c = 0; c < cells.columns; ++c) {
        if (lit[c])
            out[c / 8] |= uint8_t(0x80u >> (c % 8));
    }
}

} // namespace scroll
