#pragma once

#include <QImage>
#include <QRgb>
#include <QSize>

#include <cstdint>
#include <span>

namespace codec {

// A picture made of equal tiles in a grid, each place showing one of a few tile pictures (a board: a cell
// picture in every cell). A writer can index and pack each tile's lines once instead of every pixel.
struct TileGrid {
    int32_t columns = 0;
    int32_t rows = 0;
    const uint8_t* tileAt = nullptr;      // columns × rows tile numbers, row by row from the top left
    std::span<const QImage* const> tiles; // by number: tileWidth × tileHeight pixels, 0xFFRRGGBB
    int32_t tileWidth = 0;
    int32_t tileHeight = 0;
};

// The pixels a writer reads, one row at a time as 0xFFRRGGBB words: a picture's own rows, or rows made when
// they are asked for, so a picture that is mostly repeats need not be held whole.
class PixelRows {
public:
    virtual ~PixelRows() = default;
    virtual int32_t width() const = 0;
    virtual int32_t height() const = 0;
    // Dots per metre, as a BMP header states them; 0 when unknown.
    virtual int dotsPerMeterX() const = 0;
    virtual int dotsPerMeterY() const = 0;
    // Row y, 0 <= y < height(), in any order; it stays valid until the next call.
    virtual const QRgb* row(int32_t y) = 0;
    // The tiles the rows are made of, when they are.
    virtual const TileGrid* tiles() const { return nullptr; }
    // Their size alone, when only that is known (a painted board's cells): empty when unknown.
    virtual QSize tileSize() const { return {}; }
};

// The top-left width × height pixels of an image, converted to 0xFFRRGGBB words once when they are not.
class ImageRows final : public PixelRows {
public:
    // tileSize: the cells the picture is painted in, when it is (see PixelRows::tileSize).
    ImageRows(const QImage& image, int32_t width, int32_t height, QSize tileSize = {});
    int32_t width() const override { return m_width; }
    int32_t height() const override { return m_height; }
    int dotsPerMeterX() const override { return m_image.dotsPerMeterX(); }
    int dotsPerMeterY() const override { return m_image.dotsPerMeterY(); }
    const QRgb* row(int32_t y) override { return reinterpret_cast<const QRgb*>(m_image.constScanLine(y)); }
    QSize tileSize() const override { return m_tileSize; }

private:
    QImage m_image;
    QSize m_tileSize;
    int32_t m_width;
    int32_t m_height;
};

} // namespace codec
