#include "scroll/cellbits.h"

#include <cstring>

namespace scroll {

int bytesPerRow(const board::CellGrid& cells, int bits) {
    return (cells.columns * bits + 7) / 8;
}

void packRow(const board::CellGrid& cells, int row, uint8_t* out, int bits) {
    std::memset(out, 0, size_t(bytesPerRow(cells, bits)));
    const uint8_t* colours = cells.lit.data() + size_t(row) * size_t(cells.columns);
    const int perByte = 8 / bits;
    for (int c = 0; c < cells.columns; ++c) {
        const unsigned value = bits == 1 ? (colours[c] != 0 ? 1u : 0u) : colours[c];
        out[c / perByte] |= uint8_t(value << (8 - bits - c % perByte * bits));
    }
}

int bitsPerCell(int litColours) {
    int bits = 1;
    while ((1 << bits) - 1 < litColours)
        bits *= 2;
    return bits;
}

} // namespace scroll
