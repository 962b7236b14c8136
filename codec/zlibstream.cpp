#include "codec/zlibstream.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstring>
#include <system_error>
#include <thread>

#include <libdeflate.h>
#include <zlib.h>

namespace codec {

namespace {

// Reads a deflate stream's bits, the first of each byte its lowest.
class BitReader {
public:
    explicit BitReader(std::span<const uint8_t> bytes) : m_bytes(bytes) {}

    size_t position() const { return m_bit; }

    // The next count bits (up to 16) without taking them, the first in the lowest; zeros past the end.
    uint32_t peek(int count) const {
        const size_t at = m_bit >> 3;
        uint32_t window = 0;
        for (size_t i = 0; i < 3 && at + i < m_bytes.size(); ++i)
            window |= uint32_t(m_bytes[at + i]) << (8 * i);
        return (window >> (m_bit & 7)) & ((1u << count) - 1);
    }
    // false when fewer bits are left.
    bool skip(size_t count) {
        if (count > m_bytes.size() * 8 - m_bit)
            return false;
        m_bit += count;
        return true;
    }
    bool read(int count, uint32_t& value) {
        value = peek(count);
        return skip(size_t(count));
    }
    void alignToByte() { m_bit = (m_bit + 7) & ~size_t(7); }

private:
    std::span<const uint8_t> m_bytes;
    size_t m_bit = 0;
};

// A canonical Huffman code of deflate: codes up to FastBits long are looked up in one step, longer ones
// (rare symbols, by the nature of the code) are decoded bit by bit.
class HuffmanCode {
public:
    static constexpr int MaxBits = 15;

    // lengths[symbol] is the code length of each symbol, 0 for none; false for lengths that make no code.
    bool build(const uint8_t* lengths, int symbols) {
        m_count.fill(0);
        for (int s = 0; s < symbols; ++s)
            ++m_count[lengths[s]];
        m_count[0] = 0;
        int left = 1;
        for (int bits = 1; bits <= MaxBits; ++bits) {
            left = (left << 1) - m_count[size_t(bits)];
            if (left < 0)
                return false;
        }
        std::array<uint16_t, MaxBits + 2> offset{};
        for (int bits = 1; bits <= MaxBits; ++bits)
            offset[size_t(bits) + 1] = uint16_t(offset[size_t(bits)] + m_count[size_t(bits)]);
        for (int s = 0; s < symbols; ++s)
            if (lengths[s] != 0)
                m_symbols[offset[lengths[s]]++] = uint16_t(s);

        m_fast.fill(0);
        uint32_t code = 0;
        size_t index = 0;
        for (int bits = 1; bits <= MaxBits; ++bits, code <<= 1) {
            for (int n = 0; n < m_count[size_t(bits)]; ++n, ++code, ++index) {
                if (bits > FastBits)
                    continue;
                uint32_t reversed = 0; // codes are stored first bit first, the reader's lowest bit
                for (int b = 0; b < bits; ++b)
                    reversed |= ((code >> b) & 1u) << (bits - 1 - b);
                for (uint32_t slot = reversed; slot < (1u << FastBits); slot += 1u << bits)
                    m_fast[slot] = uint16_t(m_symbols[index] << 4 | bits);
            }
        }
        return true;
    }

    // The next symbol, or -1 when the bits make none.
    int decode(BitReader& bits) const {
        if (const uint16_t entry = m_fast[bits.peek(FastBits)]; entry != 0)
            return bits.skip(entry & 15u) ? int(entry >> 4) : -1;
        uint32_t code = 0, first = 0, index = 0;
        for (int length = 1; length <= MaxBits; ++length) {
            uint32_t bit = 0;
            if (!bits.read(1, bit))
                return -1;
            code |= bit;
            const uint32_t count = m_count[size_t(length)];
            if (code - first < count)
                return m_symbols[index + code - first];
            index += count;
            first = (first + count) << 1;
            code <<= 1;
        }
        return -1;
    }

private:
    static constexpr int FastBits = 10;
    std::array<uint16_t, 1u << FastBits> m_fast{}; // symbol << 4 | length; 0 for a longer code
    std::array<uint16_t, MaxBits + 1> m_count{};
    std::array<uint16_t, 288> m_symbols{}; // in code order
};

constexpr uint8_t LengthExtraBits[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                         2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr uint8_t DistanceExtraBits[30] = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                           6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};

// Passes over a Huffman block's symbols up to its end-of-block code.
bool skipSymbols(BitReader& bits, const HuffmanCode& literals, const HuffmanCode& distances) {
    for (;;) {
        const int symbol = literals.decode(bits);
        if (symbol < 0 || symbol > 285)
            return false;
        if (symbol < 256)
            continue;
        if (symbol == 256)
            return true;
        if (!bits.skip(LengthExtraBits[symbol - 257]))
            return false;
        const int distance = distances.decode(bits);
        if (distance < 0 || distance >= 30 || !bits.skip(DistanceExtraBits[distance]))
            return false;
    }
}

bool readDynamicCodes(BitReader& bits, HuffmanCode& literals, HuffmanCode& distances) {
    uint32_t literalCount = 0, distanceCount = 0, lengthCount = 0;
    if (!bits.read(5, literalCount) || !bits.read(5, distanceCount) || !bits.read(4, lengthCount))
        return false;
    literalCount += 257;
    distanceCount += 1;
    lengthCount += 4;
    static constexpr uint8_t order[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};
    std::array<uint8_t, 19> lengthLengths{};
    for (uint32_t i = 0; i < lengthCount; ++i) {
        uint32_t length = 0;
        if (!bits.read(3, length))
            return false;
        lengthLengths[order[i]] = uint8_t(length);
    }
    HuffmanCode lengthCode;
    if (!lengthCode.build(lengthLengths.data(), 19))
        return false;
    std::array<uint8_t, 286 + 30> lengths{};
    const uint32_t total = literalCount + distanceCount;
    for (uint32_t at = 0; at < total;) {
        const int symbol = lengthCode.decode(bits);
        if (symbol < 0)
            return false;
        if (symbol < 16) {
            lengths[at++] = uint8_t(symbol);
            continue;
        }
        uint32_t repeat = 0;
        uint8_t value = 0;
        if (symbol == 16) {
            if (at == 0 || !bits.read(2, repeat))
                return false;
            value = lengths[at - 1];
            repeat += 3;
        } else if (!bits.read(symbol == 17 ? 3 : 7, repeat)) {
            return false;
        } else {
            repeat += symbol == 17 ? 3 : 11;
        }
        if (repeat > total - at)
            return false;
        std::fill_n(lengths.begin() + at, repeat, value);
        at += repeat;
    }
    return literalCount <= 286 && distanceCount <= 30 && literals.build(lengths.data(), int(literalCount)) &&
           distances.build(lengths.data() + literalCount, int(distanceCount));
}

struct LastBlock {
    size_t headerBit = 0; // its first bit, the one that marks it final
    size_t endBit = 0;    // the bit after it
};

// Walks the blocks of a raw deflate stream up to its final one; false for bytes that are no deflate
// stream or that end before it does.
bool findLastBlock(std::span<const uint8_t> stream, LastBlock& last) {
    BitReader bits(stream);
    HuffmanCode literals, distances;
    for (bool final = false; !final;) {
        last.headerBit = bits.position();
        uint32_t isFinal = 0, type = 0;
        if (!bits.read(1, isFinal) || !bits.read(2, type))
            return false;
        final = isFinal != 0;
        if (type == 0) {
            bits.alignToByte();
            uint32_t length = 0, complement = 0;
            if (!bits.read(16, length) || !bits.read(16, complement) || (length ^ complement) != 0xFFFF ||
                !bits.skip(size_t(length) * 8))
                return false;
            continue;
        }
        if (type == 1) {
            std::array<uint8_t, 288 + 30> fixed{};
            std::fill_n(fixed.begin(), 144, 8);
            std::fill_n(fixed.begin() + 144, 112, 9);
            std::fill_n(fixed.begin() + 256, 24, 7);
            std::fill_n(fixed.begin() + 280, 8, 8);
            std::fill_n(fixed.begin() + 288, 30, 5);
            literals.build(fixed.data(), 288);
            distances.build(fixed.data() + 288, 30);
        } else if (type != 2 || !readDynamicCodes(bits, literals, distances)) {
            return false;
        }
        if (!skipSymbols(bits, literals, distances))
            return false;
    }
    last.endBit = bits.position();
    return true;
}

// Turns a piece's final block into one that is not, then ends the piece with an empty stored block, whose
// length fields start on a byte: the next piece follows on a byte boundary. The buffer has room for the
// seven bytes this may add.
bool openEnd(uint8_t* bytes, size_t& size) {
    LastBlock last;
    if (!findLastBlock(std::span(bytes, size), last) || (last.endBit + 7) / 8 != size)
        return false;
    bytes[last.headerBit / 8] &= uint8_t(~(1u << (last.headerBit % 8)));
    std::memset(bytes + size, 0, 7);
    for (size_t bit = last.endBit; bit < last.endBit + 3; ++bit) // not final, stored
        bytes[bit / 8] &= uint8_t(~(1u << (bit % 8)));
    size = (last.endBit + 3 + 7) / 8;
    static constexpr uint8_t emptyLengths[4] = {0x00, 0x00, 0xFF, 0xFF};
    std::memcpy(bytes + size, emptyLengths, sizeof emptyLengths);
    size += sizeof emptyLengths;
    return true;
}

using Compressor = std::unique_ptr<libdeflate_compressor, void (*)(libdeflate_compressor*)>;

void putUint32(uint8_t* out, uint32_t value) {
    out[0] = uint8_t(value >> 24);
    out[1] = uint8_t(value >> 16);
    out[2] = uint8_t(value >> 8);
    out[3] = uint8_t(value);
}

} // namespace

std::array<uint8_t, 2> zlibHeader(int level) {
    const unsigned levelClass = level < 2 ? 0 : level < 6 ? 1 : level < 8 ? 2 : 3;
    unsigned header = 0x7800 | levelClass << 6;
    header += 31 - header % 31;
    return {uint8_t(header >> 8), uint8_t(header)};
}

MallocBuffer allocateBuffer(size_t bytes) {
    return MallocBuffer(static_cast<uint8_t*>(std::malloc(std::max<size_t>(bytes, 1))));
}

ZlibStream::ZlibStream(int level) : m_level(level), m_compressor(nullptr, libdeflate_free_compressor) {}

ZlibStream::~ZlibStream() = default;

bool ZlibStream::compress(std::span<const uint8_t> data) {
    m_pieces.clear();
    if (!m_compressor) {
        m_compressor.reset(libdeflate_alloc_compressor(m_level));
        if (!m_compressor)
            return false;
    }
    if (data.size() >= 2 * PieceBytes && compressInPieces(data))
        return true;
    return compressWhole(data);
}

bool ZlibStream::compressWhole(std::span<const uint8_t> data) {
    m_pieces.clear();
    m_whole = true;
    Piece piece;
    const size_t bound = libdeflate_zlib_compress_bound(m_compressor.get(), data.size());
    piece.bytes = allocateBuffer(bound);
    if (!piece.bytes)
        return false;
    piece.size = libdeflate_zlib_compress(m_compressor.get(), data.data(), data.size(), piece.bytes.get(), bound);
    if (piece.size == 0) // cannot happen with a buffer of the bound's size
        return false;
    m_pieces.push_back(std::move(piece));
    return true;
}

bool ZlibStream::compressInPieces(std::span<const uint8_t> data) {
    m_whole = false;
    const size_t bytes = data.size();
    const size_t count = (bytes + PieceBytes - 1) / PieceBytes;
    m_pieces.resize(count);
    std::vector<uint32_t> checksums(count);
    std::atomic<size_t> next{0};
    std::atomic<bool> failed{false};
    const auto work = [&](libdeflate_compressor* compressor) {
        for (size_t i = next++; i < count && !failed; i = next++) {
            const std::span<const uint8_t> part =
                data.subspan(i * PieceBytes, std::min(PieceBytes, bytes - i * PieceBytes));
            const size_t bound = libdeflate_deflate_compress_bound(compressor, part.size()) + 8;
            Piece& piece = m_pieces[i];
            piece.bytes = allocateBuffer(bound);
            if (piece.bytes)
                piece.size =
                    libdeflate_deflate_compress(compressor, part.data(), part.size(), piece.bytes.get(), bound);
            // A piece whose end cannot be found (never for libdeflate's streams) sends the data to be
            // compressed whole.
            if (piece.size == 0 || (i + 1 < count && !openEnd(piece.bytes.get(), piece.size))) {
                failed = true;
                return;
            }
            checksums[i] = uint32_t(libdeflate_adler32(1, part.data(), part.size()));
        }
    };
    std::vector<std::thread> helpers;
    const size_t cores = std::max(1u, std::thread::hardware_concurrency());
    for (size_t i = 1; i < std::min(cores, count); ++i) {
        try {
            helpers.emplace_back([&] {
                const Compressor own(libdeflate_alloc_compressor(m_level), libdeflate_free_compressor);
                if (own)
                    work(own.get()); // else the other threads take its pieces
            });
        } catch (const std::system_error&) {
            break; // no thread can start: fewer cores take the pieces
        }
    }
    work(m_compressor.get());
    for (std::thread& helper : helpers)
        helper.join();
    if (failed) {
        m_pieces.clear();
        return false;
    }

    uLong checksum = checksums[0];
    for (size_t i = 1; i < count; ++i)
        checksum = adler32_combine(checksum, checksums[i], z_off_t(std::min(PieceBytes, bytes - i * PieceBytes)));
    m_header = zlibHeader(m_level);
    putUint32(m_trailer, uint32_t(checksum));
    return true;
}

std::vector<std::span<const uint8_t>> ZlibStream::parts() const {
    std::vector<std::span<const uint8_t>> parts;
    if (!m_whole)
        parts.emplace_back(m_header);
    for (const Piece& piece : m_pieces)
        parts.emplace_back(piece.bytes.get(), piece.size);
    if (!m_whole)
        parts.emplace_back(m_trailer, sizeof m_trailer);
    return parts;
}

} // namespace codec
