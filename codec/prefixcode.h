#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace codec {

// The prefix (Huffman) codes that deflate and lossless WebP share: bits written first bit lowest, code
// lengths limited, codes canonical, and the code lengths themselves run-length coded the same way.

class BitWriter {
public:
    explicit BitWriter(size_t expectedBytes) { m_bytes.reserve(expectedBytes); }

    // The low count bits of bits, count at most 32.
    void put(uint32_t bits, int count) {
        m_pending |= uint64_t(bits) << m_count;
        m_count += count;
        if (m_count >= 32) {
            const uint32_t word = uint32_t(m_pending);
            const uint8_t bytes[4] = {uint8_t(word), uint8_t(word >> 8), uint8_t(word >> 16), uint8_t(word >> 24)};
            m_bytes.insert(m_bytes.end(), bytes, bytes + 4);
            m_pending >>= 32;
            m_count -= 32;
        }
    }

    // The bytes written, the last one padded with zero bits.
    std::vector<uint8_t> finish() {
        for (; m_count > 0; m_count -= 8, m_pending >>= 8)
            m_bytes.push_back(uint8_t(m_pending));
        m_count = 0;
        return std::move(m_bytes);
    }

private:
    std::vector<uint8_t> m_bytes;
    uint64_t m_pending = 0;
    int m_count = 0;
};

constexpr int MaxCodeLength = 15;
constexpr int CodeLengthCodes = 19;               // 0–15 a length, 16–18 repeats
constexpr int MaxCodeLengthCodeLength = 7;        // the code lengths' own code
constexpr int CodeLengthExtraBits[3] = {2, 3, 7}; // of codes 16, 17 and 18

// Huffman code lengths of at most limit bits for counts; a lone used symbol gets length 1. When the best
// tree is too deep, small counts are raised until it fits.
std::vector<uint8_t> codeLengths(const std::vector<uint32_t>& counts, int limit);

// A prefix code ready to write: each symbol's bits, first bit lowest, and their number.
struct PrefixCode {
    std::vector<uint16_t> bits;
    std::vector<uint8_t> lengths;

    void put(BitWriter& out, int symbol) const { out.put(bits[size_t(symbol)], lengths[size_t(symbol)]); }
};

// The canonical code of lengths (at most MaxCodeLength), as a decoder builds it.
PrefixCode canonicalCode(const std::vector<uint8_t>& lengths);

// Code lengths as the formats write them: 0–15 a length, 16 the last length 3–6 times more, 17 and 18
// runs of 3–10 and 11–138 zeros; extra is what the repeat's extra bits hold.
struct CodeLengthToken {
    uint8_t symbol;
    uint8_t extra;
};
std::vector<CodeLengthToken> codeLengthTokens(const std::vector<uint8_t>& lengths);

// A distance (or a WebP length) of 1 or more as the formats write it: a symbol, then extraBits bits of extra.
struct Prefixed {
    int symbol;
    int extraBits;
    uint32_t extra;
};
inline Prefixed prefixed(uint32_t value) {
    if (value <= 4)
        return {int(value) - 1, 0, 0};
    const uint32_t below = value - 1;
    const int highest = std::bit_width(below) - 1;
    const int second = int(below >> (highest - 1)) & 1;
    return {2 * highest + second, highest - 1, below & ((1u << (highest - 1)) - 1)};
}

} // namespace codec
