#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace codec {

// Rows made of tiles' packed lines, as a palette PNG of a board holds them: row y is a filter byte of 0,
// then, column by column, line y % tileHeight of the tile tileAt[(y / tileHeight) × columns + x].
struct TileRows {
    int32_t columns = 0;
    int32_t rows = 0; // of tiles
    int32_t tileHeight = 0;
    const uint8_t* tileAt = nullptr; // columns × rows tile numbers, each below tiles
    size_t tiles = 0;
    size_t lineBytes = 0;
    std::span<const uint8_t> lines; // tiles × tileHeight × lineBytes: tile by tile, line by line

    size_t stride() const { return size_t(columns) * lineBytes + 1; }
    size_t bytes() const { return stride() * size_t(rows) * size_t(tileHeight); }
};

// The rows as one zlib stream, found from the tiles rather than from the bytes: a row's repeats are
// those of its string of tiles, which every line of a row of tiles shares, so the repeats are looked
// for once a row of tiles (a board of 8 × 8 dots: once for eight rows of bytes, over a quarter as many
// places as it has bytes) instead of in every byte, as a general compressor must. Copies also come from
// the row above where the tiles' lines repeat, and from rows of tiles above within deflate's window.
// It works as hard as libdeflate at level (1 to 12) and states that level in the zlib header. Empty when
// memory runs out.
std::vector<uint8_t> deflateTileRows(const TileRows& rows, int level);

} // namespace codec
