#include "scroll/webppalette.h"

#include "codec/prefixcode.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

namespace scroll {

namespace {

using codec::BitWriter;
using codec::CodeLengthCodes;
using codec::codeLengths;
using codec::MaxCodeLength;
using codec::MaxCodeLengthCodeLength;
using codec::PrefixCode;
using codec::Prefixed;
using codec::prefixed;

// The format's alphabets and limits.
constexpr int LiteralCodes = 256;
constexpr int LengthCodes = 24;
constexpr int DistanceCodes = 40;
constexpr int MaxCopyLength = 4096;
constexpr int PlaneCodes = 120;                     // distance codes that name a nearby pixel
constexpr int MaxDistance = (1 << 20) - PlaneCodes; // the largest distance code's value less the plane codes
constexpr std::array<uint8_t, CodeLengthCodes> CodeLengthOrder{17, 18, 0, 1,  2,  3,  4,  5,  16, 6,
                                                               7,  8,  9, 10, 11, 12, 13, 14, 15};

// Distance code n + 1 names the pixel (dy, dx) = (CodeToPlane[n] >> 4, 8 − (CodeToPlane[n] & 15)) back.
constexpr std::array<uint8_t, PlaneCodes> CodeToPlane{
    0x18, 0x07, 0x17, 0x19, 0x28, 0x06, 0x27, 0x29, 0x16, 0x1a, 0x26, 0x2a, 0x38, 0x05, 0x37, 0x39, 0x15, 0x1b,
    0x36, 0x3a, 0x25, 0x2b, 0x48, 0x04, 0x47, 0x49, 0x14, 0x1c, 0x35, 0x3b, 0x46, 0x4a, 0x24, 0x2c, 0x58, 0x45,
    0x4b, 0x34, 0x3c, 0x03, 0x57, 0x59, 0x13, 0x1d, 0x56, 0x5a, 0x23, 0x2d, 0x44, 0x4c, 0x55, 0x5b, 0x33, 0x3d,
    0x68, 0x02, 0x67, 0x69, 0x12, 0x1e, 0x66, 0x6a, 0x22, 0x2e, 0x54, 0x5c, 0x43, 0x4d, 0x65, 0x6b, 0x32, 0x3e,
    0x78, 0x01, 0x77, 0x79, 0x53, 0x5d, 0x11, 0x1f, 0x64, 0x6c, 0x42, 0x4e, 0x76, 0x7a, 0x21, 0x2f, 0x75, 0x7b,
    0x31, 0x3f, 0x63, 0x6d, 0x52, 0x5e, 0x00, 0x74, 0x7c, 0x41, 0x4f, 0x10, 0x20, 0x62, 0x6e, 0x30, 0x73, 0x7d,
    0x51, 0x5f, 0x40, 0x72, 0x7e, 0x61, 0x6f, 0x50, 0x71, 0x7f, 0x60, 0x70};

// The distance code of each (dy, 8 − dx), 0 where none names it.
constexpr std::array<uint8_t, 128> PlaneToCode = [] {
    std::array<uint8_t, 128> codes{};
    for (int n = 0; n < PlaneCodes; ++n)
        codes[CodeToPlane[size_t(n)]] = uint8_t(n + 1);
    return codes;
}();

int distanceCode(int distance, int rowLength) {
    const int dy = distance / rowLength;
    const int dx = distance - dy * rowLength;
    int code = 0;
    if (dx <= 8 && dy < 8)
        code = PlaneToCode[size_t(dy * 16 + 8 - dx)];
    else if (dx > rowLength - 8 && dy < 7) // a little to the right, one row further up
        code = PlaneToCode[size_t((dy + 1) * 16 + 8 + rowLength - dx)];
    return code != 0 ? code : distance + PlaneCodes;
}

// The canonical code of lengths, as the decoder builds it. A code of one symbol takes no bits.
PrefixCode canonicalCode(const std::vector<uint8_t>& lengths) {
    if (std::count_if(lengths.begin(), lengths.end(), [](uint8_t length) { return length != 0; }) == 1)
        return codec::canonicalCode(std::vector<uint8_t>(lengths.size(), 0));
    return codec::canonicalCode(lengths);
}

// Writes the code of counts (the symbols' frequencies over an alphabet of counts.size()) as the decoder
// reads it, and returns it: one or two symbols below 256 as a simple code, else the code lengths,
// themselves run-length coded and Huffman coded.
PrefixCode writeCode(BitWriter& out, const std::vector<uint32_t>& counts) {
    std::vector<int> used;
    for (size_t symbol = 0; symbol < counts.size() && used.size() < 3; ++symbol) {
        if (counts[symbol] != 0)
            used.push_back(int(symbol));
    }
    if (used.size() <= 2 && (used.empty() || used.back() < LiteralCodes)) {
        const int first = used.empty() ? 0 : used[0];
        out.put(1, 1); // simple
        out.put(uint32_t(std::max<int>(int(used.size()), 1) - 1), 1);
        out.put(first > 1, 1); // the first symbol in 8 bits rather than 1
        out.put(uint32_t(first), first > 1 ? 8 : 1);
        std::vector<uint8_t> lengths(counts.size(), 0);
        lengths[size_t(first)] = 1;
        if (used.size() == 2) {
            out.put(uint32_t(used[1]), 8);
            lengths[size_t(used[1])] = 1;
        }
        return canonicalCode(lengths);
    }

    const std::vector<uint8_t> lengths = codeLengths(counts, MaxCodeLength);
    const std::vector<codec::CodeLengthToken> tokens = codec::codeLengthTokens(lengths);
    std::vector<uint32_t> tokenCounts(CodeLengthCodes, 0);
    for (const codec::CodeLengthToken& token : tokens)
        ++tokenCounts[token.symbol];
    const std::vector<uint8_t> tokenLengths = codeLengths(tokenCounts, MaxCodeLengthCodeLength);
    int written = CodeLengthCodes;
    while (written > 4 && tokenLengths[CodeLengthOrder[size_t(written - 1)]] == 0)
        --written;
    out.put(0, 1); // not simple
    out.put(uint32_t(written - 4), 4);
    for (int n = 0; n < written; ++n)
        out.put(tokenLengths[CodeLengthOrder[size_t(n)]], 3);
    out.put(0, 1); // a length for every symbol of the alphabet
    const PrefixCode tokenCode = canonicalCode(tokenLengths);
    for (const codec::CodeLengthToken& token : tokens) {
        tokenCode.put(out, token.symbol);
        if (token.symbol >= 16)
            out.put(token.extra, codec::CodeLengthExtraBits[token.symbol - 16]);
    }
    return canonicalCode(lengths);
}

// The image's pixels as the colour-indexing transform stores them: 1 << bits indices a byte, the first
// in the lowest bits, each row starting a new byte.
std::vector<uint8_t> packIndices(const uint8_t* indices, int width, int height, size_t stride, int bits) {
    const int perByte = 1 << bits;
    const int indexBits = 8 >> bits;
    const size_t rowLength = size_t((width + perByte - 1) >> bits);
    std::vector<uint8_t> packed(rowLength * size_t(height));
    for (int y = 0; y < height; ++y) {
        const uint8_t* from = indices + size_t(y) * stride;
        uint8_t* to = packed.data() + size_t(y) * rowLength;
        if (bits == 0) {
            std::memcpy(to, from, size_t(width));
            continue;
        }
        for (int x = 0; x < width; ++x)
            to[x >> bits] = uint8_t(to[x >> bits] | (from[x] << ((x & (perByte - 1)) * indexBits)));
    }
    return packed;
}

// One step of the packed image: a literal byte, or a copy of length bytes from distance bytes back.
struct Step {
    uint32_t length; // 0: a literal
    uint32_t value;  // the literal, or the distance (its distance code once the steps are counted)
};

// How many bytes from a and b agree, up to limit.
int matchLength(const uint8_t* a, const uint8_t* b, int limit) {
    int length = 0;
    while (length + 8 <= limit) {
        uint64_t x;
        uint64_t y;
        std::memcpy(&x, a + length, 8);
        std::memcpy(&y, b + length, 8);
        if (x != y)
            return length + std::countr_zero(x ^ y) / 8;
        length += 8;
    }
    while (length < limit && a[length] == b[length])
        ++length;
    return length;
}

// Finds repeats in data: the row above and the byte before first (their distance codes are the shortest),
// then the last ChainTries places the next four bytes were seen; one step of lazy matching.
class Matcher {
public:
    Matcher(const std::vector<uint8_t>& data, int rowLength)
        : m_data(data), m_rowLength(rowLength), m_hashBits(std::clamp(int(std::bit_width(data.size())), 8, 16)),
          m_head(size_t(1) << m_hashBits, -1), m_previous(data.size(), -1) {}

    std::vector<Step> steps() {
        std::vector<Step> steps;
        steps.reserve(m_data.size() / 4);
        const int size = int(m_data.size());
        Match match = longest(0);
        for (int at = 0; at < size;) {
            if (match.length < MinMatch) {
                steps.push_back({0, m_data[size_t(at)]});
                insert(at);
                match = ++at < size ? longest(at) : Match{};
                continue;
            }
            const Match later = match.length < LazyBelow && at + 1 < size ? longest(at + 1) : Match{};
            if (later.length > match.length + 1) {
                steps.push_back({0, m_data[size_t(at)]});
                insert(at);
                ++at;
                match = later;
                continue;
            }
            steps.push_back({uint32_t(match.length), uint32_t(match.distance)});
            for (const int end = at + match.length; at < end; ++at)
                insert(at);
            match = at < size ? longest(at) : Match{};
        }
        return steps;
    }

private:
    // Chosen by measurement on the 449-frame scroll of bench_scroll: 64 tries write the file 25 % smaller
    // than 8, where the places most recently seen are mostly the same dot a few bytes back; a match of
    // Enough bytes ends the search, and one of LazyBelow or more is taken without looking one byte on.
    static constexpr int MinMatch = 4;
    static constexpr int ChainTries = 64;
    static constexpr int Enough = 128;
    static constexpr int LazyBelow = 32;

    struct Match {
        int length = 0;
        int distance = 0;
    };

    uint32_t hashAt(int at) const {
        const uint8_t* bytes = m_data.data() + at;
        uint32_t key;
        std::memcpy(&key, bytes, sizeof key);
        return (key * 0x9E3779B1u) >> (32 - m_hashBits);
    }

    void insert(int at) {
        if (at + MinMatch > int(m_data.size()))
            return;
        int32_t& head = m_head[hashAt(at)];
        m_previous[size_t(at)] = head;
        head = at;
    }

    Match longest(int at) const {
        const int limit = std::min(MaxCopyLength, int(m_data.size()) - at);
        Match best;
        auto consider = [&](int from) {
            const int length = matchLength(m_data.data() + from, m_data.data() + at, limit);
            if (length > best.length)
                best = {length, at - from};
        };
        if (at >= m_rowLength)
            consider(at - m_rowLength);
        if (at >= 1)
            consider(at - 1);
        if (limit >= MinMatch) {
            int from = m_head[hashAt(at)];
            const int enough = std::min(Enough, limit);
            for (int tries = 0; from >= 0 && at - from <= MaxDistance && tries < ChainTries && best.length < enough;
                 ++tries) {
                if (m_data[size_t(from + best.length)] == m_data[size_t(at + best.length)])
                    consider(from);
                from = m_previous[size_t(from)];
            }
        }
        return best;
    }

    const std::vector<uint8_t>& m_data;
    int m_rowLength;
    int m_hashBits;
    std::vector<int32_t> m_head;
    std::vector<int32_t> m_previous;
};

std::vector<uint32_t> zeros(int size) {
    return std::vector<uint32_t>(size_t(size), 0);
}

// The palette as the transform's own little image: each colour less the one before, byte by byte, all
// as literals.
void writePalette(BitWriter& out, const QList<QRgb>& palette) {
    std::vector<uint32_t> deltas;
    std::array<std::vector<uint32_t>, 4> counts{zeros(LiteralCodes + LengthCodes), zeros(LiteralCodes),
                                                zeros(LiteralCodes), zeros(LiteralCodes)};
    uint32_t before = 0;
    for (const QRgb colour : palette) {
        const uint32_t argb = colour | 0xff000000u;
        uint32_t delta = 0;
        for (int shift = 0; shift < 32; shift += 8)
            delta |= (((argb >> shift) - (before >> shift)) & 0xffu) << shift;
        deltas.push_back(delta);
        before = argb;
        ++counts[0][(delta >> 8) & 0xff];
        ++counts[1][(delta >> 16) & 0xff];
        ++counts[2][delta & 0xff];
        ++counts[3][delta >> 24];
    }
    out.put(0, 1); // no colour cache
    std::array<PrefixCode, 4> codes;
    for (size_t n = 0; n < codes.size(); ++n)
        codes[n] = writeCode(out, counts[n]);
    writeCode(out, zeros(DistanceCodes));
    for (const uint32_t delta : deltas) {
        codes[0].put(out, int((delta >> 8) & 0xff));
        codes[1].put(out, int((delta >> 16) & 0xff));
        codes[2].put(out, int(delta & 0xff));
        codes[3].put(out, int(delta >> 24));
    }
}

} // namespace

std::vector<uint8_t> encodePaletteWebp(const uint8_t* indices, int width, int height, size_t stride,
                                       const QList<QRgb>& palette) {
    const int colours = int(palette.size());
    const int bits = colours > 16 ? 0 : colours > 4 ? 1 : colours > 2 ? 2 : 3;
    const std::vector<uint8_t> packed = packIndices(indices, width, height, stride, bits);
    const int rowLength = (width + (1 << bits) - 1) >> bits;
    std::vector<Step> steps = Matcher(packed, rowLength).steps();

    // Packed pixels are green; red, blue and alpha stay 0 and take no bits.
    std::vector<uint32_t> green = zeros(LiteralCodes + LengthCodes);
    std::vector<uint32_t> distances = zeros(DistanceCodes);
    for (Step& step : steps) {
        if (step.length == 0) {
            ++green[step.value];
            continue;
        }
        step.value = uint32_t(distanceCode(int(step.value), rowLength));
        ++green[size_t(LiteralCodes + prefixed(step.length).symbol)];
        ++distances[size_t(prefixed(step.value).symbol)];
    }

    BitWriter out(packed.size() / 2 + 64);
    out.put(0x2f, 8); // the signature
    out.put(uint32_t(width - 1), 14);
    out.put(uint32_t(height - 1), 14);
    out.put(0, 1); // no alpha
    out.put(0, 3); // version 0
    out.put(1, 1); // a transform:
    out.put(3, 2); // colour indexing
    out.put(uint32_t(colours - 1), 8);
    writePalette(out, palette);
    out.put(0, 1); // no further transform
    out.put(0, 1); // no colour cache
    out.put(0, 1); // one set of codes for the whole image
    const PrefixCode greenCode = writeCode(out, green);
    for (int unused = 0; unused < 3; ++unused)
        writeCode(out, zeros(LiteralCodes));
    const PrefixCode distanceCodes = writeCode(out, distances);
    for (const Step& step : steps) {
        if (step.length == 0) {
            greenCode.put(out, int(step.value));
            continue;
        }
        const Prefixed length = prefixed(step.length);
        greenCode.put(out, LiteralCodes + length.symbol);
        out.put(length.extra, length.extraBits);
        const Prefixed distance = prefixed(step.value);
        distanceCodes.put(out, distance.symbol);
        out.put(distance.extra, distance.extraBits);
    }
    return out.finish();
}

} // namespace scroll
