#include "codec/pngstream.h"

#include <QIODevice>
#include <QtEndian>

#include <algorithm>
#include <array>
#include <cstring>

#include <libdeflate.h>

namespace codec {

namespace {

// libdeflate's levels by effort, measured on boards of 8 × 8 dots packed to 4 bits. On the 450-character
// comparison board level 1 takes 3 ms for 0.78 of the size of Pillow's default PNG, 4 takes 6 ms for
// 0.60 (5 is slower and no smaller), 7 takes 19 ms for 0.48; 6 is no smaller than 7 on some boards, and
// 8 takes nearly three times as long as 7 for 8% less. zlib is slower for the same size up to its
// level 6, which matches level 7 here.
int deflateLevel(PngEffort effort) {
    switch (effort) {
    case PngEffort::Fastest:
        return 1;
    case PngEffort::Smallest:
        return 7;
    case PngEffort::Default:
        break;
    }
    return 4;
}

void putUint32(uint8_t* out, uint32_t value) {
    out[0] = uint8_t(value >> 24);
    out[1] = uint8_t(value >> 16);
    out[2] = uint8_t(value >> 8);
    out[3] = uint8_t(value);
}

void putUint16(uint8_t* out, uint16_t value) {
    out[0] = uint8_t(value >> 8);
    out[1] = uint8_t(value);
}

int bitDepth(const PngHeader& header) {
    return header.color == PngColor::Palette ? paletteBitDepth(header.palette.size()) : 8;
}

// Packs the low Depth bits of perByte indices, the first one highest, into one byte.
template <int Depth> uint8_t packByte(const uint8_t* indices, uint32_t count) {
    unsigned packed = 0;
    for (uint32_t j = 0; j < count; ++j)
        packed = packed << Depth | (indices[j] & ((1u << Depth) - 1));
    return uint8_t(packed << (Depth * (8 / Depth - count)));
}

uint64_t loadEight(const uint8_t* indices) {
    uint64_t eight;
    std::memcpy(&eight, indices, sizeof eight);
    return qFromLittleEndian(eight);
}

} // namespace

int paletteBitDepth(size_t colours) {
    return colours <= 2 ? 1 : colours <= 4 ? 2 : colours <= 16 ? 4 : 8;
}

void packIndices(const uint8_t* indices, uint32_t width, int depth, uint8_t* out) {
    if (depth == 8) {
        std::memcpy(out, indices, width);
        return;
    }
    const uint32_t perByte = uint32_t(8 / depth);
    uint32_t x = 0;
    // Eight indices at a time. The multipliers move every index's bits to their place in the top byte
    // without two of them meeting, so the sum has no carries.
    for (; x + 8 <= width; x += 8, indices += 8) {
        const uint64_t eight = loadEight(indices);
        switch (depth) {
        case 1:
            *out++ = uint8_t(((eight & 0x0101010101010101u) * 0x8040201008040201u) >> 56);
            break;
        case 2: {
            const uint64_t bits = eight & 0x0303030303030303u;
            *out++ = uint8_t(((bits & 0xFFFFFFFFu) * 0x40100401u) >> 24);
            *out++ = uint8_t(((bits >> 32) * 0x40100401u) >> 24);
            break;
        }
        default: {
            // Pairs side by side in the low byte of each 16-bit lane, then the four lanes' bytes together.
            const uint64_t nibbles = eight & 0x0F0F0F0F0F0F0F0Fu;
            uint64_t pairs = ((nibbles << 4) | (nibbles >> 8)) & 0x00FF00FF00FF00FFu;
            pairs = (pairs | pairs >> 8) & 0x0000FFFF0000FFFFu;
            const uint32_t four = qToLittleEndian(uint32_t(pairs | pairs >> 16));
            std::memcpy(out, &four, sizeof four);
            out += sizeof four;
            break;
        }
        }
    }
    for (; x < width; x += perByte, indices += perByte) {
        const uint32_t count = std::min(perByte, width - x);
        *out++ = depth == 1   ? packByte<1>(indices, count)
                 : depth == 2 ? packByte<2>(indices, count)
                              : packByte<4>(indices, count);
    }
}

PngEffort pngEffortOf(uint8_t pngSetting) {
    switch (pngSetting) {
    case 1:
        return PngEffort::Fastest;
    case 2:
        return PngEffort::Smallest;
    default:
        return PngEffort::Default;
    }
}

int pngBytesPerPixel(PngColor color) {
    switch (color) {
    case PngColor::Palette:
        return 1;
    case PngColor::Rgb:
        return 3;
    case PngColor::Rgba:
        return 4;
    }
    return 1;
}

PngStream::PngStream(QIODevice& device, PngEffort effort)
    : m_device(device), m_level(deflateLevel(effort)), m_zlib(m_level) {}

PngStream::~PngStream() = default;

bool PngStream::fail(Error error) {
    if (m_error == Error::None)
        m_error = error;
    return false;
}

bool PngStream::writeChunk(const char type[4], std::span<const uint8_t> data) {
    return writeChunk(type, std::vector{data});
}

// One chunk whose data is the parts one after the other (a sequence number, then compressed pixels).
bool PngStream::writeChunk(const char type[4], const std::vector<std::span<const uint8_t>>& parts) {
    size_t length = 0;
    for (const std::span<const uint8_t> part : parts)
        length += part.size();
    std::array<uint8_t, 8> start{};
    putUint32(start.data(), uint32_t(length));
    std::copy(type, type + 4, start.begin() + 4);
    uint32_t crc = libdeflate_crc32(0, start.data() + 4, 4);
    // A null buffer would restart the CRC: empty parts are skipped.
    for (const std::span<const uint8_t> part : parts)
        if (!part.empty())
            crc = libdeflate_crc32(crc, part.data(), part.size());
    std::array<uint8_t, 4> end{};
    putUint32(end.data(), crc);
    const auto put = [this](std::span<const uint8_t> bytes) {
        return bytes.empty() || m_device.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size())) ==
                                    qint64(bytes.size());
    };
    if (!put(start))
        return fail(Error::Device);
    for (const std::span<const uint8_t> part : parts)
        if (!put(part))
            return fail(Error::Device);
    if (!put(end))
        return fail(Error::Device);
    return true;
}

bool PngStream::begin(const PngHeader& header) {
    if (m_error != Error::None)
        return false;
    const bool paletteOk =
        header.color != PngColor::Palette || (!header.palette.empty() && header.palette.size() <= 256);
    if (m_stage != Stage::Start || header.width == 0 || header.height == 0 || header.width > 0x7FFFFFFFu ||
        header.height > 0x7FFFFFFFu || !paletteOk)
        return fail(Error::Misuse);
    m_header = header;
    m_header.palette = {}; // the caller's colours are only read here
    m_bitDepth = bitDepth(header);

    static constexpr uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (m_device.write(reinterpret_cast<const char*>(signature), 8) != 8)
        return fail(Error::Device);

    std::array<uint8_t, 13> ihdr{};
    putUint32(&ihdr[0], header.width);
    putUint32(&ihdr[4], header.height);
    ihdr[8] = uint8_t(m_bitDepth);
    ihdr[9] = uint8_t(header.color);
    // compression, filter method and interlace are all 0: deflate, adaptive filtering, none
    if (!writeChunk("IHDR", ihdr))
        return false;

    if (header.color == PngColor::Palette) {
        std::array<uint8_t, 256 * 3> plte{};
        std::array<uint8_t, 256> trns{};
        size_t transparent = 0; // tRNS lists alphas up to the last index that is not opaque
        for (size_t i = 0; i < header.palette.size(); ++i) {
            const QRgb colour = header.palette[i];
            plte[3 * i] = uint8_t(qRed(colour));
            plte[3 * i + 1] = uint8_t(qGreen(colour));
            plte[3 * i + 2] = uint8_t(qBlue(colour));
            trns[i] = uint8_t(qAlpha(colour));
            if (trns[i] != 255)
                transparent = i + 1;
        }
        if (!writeChunk("PLTE", std::span(plte.data(), header.palette.size() * 3)))
            return false;
        if (transparent > 0 && !writeChunk("tRNS", std::span(trns.data(), transparent)))
            return false;
    }

    std::array<uint8_t, 9> phys{};
    putUint32(&phys[0], 3780); // 96 dpi, like every surface
    putUint32(&phys[4], 3780);
    phys[8] = 1; // pixels a metre
    if (!writeChunk("pHYs", phys))
        return false;
    m_stage = Stage::Header;
    return true;
}

bool PngStream::beginAnimation(uint32_t frames, uint32_t loops) {
    if (m_error != Error::None)
        return false;
    if (m_stage != Stage::Header || frames == 0 || frames > 0x7FFFFFFFu || loops > 0x7FFFFFFFu)
        return fail(Error::Misuse);
    std::array<uint8_t, 8> actl{};
    putUint32(&actl[0], frames);
    putUint32(&actl[4], loops);
    if (!writeChunk("acTL", actl))
        return false;
    m_framesLeft = frames;
    m_stage = Stage::Animation;
    return true;
}

bool PngStream::writeImage(const PngRows& rows) {
    if (m_error != Error::None)
        return false;
    if (m_stage != Stage::Header)
        return fail(Error::Misuse);
    if (!writePixels(m_header.width, m_header.height, rows, false))
        return false;
    m_stage = Stage::Pixels;
    return true;
}

bool PngStream::writePackedImage(std::span<const uint8_t> filteredRows) {
    if (!acceptsPacked(filteredRows.size()))
        return false;
    if (!m_zlib.compress(filteredRows))
        return fail(Error::OutOfMemory);
    if (!writeZlib(false))
        return false;
    m_stage = Stage::Pixels;
    return true;
}

bool PngStream::writePackedImage(const TileRows& rows) {
    if (!acceptsPacked(rows.bytes()))
        return false;
    const std::vector<uint8_t> stream = deflateTileRows(rows, m_level);
    if (stream.empty())
        return fail(Error::OutOfMemory);
    if (!writeChunk("IDAT", stream))
        return false;
    m_stage = Stage::Pixels;
    return true;
}

bool PngStream::acceptsPacked(size_t bytes) {
    if (m_error != Error::None)
        return false;
    const size_t stride = (size_t(m_header.width) * size_t(m_bitDepth * pngBytesPerPixel(m_header.color)) + 7) / 8 + 1;
    if (m_stage != Stage::Header || bytes / stride != m_header.height || bytes % stride != 0)
        return fail(Error::Misuse);
    return true;
}

bool PngStream::writeFrame(const PngFrame& frame, const PngRows& rows) {
    if (m_error != Error::None)
        return false;
    const bool first = m_framesWritten == 0;
    const bool inside = frame.width > 0 && frame.height > 0 && frame.x <= m_header.width - frame.width &&
                        frame.width <= m_header.width && frame.height <= m_header.height &&
                        frame.y <= m_header.height - frame.height;
    const bool whole = frame.x == 0 && frame.y == 0 && frame.width == m_header.width && frame.height == m_header.height;
    // The first frame's pixels are the picture's IDAT, so it must cover the picture.
    if (m_stage != Stage::Animation || m_framesLeft == 0 || !inside || (first && !whole))
        return fail(Error::Misuse);

    std::array<uint8_t, 26> fctl{};
    putUint32(&fctl[0], m_sequence++);
    putUint32(&fctl[4], frame.width);
    putUint32(&fctl[8], frame.height);
    putUint32(&fctl[12], frame.x);
    putUint32(&fctl[16], frame.y);
    putUint16(&fctl[20], frame.delayNumerator);
    putUint16(&fctl[22], frame.delayDenominator);
    fctl[24] = uint8_t(frame.dispose);
    fctl[25] = uint8_t(frame.blend);
    if (!writeChunk("fcTL", fctl))
        return false;
    // The first frame is also the still picture that viewers without animation show.
    if (!writePixels(frame.width, frame.height, rows, !first))
        return false;
    ++m_framesWritten;
    --m_framesLeft;
    return true;
}

bool PngStream::writePixels(uint32_t width, uint32_t height, const PngRows& rows, bool asFrameData) {
    const size_t bitsPerPixel = size_t(m_bitDepth) * size_t(pngBytesPerPixel(m_header.color));
    const size_t stride = (size_t(width) * bitsPerPixel + 7) / 8 + 1; // a filter byte before every row
    if (stride - 1 > (size_t(-1) >> 2) / height)
        return fail(Error::OutOfMemory);
    const size_t filteredBytes = stride * height;
    const MallocBuffer filtered = allocateBuffer(filteredBytes);
    if (!filtered)
        return fail(Error::OutOfMemory);

    const int depth = m_bitDepth;
    MallocBuffer indices; // rows of sub-byte indices are handed over one index a byte, then packed
    if (m_header.color == PngColor::Palette && depth < 8) {
        indices = allocateBuffer(width);
        if (!indices)
            return fail(Error::OutOfMemory);
    }
    for (uint32_t y = 0; y < height; ++y) {
        uint8_t* row = filtered.get() + size_t(y) * stride;
        row[0] = 0; // no filter
        if (indices) {
            rows(y, indices.get());
            packIndices(indices.get(), width, depth, row + 1);
        } else {
            rows(y, row + 1);
        }
    }
    // True-colour rows take the Up filter: a board's dots line up from row to row, and Up turns their
    // repeats into zeros that deflate codes fastest. Going bottom-up, the row above is still unfiltered.
    if (m_header.color != PngColor::Palette) {
        for (uint32_t y = height - 1; y > 0; --y) {
            uint8_t* row = filtered.get() + size_t(y) * stride;
            const uint8_t* above = row - stride;
            row[0] = 2;
            for (size_t i = 1; i < stride; ++i)
                row[i] = uint8_t(row[i] - above[i]);
        }
    }

    return writeCompressed(std::span(filtered.get(), filteredBytes), asFrameData);
}

bool PngStream::writeCompressed(std::span<const uint8_t> filtered, bool asFrameData) {
    if (!m_zlib.compress(filtered))
        return fail(Error::OutOfMemory);
    return writeZlib(asFrameData);
}

bool PngStream::writeZlib(bool asFrameData) {
    std::vector<std::span<const uint8_t>> parts = m_zlib.parts();
    if (!asFrameData)
        return writeChunk("IDAT", parts);
    std::array<uint8_t, 4> sequence{};
    putUint32(sequence.data(), m_sequence++);
    parts.insert(parts.begin(), sequence);
    return writeChunk("fdAT", parts);
}

bool PngStream::finish() {
    if (m_error != Error::None)
        return false;
    const bool complete =
        m_stage == Stage::Pixels || (m_stage == Stage::Animation && m_framesWritten > 0 && m_framesLeft == 0);
    if (!complete)
        return fail(Error::Misuse);
    if (!writeChunk("IEND", std::span<const uint8_t>()))
        return false;
    m_stage = Stage::Finished;
    return true;
}

} // namespace codec
