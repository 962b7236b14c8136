#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace scroll {

// GIF's LZW compression of one image's pixels into the data sub-blocks that giflib's EGifPutCode and
// EGifPutCodeNext write as they stand. giflib's own compressor looks every pixel up in a hash table,
// two thirds of the time of a whole scroll's GIF; this one finds the next code in a direct table
// (4096 × palette size entries), which takes a third off the whole. It writes the same kind of stream,
// of the same size: a clear code first, a new clear code when the table is full.
class GifLzw {
public:
    // minCodeSize: the colour table's bits per index, at least 2, as giflib writes it before the data.
    explicit GifLzw(int minCodeSize);

    // The compressed pixels as sub-blocks (a length byte, then up to 255 bytes), without the empty
    // block that ends them. Valid until the next call.
    const std::vector<uint8_t>& compress(const uint8_t* pixels, size_t count);

private:
    void put(int code);
    void startTable();

    int m_minCodeSize;
    int m_alphabet;
    int m_clear;
    int m_next = 0;                   // the code the next new string gets
    int m_width = 0;                  // bits per code
    std::vector<uint16_t> m_children; // (code, pixel) → the code of that longer string, 0 for none
    std::vector<uint8_t> m_bytes;
    uint64_t m_bits = 0;
    int m_bitCount = 0;
    std::vector<uint8_t> m_blocks;
};

} // namespace scroll
