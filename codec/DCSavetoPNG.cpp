#include "codec/TransG32.h"
#include "codec/outputfile.h"
#include "codec/pngstream.h"

#include "platform/atomicfile.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <span>
#include <vector>

namespace codec {

namespace {

// Up to 256 colours and their palette indices, in the order they were first met. An open-addressing
// table keyed by the colour: a board's pixels cost a multiply and a compare or two each.
class Palette {
public:
    // The colour's index, added when it is new; -1 for a new colour when 256 are already taken.
    int indexOf(QRgb colour) {
        for (uint32_t slot = (colour * 0x9E3779B1u) >> (32 - SlotBits);; slot = (slot + 1) & (Slots - 1)) {
            if (m_keys[slot] == colour)
                return m_indices[slot];
            if (m_keys[slot] == Free) {
                if (m_count == 256)
                    return -1;
                m_keys[slot] = colour;
                m_indices[slot] = uint8_t(m_count);
                m_colours[size_t(m_count)] = colour;
                return m_count++;
            }
        }
    }
    std::span<const QRgb> colours() const { return std::span(m_colours.data(), size_t(m_count)); }

    static constexpr QRgb Free = 0; // never a surface colour: those are all opaque

private:
    static constexpr int SlotBits = 10; // four times the most colours kept: probes stay short
    static constexpr uint32_t Slots = 1u << SlotBits;

    std::array<QRgb, Slots> m_keys{};
    std::array<uint8_t, Slots> m_indices{};
    std::array<QRgb, 256> m_colours{};
    int m_count = 0;
};

const QRgb* pixelRow(const QImage& image, uint32_t y) {
    return reinterpret_cast<const QRgb*>(image.constScanLine(int(y)));
}

// Turns rows of pixels into palette indices. A board repeats its dot pictures cell after cell, so most
// blocks of eight pixels equal one of the last two different blocks met; their indices are copied
// instead of looked up. What the blocks hold never changes the result, only the time.
class RowIndexer {
public:
    explicit RowIndexer(Palette& palette) : m_palette(palette) {}

    // Writes the indices of width pixels to out; false when a new colour would be the 257th.
    bool index(const QRgb* pixels, uint32_t width, uint8_t* out) {
        uint32_t x = 0;
        for (; x + BlockPixels <= width; x += BlockPixels) {
            // Both comparisons without a branch between them: which of the two blocks comes next
            // follows the message, and a mispredicted branch would cost more than the comparison.
            const bool first = same(m_blocks[0].pixels.data(), pixels + x);
            const bool second = same(m_blocks[1].pixels.data(), pixels + x);
            uint64_t indices = first ? m_blocks[0].indices : m_blocks[1].indices;
            if (!(first | second)) {
                Block& block = m_blocks[m_nextBlock];
                m_nextBlock ^= 1;
                std::array<uint8_t, BlockPixels> looked{};
                if (!indexPixels(pixels + x, BlockPixels, looked.data()))
                    return false;
                std::memcpy(block.pixels.data(), pixels + x, sizeof block.pixels);
                std::memcpy(&block.indices, looked.data(), sizeof block.indices);
                indices = block.indices;
            }
            std::memcpy(out + x, &indices, BlockPixels);
        }
        return indexPixels(pixels + x, width - x, out + x);
    }

private:
    static constexpr uint32_t BlockPixels = 8;
    struct Block {
        // No board pixel is 0: the blocks match nothing until they are filled.
        std::array<QRgb, BlockPixels> pixels{};
        uint64_t indices = 0;
    };

    static bool same(const QRgb* a, const QRgb* b) {
        uint64_t difference = 0;
        for (uint32_t i = 0; i < BlockPixels; i += 2) {
            uint64_t left, right;
            std::memcpy(&left, a + i, sizeof left);
            std::memcpy(&right, b + i, sizeof right);
            difference |= left ^ right;
        }
        return difference == 0;
    }

    bool indexPixels(const QRgb* pixels, uint32_t count, uint8_t* out) {
        for (uint32_t i = 0; i < count; ++i) {
            const int index = m_palette.indexOf(pixels[i]);
            if (index < 0)
                return false;
            out[i] = uint8_t(index);
        }
        return true;
    }

    Palette& m_palette;
    std::array<Block, 2> m_blocks;
    int m_nextBlock = 0;
};

// Fills palette with the area's colours; false when they are more than 256.
bool collectColours(const QImage& image, uint32_t width, uint32_t height, Palette& palette) {
    RowIndexer indexer(palette);
    std::vector<uint8_t> row(width);
    for (uint32_t y = 0; y < height; ++y)
        if (!indexer.index(pixelRow(image, y), width, row.data()))
            return false;
    return true;
}

} // namespace

platform::Result DCSavetoPNG(const platform::Surface& dc, int32_t width, int32_t height, const QString& fileName,
                             uint8_t pngSetting) {
    if (const platform::Result area = detail::checkArea(dc, width, height, fileName); !area.ok())
        return area;
    const QImage image = detail::pixelsOf(dc);
    Palette palette;
    const bool fewColours = collectColours(image, uint32_t(width), uint32_t(height), palette);

    platform::AtomicFile file(fileName);
    if (const platform::Result opened = detail::openOutput(file); !opened.ok())
        return opened;
    PngStream stream(file, pngEffortOf(pngSetting));
    codec::PngHeader header{uint32_t(width), uint32_t(height), PngColor::Rgb, {}};
    PngRows rows = [&image, width](uint32_t y, uint8_t* row) {
        const QRgb* pixels = pixelRow(image, y);
        for (int32_t x = 0; x < width; ++x) {
            *row++ = uint8_t(qRed(pixels[x]));
            *row++ = uint8_t(qGreen(pixels[x]));
            *row++ = uint8_t(qBlue(pixels[x]));
        }
    };
    if (fewColours) {
        header.color = PngColor::Palette;
        header.palette = palette.colours();
        rows = [&image, indexer = RowIndexer(palette), width](uint32_t y, uint8_t* row) mutable {
            indexer.index(pixelRow(image, y), uint32_t(width), row); // every colour is in the palette
        };
    }
    if (!stream.begin(header) || !stream.writeImage(rows) || !stream.finish()) {
        switch (stream.error()) {
        case PngStream::Error::Device:
            return detail::writeFailure(file);
        case PngStream::Error::OutOfMemory:
            return platform::Result::system(fileName, ENOMEM);
        case PngStream::Error::None:
        case PngStream::Error::Misuse:
            break;
        }
        return platform::Result::failed(platform::Failure::EncoderError, fileName, QStringLiteral("PNG"));
    }
    return detail::commitOutput(file);
}

} // namespace codec
