#pragma once

#include <QList>
#include <QRgb>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace scroll {

// Lossless WebP (VP8L) of an image of palette indices, written here rather than by libwebp's WebPEncode:
// a scroll's frames are a few colours in repeating dots, and libwebp spends most of a frame's time
// looking each pixel up in its colour table and filling a hash chain over the whole window. This
// encoder takes the indices as they are, packs them as the format's colour-indexing transform does
// (up to 8 pixels a byte), and finds repeats in the packed bytes through a short hash chain, the row
// above and the byte before, with one step of lazy matching. Its files are smaller than libwebp's at the
// settings it replaces, in a fraction of the time.
//
// Returns the VP8L bitstream (the signature byte first, as a "VP8L" chunk holds it) of width × height
// indices, each row stride bytes after the one before. The palette holds 1 to 256 opaque colours and
// every index is below its size; width and height are 1 to 16384.
std::vector<uint8_t> encodePaletteWebp(const uint8_t* indices, int width, int height, size_t stride,
                                       const QList<QRgb>& palette);

} // namespace scroll
