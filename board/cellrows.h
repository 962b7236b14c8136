#pragma once

#include "board/DrawBoard.h"
#include "codec/pixelrows.h"

#include <QImage>
#include <QRgb>

#include <cstdint>
#include <vector>

namespace board {

// The board's pixel rows made from its cells and cell pictures, as the board shows them: what painting the
// board copies, and what a writer reads in place of a painted board (see BoardPaint). Reads the state, which
// must outlive it and keep its cells meanwhile.
class CellRows final : public codec::PixelRows {
public:
    explicit CellRows(const BoardState& state);
    CellRows(const CellRows&) = delete; // the grid points into its own picture list
    CellRows& operator=(const CellRows&) = delete;

    int32_t width() const override { return m_width; }
    int32_t height() const override { return m_height; }
    int dotsPerMeterX() const override { return m_dotsPerMeter; }
    int dotsPerMeterY() const override { return m_dotsPerMeter; }
    const QRgb* row(int32_t y) override;
    const codec::TileGrid* tiles() const override { return &m_grid; }

    // Row y of the board, width() pixels, into out.
    void fill(int32_t y, QRgb* out) const;

private:
    std::vector<const QImage*> m_pictures; // by colour number
    codec::TileGrid m_grid;
    int32_t m_width;
    int32_t m_height;
    int m_dotsPerMeter;
    std::vector<QRgb> m_row;
    int32_t m_rowY = -1;
};

} // namespace board
