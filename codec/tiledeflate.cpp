#include "codec/tiledeflate.h"

#include "codec/prefixcode.h"
#include "codec/zlibstream.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <deque>
#include <new>

namespace codec {

namespace {

constexpr size_t Window = 32768;
constexpr uint32_t MaxCopy = 258;
constexpr int EndOfBlock = 256;
constexpr int LiteralLengthCodes = 286;
constexpr int DistanceCodes = 30;
constexpr std::array<uint8_t, CodeLengthCodes> CodeLengthOrder{16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                                               11, 4,  12, 3, 13, 2, 14, 1, 15};

// A copy's length, 3 to 258, as deflate writes it: symbol 257 + code, then extra bits.
struct LengthCode {
    uint8_t code;
    uint8_t extraBits;
    uint8_t extra;
};
constexpr std::array<LengthCode, MaxCopy + 1> LengthCodes = [] {
    constexpr std::array<uint16_t, 29> base{3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                            31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
    constexpr std::array<uint8_t, 29> extraBits{0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                                2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
    std::array<LengthCode, MaxCopy + 1> codes{};
    for (uint32_t length = 3, code = 0; length <= MaxCopy; ++length) {
        while (code + 1 < base.size() && base[code + 1] <= length)
            ++code;
        codes[length] = {uint8_t(code), extraBits[code], uint8_t(length - base[code])};
    }
    return codes;
}();

// A stretch of a row: tiles literal tiles, or a copy of that many tiles' bytes from distance bytes back.
struct Piece {
    uint32_t tiles;
    uint32_t distance; // 0: literals
};
using Parse = std::vector<Piece>;

// How the repeats of a row are looked for.
struct Search {
    int tries;     // places of the hash chain tried
    bool lazy;     // a literal tile first when the next place copies more
    size_t enough; // a copy of this many tiles ends the search
};

// Chosen on the comparison board against libdeflate's levels 1, 4 and 7: at each, a file as small or smaller.
Search searchFor(int level) {
    if (level <= 1)
        return {4, false, 64};
    if (level <= 6)
        return {32, true, 256};
    return {256, true, 4096};
}

class TileDeflater {
public:
    TileDeflater(const TileRows& rows, int level)
        : m_rows(rows), m_level(level), m_search(searchFor(level)), m_stride(rows.stride()),
          m_tileHeight(size_t(rows.tileHeight)), m_columns(size_t(rows.columns)),
          m_minimumTiles(std::max<size_t>(1, (MinCopyBytes + rows.lineBytes - 1) / rows.lineBytes)) {
        classifyLines();
    }

    std::vector<uint8_t> deflate() {
        parseRows();
        findRepeatedRows();
        std::vector<uint32_t> literalCounts(LiteralLengthCodes, 0);
        std::vector<uint32_t> distanceCounts(DistanceCodes, 0);
        visitTokens([&](uint8_t literal) { ++literalCounts[literal]; },
                    [&](uint32_t length, uint32_t distance) {
                        ++literalCounts[size_t(257 + LengthCodes[length].code)];
                        ++distanceCounts[size_t(prefixed(distance).symbol)];
                    });
        literalCounts[EndOfBlock] = 1;

        BitWriter out(m_rows.bytes() / 32 + 256);
        for (const uint8_t byte : zlibHeader(m_level))
            out.put(byte, 8);
        out.put(1, 1); // the final block,
        out.put(2, 2); // with codes of its own
        const auto [literals, distances] = writeCodes(out, literalCounts, distanceCounts);
        visitTokens([&](uint8_t literal) { literals.put(out, literal); },
                    [&](uint32_t length, uint32_t distance) {
                        const LengthCode& lengthCode = LengthCodes[length];
                        literals.put(out, 257 + lengthCode.code);
                        out.put(lengthCode.extra, lengthCode.extraBits);
                        const Prefixed distanceCode = prefixed(distance);
                        distances.put(out, distanceCode.symbol);
                        out.put(distanceCode.extra, distanceCode.extraBits);
                    });
        literals.put(out, EndOfBlock);
        std::vector<uint8_t> stream = out.finish();
        const uint32_t checksum = adler32();
        for (int shift = 24; shift >= 0; shift -= 8)
            stream.push_back(uint8_t(checksum >> shift));
        return stream;
    }

private:
    // Shorter copies cost about as many bits as their literals.
    static constexpr size_t MinCopyBytes = 8;
    static constexpr int HashTiles = 4;
    static constexpr int HashBits = 12;

    const uint8_t* line(size_t tile, size_t lineNumber) const {
        return m_rows.lines.data() + (tile * m_tileHeight + lineNumber) * m_rows.lineBytes;
    }
    uint8_t tileAt(size_t tileRow, size_t column) const { return m_rows.tileAt[tileRow * m_columns + column]; }

    // Each line's tiles named by the lowest tile with the same bytes there, and whether each tile's line
    // repeats the one above it. Lines whose tiles are named alike are parsed alike.
    void classifyLines() {
        const size_t tiles = m_rows.tiles;
        m_class.assign(m_tileHeight * tiles, 0);
        m_sameAsAbove.assign(m_tileHeight * tiles, 0);
        m_likeLine.resize(m_tileHeight);
        for (size_t l = 0; l < m_tileHeight; ++l) {
            uint8_t* classes = &m_class[l * tiles];
            uint8_t* same = &m_sameAsAbove[l * tiles];
            for (size_t t = 0; t < tiles; ++t) {
                classes[t] = uint8_t(t);
                for (size_t u = 0; u < t; ++u)
                    if (std::memcmp(line(t, l), line(u, l), m_rows.lineBytes) == 0) {
                        classes[t] = uint8_t(u);
                        break;
                    }
                same[t] = l > 0 && std::memcmp(line(t, l), line(t, l - 1), m_rows.lineBytes) == 0;
            }
            m_likeLine[l] = l;
            for (size_t k = 0; k < l; ++k)
                if (std::equal(classes, classes + tiles, &m_class[k * tiles])) {
                    m_likeLine[l] = k;
                    break;
                }
        }
    }

    // Every row's parse; rows whose lines are alike in a row of tiles share one.
    void parseRows() {
        m_rowParse.resize(m_tileHeight * size_t(m_rows.rows));
        for (size_t r = 0; r < size_t(m_rows.rows); ++r)
            for (size_t l = 0; l < m_tileHeight; ++l) {
                if (m_likeLine[l] != l) {
                    m_rowParse[r * m_tileHeight + l] = m_rowParse[r * m_tileHeight + m_likeLine[l]];
                    continue;
                }
                m_parses.push_back(parseRow(r, l));
                m_rowParse[r * m_tileHeight + l] = &m_parses.back();
            }
    }

    // The row's tiles as one string with those of the rows of tiles above that the window reaches, and
    // its repeats found in it: the tile before, the last distance and a hash chain on HashTiles tiles.
    Parse parseRow(size_t r, size_t l) {
        const uint8_t* classes = &m_class[l * m_rows.tiles];
        const size_t bandBytes = m_tileHeight * m_stride;
        const size_t above = std::min(r, (Window + m_columns * m_rows.lineBytes) / bandBytes);
        const size_t base = above * m_columns;
        m_text.resize(base + m_columns);
        const uint8_t* tiles = m_rows.tileAt + (r - above) * m_columns;
        for (size_t i = 0; i < m_text.size(); ++i)
            m_text[i] = classes[tiles[i]];
        m_head.assign(size_t(1) << HashBits, -1);
        m_previous.assign(m_text.size(), -1);
        for (size_t i = 0; i < base; ++i)
            insert(i);

        Parse parse;
        uint32_t lastDistance = 0;
        auto add = [&parse](uint32_t tiles, uint32_t distance) {
            if (!parse.empty() && parse.back().distance == distance)
                parse.back().tiles += tiles;
            else
                parse.push_back({tiles, distance});
        };
        Copy copy = longest(base, base, lastDistance);
        for (size_t i = base; i < m_text.size();) {
            if (copy.tiles < m_minimumTiles) {
                add(1, 0);
                insert(i++);
                copy = i < m_text.size() ? longest(i, base, lastDistance) : Copy{};
                continue;
            }
            bool firstInserted = false;
            if (m_search.lazy && copy.tiles < m_search.enough && i + 1 < m_text.size()) {
                insert(i);
                firstInserted = true;
                const Copy later = longest(i + 1, base, lastDistance);
                if (later.tiles > copy.tiles + 1) {
                    add(1, 0);
                    ++i;
                    copy = later;
                    continue;
                }
            }
            add(uint32_t(copy.tiles), copy.distance);
            lastDistance = copy.distance;
            const size_t end = i + copy.tiles;
            for (i += firstInserted ? 1 : 0; i < end; ++i)
                insert(i);
            copy = i < m_text.size() ? longest(i, base, lastDistance) : Copy{};
        }
        return parse;
    }

    struct Copy {
        size_t tiles = 0;
        uint32_t distance = 0;
    };

    uint32_t hashAt(size_t i) const {
        uint32_t key = 0;
        for (int k = 0; k < HashTiles; ++k)
            key = key << 8 | m_text[i + size_t(k)];
        return (key * 0x9E3779B1u) >> (32 - HashBits);
    }

    // Only places with HashTiles tiles left in their own row are chained.
    void insert(size_t i) {
        if (i % m_columns + HashTiles > m_columns)
            return;
        int32_t& head = m_head[hashAt(i)];
        m_previous[i] = head;
        head = int32_t(i);
    }

    // The bytes back from place i to place from, 0 when the window does not reach.
    uint32_t distanceBetween(size_t from, size_t i) const {
        const size_t rowsBack = i / m_columns - from / m_columns;
        const ptrdiff_t columnsBack = ptrdiff_t(i % m_columns) - ptrdiff_t(from % m_columns);
        const ptrdiff_t distance =
            ptrdiff_t(rowsBack * m_tileHeight * m_stride) + columnsBack * ptrdiff_t(m_rows.lineBytes);
        return distance > 0 && size_t(distance) <= Window ? uint32_t(distance) : 0;
    }

    // How many tiles from place from repeat those from place i, neither passing its row's end.
    size_t tilesAlike(size_t from, size_t i) const {
        const size_t limit = std::min(m_columns - from % m_columns, m_columns - i % m_columns);
        size_t n = 0;
        for (; n + 8 <= limit; n += 8) {
            uint64_t a, b;
            std::memcpy(&a, &m_text[from + n], 8);
            std::memcpy(&b, &m_text[i + n], 8);
            if (a != b)
                return n + size_t(std::countr_zero(a ^ b) / 8);
        }
        while (n < limit && m_text[from + n] == m_text[i + n])
            ++n;
        return n;
    }

    Copy longest(size_t i, size_t base, uint32_t lastDistance) const {
        Copy best;
        auto consider = [&](size_t tiles, uint32_t distance) {
            if (tiles > best.tiles || (tiles == best.tiles && distance < best.distance))
                best = {tiles, distance};
        };
        const size_t x = i - base;
        if (x > 0)
            consider(tilesAlike(i - 1, i), uint32_t(m_rows.lineBytes));
        if (lastDistance != 0 && lastDistance % m_rows.lineBytes == 0 && lastDistance / m_rows.lineBytes <= x)
            consider(tilesAlike(i - lastDistance / m_rows.lineBytes, i), lastDistance);
        if (x + HashTiles <= m_columns) {
            int tries = 0;
            for (int32_t from = m_head[hashAt(i)];
                 from >= 0 && tries < m_search.tries && best.tiles < m_search.enough && x + best.tiles < m_columns;
                 from = m_previous[size_t(from)], ++tries) {
                const uint32_t distance = distanceBetween(size_t(from), i);
                if (distance == 0)
                    break; // beyond the window, as every older place is
                if (m_text[size_t(from) + best.tiles] == m_text[i + best.tiles])
                    consider(tilesAlike(size_t(from), i), distance);
            }
        }
        return best;
    }

    // Calls literal(byte) and copy(length, distance) for every token of the rows, in order.
    template <class Literal, class CopyOf> void visitTokens(Literal literal, CopyOf copy) const {
        const size_t lineBytes = m_rows.lineBytes;
        for (size_t y = 0; y < m_rowParse.size(); ++y) {
            const size_t r = y / m_tileHeight;
            const size_t l = y % m_tileHeight;
            if (m_repeatsAbove[y]) {
                copyBytes(m_stride, uint32_t(m_stride), copy);
                continue;
            }
            literal(0); // no filter
            size_t x = 0;
            for (const Piece& piece : *m_rowParse[y]) {
                if (piece.distance == 0) {
                    for (const size_t end = x + piece.tiles; x < end; ++x) {
                        const uint8_t* bytes = line(tileAt(r, x), l);
                        for (size_t b = 0; b < lineBytes; ++b)
                            literal(bytes[b]);
                    }
                    continue;
                }
                x += piece.tiles;
                copyBytes(piece.tiles * lineBytes, piece.distance, copy);
            }
        }
    }

    // A copy of any length as copies of deflate's lengths.
    template <class CopyOf> static void copyBytes(size_t bytes, uint32_t distance, CopyOf copy) {
        for (size_t left = bytes; left > 0;) {
            uint32_t length = uint32_t(std::min<size_t>(left, MaxCopy));
            if (left - length > 0 && left - length < 3)
                length -= 3; // what is left must make a copy too
            copy(length, distance);
            left -= length;
        }
    }

    // Which rows are the row above again, byte for byte: one copy each.
    void findRepeatedRows() {
        m_repeatsAbove.assign(m_tileHeight * size_t(m_rows.rows), 0);
        if (m_stride > Window)
            return;
        std::vector<uint8_t> shown(m_rows.tiles);
        for (size_t r = 0; r < size_t(m_rows.rows); ++r) {
            std::fill(shown.begin(), shown.end(), 0);
            bool sameAsRowAbove = r > 0;
            for (size_t x = 0; x < m_columns; ++x) {
                shown[tileAt(r, x)] = 1;
                sameAsRowAbove = sameAsRowAbove && std::memcmp(line(tileAt(r - 1, x), m_tileHeight - 1),
                                                               line(tileAt(r, x), 0), m_rows.lineBytes) == 0;
            }
            m_repeatsAbove[r * m_tileHeight] = sameAsRowAbove;
            for (size_t l = 1; l < m_tileHeight; ++l) {
                bool same = true;
                for (size_t t = 0; t < m_rows.tiles && same; ++t)
                    same = !shown[t] || m_sameAsAbove[l * m_rows.tiles + t];
                m_repeatsAbove[r * m_tileHeight + l] = same;
            }
        }
    }

    struct Codes {
        PrefixCode literals;
        PrefixCode distances;
    };

    // The block's codes as a dynamic block's header states them, and the codes.
    static Codes writeCodes(BitWriter& out, const std::vector<uint32_t>& literalCounts,
                            std::vector<uint32_t> distanceCounts) {
        if (std::all_of(distanceCounts.begin(), distanceCounts.end(), [](uint32_t count) { return count == 0; }))
            distanceCounts[0] = 1; // a code of one distance rather than none, which every decoder reads
        const std::vector<uint8_t> literalLengths = codeLengths(literalCounts, MaxCodeLength);
        const std::vector<uint8_t> distanceLengths = codeLengths(distanceCounts, MaxCodeLength);
        size_t literalsStated = LiteralLengthCodes;
        while (literalLengths[literalsStated - 1] == 0)
            --literalsStated;
        size_t distancesStated = DistanceCodes;
        while (distancesStated > 1 && distanceLengths[distancesStated - 1] == 0)
            --distancesStated;
        std::vector<uint8_t> lengths(literalLengths.begin(), literalLengths.begin() + ptrdiff_t(literalsStated));
        lengths.insert(lengths.end(), distanceLengths.begin(), distanceLengths.begin() + ptrdiff_t(distancesStated));
        const std::vector<CodeLengthToken> tokens = codeLengthTokens(lengths);
        std::vector<uint32_t> tokenCounts(CodeLengthCodes, 0);
        for (const CodeLengthToken& token : tokens)
            ++tokenCounts[token.symbol];
        if (std::count_if(tokenCounts.begin(), tokenCounts.end(), [](uint32_t count) { return count != 0; }) < 2)
            ++tokenCounts[tokens.front().symbol == 0 ? 1 : 0]; // the lengths' code must be complete
        const std::vector<uint8_t> tokenLengths = codeLengths(tokenCounts, MaxCodeLengthCodeLength);
        size_t tokenLengthsStated = CodeLengthCodes;
        while (tokenLengthsStated > 4 && tokenLengths[CodeLengthOrder[tokenLengthsStated - 1]] == 0)
            --tokenLengthsStated;

        out.put(uint32_t(literalsStated - 257), 5);
        out.put(uint32_t(distancesStated - 1), 5);
        out.put(uint32_t(tokenLengthsStated - 4), 4);
        for (size_t n = 0; n < tokenLengthsStated; ++n)
            out.put(tokenLengths[CodeLengthOrder[n]], 3);
        const PrefixCode tokenCode = canonicalCode(tokenLengths);
        for (const CodeLengthToken& token : tokens) {
            tokenCode.put(out, token.symbol);
            if (token.symbol >= 16)
                out.put(token.extra, CodeLengthExtraBits[token.symbol - 16]);
        }
        return {canonicalCode(literalLengths), canonicalCode(distanceLengths)};
    }

    // The rows' Adler-32 from each tile line's sum and its sum weighted by the bytes from it to the row's end:
    // a row's sums come from how often each tile shows in its row of tiles and where.
    uint32_t adler32() const {
        constexpr uint64_t Modulus = 65521;
        const size_t lineBytes = m_rows.lineBytes;
        const size_t tiles = m_rows.tiles;
        std::vector<uint64_t> sums(tiles * m_tileHeight), weighted(tiles * m_tileHeight);
        for (size_t n = 0; n < sums.size(); ++n) {
            const uint8_t* bytes = m_rows.lines.data() + n * lineBytes;
            for (size_t b = 0; b < lineBytes; ++b) {
                sums[n] += bytes[b];
                weighted[n] += uint64_t(lineBytes - b) * bytes[b];
            }
            sums[n] %= Modulus;
            weighted[n] %= Modulus;
        }
        const uint64_t rowBytes = (m_stride - 1) % Modulus;
        uint64_t a = 1, b = 0;
        std::vector<uint64_t> count(tiles), bytesAfter(tiles);
        for (size_t r = 0; r < size_t(m_rows.rows); ++r) {
            std::fill(count.begin(), count.end(), 0);
            std::fill(bytesAfter.begin(), bytesAfter.end(), 0);
            for (size_t x = 0; x < m_columns; ++x) {
                ++count[tileAt(r, x)];
                bytesAfter[tileAt(r, x)] += (m_columns - 1 - x) * lineBytes;
            }
            for (size_t t = 0; t < tiles; ++t)
                bytesAfter[t] %= Modulus;
            for (size_t l = 0; l < m_tileHeight; ++l) {
                uint64_t rowSum = 0, rowWeighted = 0;
                for (size_t t = 0; t < tiles; ++t) {
                    const size_t n = t * m_tileHeight + l;
                    rowSum = (rowSum + count[t] % Modulus * sums[n]) % Modulus;
                    rowWeighted = (rowWeighted + bytesAfter[t] * sums[n] + count[t] % Modulus * weighted[n]) % Modulus;
                }
                b = (b + a) % Modulus; // the filter byte, 0
                b = (b + rowBytes * a + rowWeighted) % Modulus;
                a = (a + rowSum) % Modulus;
            }
        }
        return uint32_t(b << 16 | a);
    }

    const TileRows& m_rows;
    int m_level;
    Search m_search;
    size_t m_stride;
    size_t m_tileHeight;
    size_t m_columns;
    size_t m_minimumTiles;
    std::vector<uint8_t> m_class;       // tileHeight × tiles
    std::vector<uint8_t> m_sameAsAbove; // tileHeight × tiles
    std::vector<size_t> m_likeLine;     // the first line of a row of tiles parsed alike
    std::deque<Parse> m_parses;
    std::vector<const Parse*> m_rowParse;
    std::vector<uint8_t> m_repeatsAbove; // by row
    // parseRow's working space
    std::vector<uint8_t> m_text;
    std::vector<int32_t> m_head;
    std::vector<int32_t> m_previous;
};

} // namespace

std::vector<uint8_t> deflateTileRows(const TileRows& rows, int level) {
    try {
        return TileDeflater(rows, level).deflate();
    } catch (const std::bad_alloc&) {
        return {};
    }
}

} // namespace codec
