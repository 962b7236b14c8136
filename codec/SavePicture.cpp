#include "codec/TransG32.h"
#include "codec/outputfile.h"

#include "platform/atomicfile.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <memory>
#include <new>
#include <optional>
#include <vector>

namespace codec {

namespace {

constexpr int FileHeaderBytes = 14;
constexpr int InfoHeaderBytes = 40;

void putUint16(uint8_t* out, uint32_t value) {
    out[0] = uint8_t(value);
    out[1] = uint8_t(value >> 8);
}

void putUint32(uint8_t* out, uint32_t value) {
    putUint16(out, value);
    putUint16(out + 2, value >> 16);
}

// BITMAPFILEHEADER and BITMAPINFOHEADER of a bottom-up 24-bit picture without compression, field by
// field as Qt's own BMP writer fills them, so the file is the one the platform's picture writer makes.
std::array<uint8_t, FileHeaderBytes + InfoHeaderBytes> headerOf(const PixelRows& image, uint32_t rowBytes) {
    std::array<uint8_t, FileHeaderBytes + InfoHeaderBytes> header{};
    const uint32_t pixelBytes = rowBytes * uint32_t(image.height());
    header[0] = 'B';
    header[1] = 'M';
    putUint32(&header[2], FileHeaderBytes + InfoHeaderBytes + pixelBytes);
    putUint32(&header[10], FileHeaderBytes + InfoHeaderBytes); // where the pixels start
    uint8_t* info = &header[FileHeaderBytes];
    putUint32(&info[0], InfoHeaderBytes);
    putUint32(&info[4], uint32_t(image.width()));
    putUint32(&info[8], uint32_t(image.height()));
    putUint16(&info[12], 1);  // planes
    putUint16(&info[14], 24); // bits a pixel
    putUint32(&info[16], 0);  // no compression
    putUint32(&info[20], pixelBytes);
    // A picture without a resolution gets 72 dpi, as Qt's writer gives it.
    putUint32(&info[24], uint32_t(image.dotsPerMeterX() > 0 ? image.dotsPerMeterX() : 2834));
    putUint32(&info[28], uint32_t(image.dotsPerMeterY() > 0 ? image.dotsPerMeterY() : 2834));
    return header; // no colour table
}

// A picture made of tiles, row by row in the file's B, G, R bytes: each tile's lines are turned once, and a
// row is its tiles' lines copied eight bytes at a time. A copy runs up to Slack bytes past the row's last
// byte, into what is written after it or into the room the caller leaves.
class TileRowsBgr {
public:
    static constexpr size_t Slack = 8;

    explicit TileRowsBgr(const TileGrid& grid)
        : m_grid(grid), m_lineBytes(size_t(grid.tileWidth) * 3),
          m_lines(grid.tiles.size() * size_t(grid.tileHeight) * m_lineBytes + Slack) {
        uint8_t* out = m_lines.data();
        for (const QImage* tile : grid.tiles)
            for (int32_t line = 0; line < grid.tileHeight; ++line) {
                const QRgb* pixels = reinterpret_cast<const QRgb*>(tile->constScanLine(line));
                for (int32_t x = 0; x < grid.tileWidth; ++x, out += 3) {
                    out[0] = uint8_t(qBlue(pixels[x]));
                    out[1] = uint8_t(qGreen(pixels[x]));
                    out[2] = uint8_t(qRed(pixels[x]));
                }
            }
    }

    void row(int32_t y, uint8_t* out) const {
        const uint8_t* tileAt = m_grid.tileAt + size_t(y / m_grid.tileHeight) * size_t(m_grid.columns);
        const uint8_t* line = m_lines.data() + size_t(y % m_grid.tileHeight) * m_lineBytes;
        const size_t tileBytes = size_t(m_grid.tileHeight) * m_lineBytes;
        for (int32_t x = 0; x < m_grid.columns; ++x, out += m_lineBytes) {
            const uint8_t* from = line + tileAt[x] * tileBytes;
            for (size_t at = 0; at < m_lineBytes; at += 8)
                std::memcpy(out + at, from + at, 8);
        }
    }

private:
    const TileGrid& m_grid;
    size_t m_lineBytes;
    std::vector<uint8_t> m_lines; // tile by tile, line by line, and the slack
};

} // namespace

platform::Result SavePicture(const platform::Surface& picture, const QString& fileName) {
    if (const platform::Result area = detail::checkArea(picture, picture.ScaleWidth(), picture.ScaleHeight(), fileName);
        !area.ok())
        return area;
    ImageRows rows(picture.image(), picture.ScaleWidth(), picture.ScaleHeight());
    return SavePicture(rows, fileName);
}

platform::Result SavePicture(PixelRows& image, const QString& fileName) {
    if (const platform::Result area = detail::checkRows(image, fileName); !area.ok())
        return area;
    const int width = image.width();
    const uint32_t rowBytes = (uint32_t(width) * 3 + 3) & ~3u; // rows are padded to 4 bytes

    platform::AtomicFile file(fileName);
    if (const platform::Result opened = detail::openOutput(file); !opened.ok())
        return opened;
    const auto header = headerOf(image, rowBytes);
    if (file.write(reinterpret_cast<const char*>(header.data()), qint64(header.size())) != qint64(header.size()))
        return detail::writeFailure(file);

    // Rows go out bottom first, several to a write: about 1 MiB a call stays in the cache and costs few
    // system calls. Room at the end takes what the last row's copies run past it.
    const int rowsPerBlock = std::max(1, int((1u << 20) / rowBytes));
    const size_t blockBytes = size_t(rowsPerBlock) * rowBytes;
    const std::unique_ptr<uint8_t[]> block(new (std::nothrow) uint8_t[blockBytes + TileRowsBgr::Slack]);
    if (!block)
        return platform::Result::system(fileName, ENOMEM);
    std::optional<TileRowsBgr> tiles;
    try {
        if (const TileGrid* grid = image.tiles())
            tiles.emplace(*grid);
    } catch (const std::bad_alloc&) {
        return platform::Result::system(fileName, ENOMEM);
    }
    for (int y = image.height() - 1; y >= 0;) {
        uint8_t* out = block.get();
        const int rows = std::min(rowsPerBlock, y + 1);
        for (int i = 0; i < rows; ++i, --y) {
            if (tiles) {
                tiles->row(y, out);
            } else {
                // A 0xFFRRGGBB word is B, G, R, 0xFF in memory: copy four bytes, keep three.
                const QRgb* pixels = image.row(y);
                for (int x = 0; x < width; ++x)
                    std::memcpy(out + 3 * x, &pixels[x], 4);
            }
            std::memset(out + 3 * width, 0, rowBytes - uint32_t(width) * 3);
            out += rowBytes;
        }
        const qint64 bytes = out - block.get();
        if (file.write(reinterpret_cast<const char*>(block.get()), bytes) != bytes)
            return detail::writeFailure(file);
    }
    return detail::commitOutput(file);
}

} // namespace codec
