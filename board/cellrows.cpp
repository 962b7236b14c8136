#include "board/cellrows.h"

#include <array>
#include <cstring>

namespace board {

CellRows::CellRows(const BoardState& state)
    : m_pictures{&state.CellPictures[1], &state.CellPictures[0]}, m_width(state.Cells.columns * state.CellWidth),
      m_height(state.Cells.rows * state.CellHeight), m_dotsPerMeter(state.CellPictures[0].dotsPerMeterX()) {
    for (const QImage& picture : state.ColourCellPictures)
        m_pictures.push_back(&picture);
    m_grid = {state.Cells.columns, state.Cells.rows, state.Cells.lit.data(),
              m_pictures,          state.CellWidth,  state.CellHeight};
}

void CellRows::fill(int32_t y, QRgb* out) const {
    const int32_t cellRow = y / m_grid.tileHeight;
    const int32_t lineInCell = y % m_grid.tileHeight;
    const size_t lineBytes = size_t(m_grid.tileWidth) * sizeof(QRgb);
    // Each picture's line, looked up once for the whole row.
    std::array<const uchar*, MaxCellColour + 1> lines{};
    for (size_t i = 0; i < m_pictures.size(); ++i)
        lines[i] = m_pictures[i]->constScanLine(lineInCell);
    const uint8_t* colours = m_grid.tileAt + size_t(cellRow) * size_t(m_grid.columns);
    for (int32_t x = 0; x < m_grid.columns; ++x, out += m_grid.tileWidth)
        std::memcpy(out, lines[colours[x]], lineBytes);
}

const QRgb* CellRows::row(int32_t y) {
    if (y != m_rowY) {
        m_row.resize(size_t(m_width));
        fill(y, m_row.data());
        m_rowY = y;
    }
    return m_row.data();
}

} // namespace board
