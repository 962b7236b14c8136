#include "codec/TransG32.h"
#include "codec/outputfile.h"
#include "codec/pngstream.h"

#include "platform/atomicfile.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <new>
#include <span>
#include <utility>
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

// Turns rows of pixels into palette indices packed at a bit depth. A board repeats its dot pictures
// cell after cell, so most blocks of eight pixels equal one of the last two different blocks met; their
// packed indices are copied instead of looked up. What the blocks hold never changes the result, only
// the time.
class RowPacker {
public:
    enum class Outcome { Packed, NeedsMoreBits, TooManyColours };

    RowPacker(Palette& palette, int depth) : m_palette(palette), m_depth(depth) {}

    // Writes width pixels' indices to out, packed. A colour whose index does not fit the depth, or would
    // be the 257th, stops the row; its colour is in the palette then, unless it was the 257th.
    Outcome pack(const QRgb* pixels, uint32_t width, uint8_t* out) {
        switch (m_depth) {
        case 1:
            return packAt<1>(pixels, width, out);
        case 2:
            return packAt<2>(pixels, width, out);
        case 4:
            return packAt<4>(pixels, width, out);
        default:
            return packAt<8>(pixels, width, out);
        }
    }

private:
    static constexpr uint32_t BlockPixels = 8;
    struct Block {
        // No board pixel is 0: the blocks match nothing until they are filled.
        std::array<QRgb, BlockPixels> pixels{};
        uint64_t packed = 0; // the first depth bytes
    };

    // Eight pixels of Depth bits make Depth bytes.
    template <int Depth> Outcome packAt(const QRgb* pixels, uint32_t width, uint8_t* out) {
        uint32_t x = 0;
        for (; x + BlockPixels <= width; x += BlockPixels, out += Depth) {
            // Both comparisons without a branch between them: which of the two blocks comes next
            // follows the message, and a mispredicted branch would cost more than the comparison.
            const bool first = same(m_blocks[0].pixels.data(), pixels + x);
            const bool second = same(m_blocks[1].pixels.data(), pixels + x);
            uint64_t packed = first ? m_blocks[0].packed : m_blocks[1].packed;
            if (!(first | second)) {
                std::array<uint8_t, BlockPixels> indices{};
                if (const Outcome looked = indexPixels(pixels + x, BlockPixels, indices.data());
                    looked != Outcome::Packed)
                    return looked;
                Block& block = m_blocks[m_nextBlock];
                m_nextBlock ^= 1;
                std::memcpy(block.pixels.data(), pixels + x, sizeof block.pixels);
                block.packed = 0;
                packIndices(indices.data(), BlockPixels, Depth, reinterpret_cast<uint8_t*>(&block.packed));
                packed = block.packed;
            }
            std::memcpy(out, &packed, Depth);
        }
        std::array<uint8_t, BlockPixels> indices{};
        if (const Outcome looked = indexPixels(pixels + x, width - x, indices.data()); looked != Outcome::Packed)
            return looked;
        packIndices(indices.data(), width - x, Depth, out);
        return Outcome::Packed;
    }

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

    Outcome indexPixels(const QRgb* pixels, uint32_t count, uint8_t* out) {
        for (uint32_t i = 0; i < count; ++i) {
            const int index = m_palette.indexOf(pixels[i]);
            if (index < 0)
                return Outcome::TooManyColours;
            if (index >> m_depth != 0)
                return Outcome::NeedsMoreBits;
            out[i] = uint8_t(index);
        }
        return Outcome::Packed;
    }

    Palette& m_palette;
    int m_depth;
    std::array<Block, 2> m_blocks;
    int m_nextBlock = 0;
};

enum class Packing { Packed, TooManyColours, OutOfMemory, NotWholeBytes };

// The area's pixels as palette indices packed as tightly as their colours allow, each row behind its
// filter byte (none): the rows as the file holds them, in one pass over the pixels. The depth starts at
// one bit and grows as colours come; each time it does, the rows are packed again from the top (a board
// meets all its colours in its first row of cells). The palette lists the colours in the order met.
Packing packPalette(PixelRows& pixels, Palette& palette, MallocBuffer& rows, size_t& bytes) {
    const uint32_t width = uint32_t(pixels.width());
    const uint32_t height = uint32_t(pixels.height());
    for (int depth = 1;;) {
        const size_t stride = (size_t(width) * size_t(depth) + 7) / 8 + 1;
        if (stride - 1 > (size_t(-1) >> 2) / height)
            return Packing::OutOfMemory;
        rows.reset(); // the narrower rows go before the wider ones come
        rows = allocateBuffer(stride * height);
        if (!rows)
            return Packing::OutOfMemory;
        RowPacker packer(palette, depth);
        RowPacker::Outcome outcome = RowPacker::Outcome::Packed;
        for (uint32_t y = 0; y < height && outcome == RowPacker::Outcome::Packed; ++y) {
            uint8_t* row = rows.get() + size_t(y) * stride;
            row[0] = 0;
            outcome = packer.pack(pixels.row(int32_t(y)), width, row + 1);
        }
        switch (outcome) {
        case RowPacker::Outcome::Packed:
            bytes = stride * height;
            return Packing::Packed;
        case RowPacker::Outcome::NeedsMoreBits:
            depth = paletteBitDepth(palette.colours().size());
            break;
        case RowPacker::Outcome::TooManyColours:
            rows.reset();
            return Packing::TooManyColours;
        }
    }
}

// A picture made of tiles, indexed from its tiles alone: the palette lists their colours in the order a pass
// over the rows meets them, as packPalette's, and each tile's lines are packed once at the depth they need.
struct PackedTiles {
    std::vector<uint8_t> lines; // tile by tile, line by line
    TileRows rows;
};

// Packed when a tile's line fills whole bytes at the depth the colours need; NotWholeBytes otherwise, the
// palette then holding every colour.
Packing packTiles(const TileGrid& grid, Palette& palette, PackedTiles& packed) {
    // A row's colours are those of the tiles' lines in the order the tiles first show in their row of tiles.
    std::vector<uint8_t> order;
    std::array<bool, 256> shownAnywhere{};
    for (int32_t tileRow = 0; tileRow < grid.rows; ++tileRow) {
        std::array<bool, 256> shown{};
        order.clear();
        const uint8_t* tileAt = grid.tileAt + size_t(tileRow) * size_t(grid.columns);
        for (int32_t x = 0; x < grid.columns; ++x)
            if (!std::exchange(shown[tileAt[x]], true)) {
                order.push_back(tileAt[x]);
                shownAnywhere[tileAt[x]] = true;
            }
        for (int32_t line = 0; line < grid.tileHeight; ++line)
            for (const uint8_t tile : order) {
                const QRgb* pixels = reinterpret_cast<const QRgb*>(grid.tiles[tile]->constScanLine(line));
                for (int32_t i = 0; i < grid.tileWidth; ++i)
                    if (palette.indexOf(pixels[i]) < 0)
                        return Packing::TooManyColours;
            }
    }
    const int depth = paletteBitDepth(palette.colours().size());
    if (size_t(grid.tileWidth) * size_t(depth) % 8 != 0)
        return Packing::NotWholeBytes;
    const size_t lineBytes = size_t(grid.tileWidth) * size_t(depth) / 8;
    packed.lines.resize(grid.tiles.size() * size_t(grid.tileHeight) * lineBytes);
    std::vector<uint8_t> indices(size_t(grid.tileWidth));
    uint8_t* out = packed.lines.data();
    for (size_t tile = 0; tile < grid.tiles.size(); ++tile)
        for (int32_t line = 0; line < grid.tileHeight; ++line, out += lineBytes) {
            if (!shownAnywhere[tile])
                continue; // its colours are in no row, nor in the palette
            const QRgb* pixels = reinterpret_cast<const QRgb*>(grid.tiles[tile]->constScanLine(line));
            for (int32_t i = 0; i < grid.tileWidth; ++i)
                indices[size_t(i)] = uint8_t(palette.indexOf(pixels[i]));
            packIndices(indices.data(), uint32_t(grid.tileWidth), depth, out);
        }
    packed.rows =
        TileRows{grid.columns, grid.rows, grid.tileHeight, grid.tileAt, grid.tiles.size(), lineBytes, packed.lines};
    const size_t height = size_t(grid.rows) * size_t(grid.tileHeight);
    if (packed.rows.stride() - 1 > (size_t(-1) >> 2) / height)
        return Packing::OutOfMemory;
    return Packing::Packed;
}

// A picture as the tile deflater takes it, in one form however it came, as cells or as packed rows: tiles
// numbered in the order a pass over the rows of tiles first meets them, tiles with the same lines one tile.
// The same picture so makes the same file from the window's painted board as from lumidot-render's cells.
class CanonicalTiles {
public:
    // From tiles already packed; false only for a grid of no tiles.
    bool fromTiles(const TileRows& given) {
        start(given.columns, given.rows, given.tileHeight, given.lineBytes);
        const size_t tileBytes = size_t(given.tileHeight) * given.lineBytes;
        std::vector<int> numberOf(given.tiles, -1);
        for (size_t i = 0; i < m_tileAt.size(); ++i) {
            const uint8_t tile = given.tileAt[i];
            if (numberOf[tile] < 0) {
                const uint8_t* lines = given.lines.data() + tile * tileBytes;
                numberOf[tile] = number([&](size_t line) { return lines + line * given.lineBytes; });
            }
            m_tileAt[i] = uint8_t(numberOf[tile]);
        }
        return finish();
    }

    // From packed rows (each a filter byte, then the pixels) of columns × tileRows tiles of tileHeight lines of
    // lineBytes bytes; false when they hold more than 256 different tiles.
    bool fromRows(const uint8_t* rows, size_t stride, int32_t columns, int32_t tileRows, int32_t tileHeight,
                  size_t lineBytes) {
        start(columns, tileRows, tileHeight, lineBytes);
        for (size_t r = 0, i = 0; r < size_t(tileRows); ++r)
            for (size_t x = 0; x < size_t(columns); ++x, ++i) {
                const uint8_t* first = rows + r * size_t(tileHeight) * stride + 1 + x * lineBytes;
                const int tile = number([&](size_t line) { return first + line * stride; });
                if (tile < 0)
                    return false;
                m_tileAt[i] = uint8_t(tile);
            }
        return finish();
    }

    const TileRows& rows() const { return m_rows; }

private:
    void start(int32_t columns, int32_t tileRows, int32_t tileHeight, size_t lineBytes) {
        m_rows = TileRows{columns, tileRows, tileHeight, nullptr, 0, lineBytes, {}};
        m_tileAt.resize(size_t(columns) * size_t(tileRows));
        m_lines.clear();
        m_last = -1;
        m_slots.assign(Slots, -1);
    }

    bool finish() {
        m_rows.tileAt = m_tileAt.data();
        m_rows.tiles = m_lines.size() / (size_t(m_rows.tileHeight) * m_rows.lineBytes);
        m_rows.lines = m_lines;
        return m_rows.tiles > 0;
    }

    // The number of the tile whose line n is at lineAt(n), numbered when new; -1 for a 257th tile. The tile
    // before is tried first, then the tiles of the same hash.
    template <class LineAt> int number(LineAt lineAt) {
        const size_t lineBytes = m_rows.lineBytes;
        const size_t tileBytes = size_t(m_rows.tileHeight) * lineBytes;
        auto isTile = [&](int tile) {
            const uint8_t* lines = m_lines.data() + size_t(tile) * tileBytes;
            for (size_t line = 0; line < size_t(m_rows.tileHeight); ++line)
                if (std::memcmp(lines + line * lineBytes, lineAt(line), lineBytes) != 0)
                    return false;
            return true;
        };
        if (m_last >= 0 && isTile(m_last))
            return m_last;
        uint64_t hash = 0xcbf29ce484222325u;
        for (size_t line = 0; line < size_t(m_rows.tileHeight); ++line)
            for (size_t b = 0; b < lineBytes; ++b)
                hash = (hash ^ lineAt(line)[b]) * 0x100000001b3u;
        size_t slot = size_t(hash >> 56) & (Slots - 1);
        for (; m_slots[slot] >= 0; slot = (slot + 1) & (Slots - 1))
            if (isTile(m_slots[slot]))
                return m_last = m_slots[slot];
        const int tile = int(m_lines.size() / tileBytes);
        if (tile == 256)
            return -1;
        for (size_t line = 0; line < size_t(m_rows.tileHeight); ++line)
            m_lines.insert(m_lines.end(), lineAt(line), lineAt(line) + lineBytes);
        m_slots[slot] = tile;
        return m_last = tile;
    }

    static constexpr size_t Slots = 512; // twice the most tiles: probes stay short

    TileRows m_rows;
    std::vector<uint8_t> m_tileAt;
    std::vector<uint8_t> m_lines; // tile by tile, line by line
    std::vector<int> m_slots;     // tile numbers by hash
    int m_last = -1;
};

} // namespace

platform::Result DCSavetoPNG(const platform::Surface& dc, int32_t width, int32_t height, const QString& fileName,
                             uint8_t pngSetting) {
    if (const platform::Result area = detail::checkArea(dc, width, height, fileName); !area.ok())
        return area;
    ImageRows rows(dc.image(), width, height);
    return DCSavetoPNG(rows, fileName, pngSetting);
}

platform::Result DCSavetoPNG(PixelRows& rows, const QString& fileName, uint8_t pngSetting) {
    if (const platform::Result area = detail::checkRows(rows, fileName); !area.ok())
        return area;
    const int32_t width = rows.width();
    const int32_t height = rows.height();
    Palette palette;
    MallocBuffer packed;
    size_t packedBytes = 0;
    PackedTiles tiles;
    Packing packing = Packing::NotWholeBytes;
    if (const TileGrid* grid = rows.tiles())
        packing = packTiles(*grid, palette, tiles);
    const bool fromTiles = packing == Packing::Packed;
    if (packing == Packing::NotWholeBytes)
        packing = packPalette(rows, palette, packed, packedBytes);
    if (packing == Packing::OutOfMemory)
        return platform::Result::system(fileName, ENOMEM);
    // Cells are deflated from their tiles: cells given as such, or packed rows of cells of a known size.
    CanonicalTiles canonical;
    bool asTiles = false;
    try {
        const QSize tile = rows.tileSize();
        if (fromTiles) {
            asTiles = canonical.fromTiles(tiles.rows);
        } else if (packing == Packing::Packed && !tile.isEmpty() && width % tile.width() == 0 &&
                   height % tile.height() == 0) {
            const size_t bits = size_t(tile.width()) * size_t(paletteBitDepth(palette.colours().size()));
            asTiles =
                bits % 8 == 0 && canonical.fromRows(packed.get(), packedBytes / size_t(height), width / tile.width(),
                                                    height / tile.height(), tile.height(), bits / 8);
        }
    } catch (const std::bad_alloc&) {
        return platform::Result::system(fileName, ENOMEM);
    }
    if (asTiles)
        packed.reset(); // the tiles hold what the rows did

    platform::AtomicFile file(fileName);
    if (const platform::Result opened = detail::openOutput(file); !opened.ok())
        return opened;
    PngStream stream(file, pngEffortOf(pngSetting));
    bool written = false;
    if (packing == Packing::Packed) {
        const codec::PngHeader header{uint32_t(width), uint32_t(height), PngColor::Palette, palette.colours()};
        written = stream.begin(header) && (asTiles ? stream.writePackedImage(canonical.rows())
                                                   : stream.writePackedImage(std::span(packed.get(), packedBytes)));
    } else {
        const codec::PngHeader header{uint32_t(width), uint32_t(height), PngColor::Rgb, {}};
        written = stream.begin(header) && stream.writeImage([&rows, width](uint32_t y, uint8_t* row) {
            const QRgb* pixels = rows.row(int32_t(y));
            for (int32_t x = 0; x < width; ++x) {
                *row++ = uint8_t(qRed(pixels[x]));
                *row++ = uint8_t(qGreen(pixels[x]));
                *row++ = uint8_t(qBlue(pixels[x]));
            }
        });
    }
    if (!written || !stream.finish()) {
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
