#include "scroll/giflzw.h"

#include <algorithm>
#include <cstring>

namespace scroll {

namespace {
constexpr int MaxCodes = 4096; // 12-bit codes
constexpr int MaxWidth = 12;
constexpr size_t BlockSize = 255;
} // namespace

GifLzw::GifLzw(int minCodeSize)
    : m_minCodeSize(minCodeSize), m_alphabet(1 << minCodeSize), m_clear(1 << minCodeSize),
      m_children(size_t(MaxCodes) * size_t(1 << minCodeSize), 0) {}

void GifLzw::put(int code) {
    m_bits |= uint64_t(code) << m_bitCount;
    m_bitCount += m_width;
    while (m_bitCount >= 8) {
        m_bytes.push_back(uint8_t(m_bits));
        m_bits >>= 8;
        m_bitCount -= 8;
    }
}

// Only the rows of codes below m_next can hold entries.
void GifLzw::startTable() {
    std::fill_n(m_children.begin(), size_t(m_next) * size_t(m_alphabet), uint16_t(0));
    m_next = m_clear + 2;
    m_width = m_minCodeSize + 1;
}

const std::vector<uint8_t>& GifLzw::compress(const uint8_t* pixels, size_t count) {
    m_bytes.clear();
    m_bits = 0;
    m_bitCount = 0;
    m_width = m_minCodeSize + 1;
    put(m_clear);
    startTable();
    // A decoder adds each string one code after the encoder, so the code width grows once the
    // decoder's next code, one behind m_next, no longer fits.
    const auto added = [this] {
        ++m_next;
        if (m_next > (1 << m_width) && m_width < MaxWidth)
            ++m_width;
    };
    int current = pixels[0];
    for (size_t i = 1; i < count; ++i) {
        const int pixel = pixels[i];
        uint16_t& child = m_children[size_t(current) * size_t(m_alphabet) + size_t(pixel)];
        if (child != 0) {
            current = child;
            continue;
        }
        put(current);
        // The last code is left unused, as giflib does, so no decoder meets a full table.
        if (m_next < MaxCodes - 1) {
            child = uint16_t(m_next);
            added();
        } else {
            put(m_clear);
            startTable();
        }
        current = pixel;
    }
    put(current);
    if (m_next < MaxCodes - 1)
        added();
    put(m_clear + 1); // end of information
    if (m_bitCount > 0)
        m_bytes.push_back(uint8_t(m_bits));

    m_blocks.clear();
    for (size_t at = 0; at < m_bytes.size(); at += BlockSize) {
        const size_t length = std::min(BlockSize, m_bytes.size() - at);
        m_blocks.push_back(uint8_t(length));
        m_blocks.insert(m_blocks.end(), m_bytes.data() + at, m_bytes.data() + at + length);
    }
    return m_blocks;
}

} // namespace scroll
