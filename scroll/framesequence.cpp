#include "scroll/framesequence.h"

#include <algorithm>
#include <cstring>

namespace scroll {

FrameSequence::FrameSequence(const Sign& sign, const AnimationSettings& settings)
    : m_cells(sign.cells), m_lit(sign.litCell), m_unlit(sign.unlitCell), m_direction(settings.direction),
      m_panelColumns(panelColumnsOf(sign.cells, settings)), m_width(std::max(sign.cells.columns, m_panelColumns)),
      m_cycle(cycleOf(sign.cells, settings)), m_step(settings.step) {
    Q_ASSERT(checkSettings(sign, settings).ok());
    if (m_lit.format() != QImage::Format_Indexed8) {
        m_lit = m_lit.convertToFormat(QImage::Format_RGB32);
        m_unlit = m_unlit.convertToFormat(QImage::Format_RGB32);
    }
}

QSize FrameSequence::frameSize() const {
    return {m_panelColumns * m_lit.width(), m_cells.rows * m_lit.height()};
}

board::CellGrid FrameSequence::panelCells(int frame) const {
    Q_ASSERT(frame >= 0 && frame < frameCount());
    const int rows = m_cells.rows;
    const int shift = int(qint64(frame) * m_step % m_cycle);
    // Where the panel's top-left cell comes from; the rest follows modulo the widened board.
    int fromColumn = 0;
    int fromRow = 0;
    switch (m_direction) {
    case Direction::Left:
        fromColumn = shift;
        break;
    case Direction::Right:
        fromColumn = (m_width - shift) % m_width;
        break;
    case Direction::Up:
        fromRow = shift;
        break;
    case Direction::Down:
        fromRow = (rows - shift) % rows;
        break;
    }
    board::CellGrid panel{m_panelColumns, rows, std::vector<uint8_t>(size_t(m_panelColumns) * size_t(rows))};
    for (int r = 0; r < rows; ++r) {
        const int row = (fromRow + r) % rows;
        uint8_t* out = panel.lit.data() + size_t(r) * size_t(m_panelColumns);
        for (int c = 0; c < m_panelColumns; ++c) {
            const int column = (fromColumn + c) % m_width;
            out[c] = column < m_cells.columns && m_cells.isLit(column, row) ? 1 : 0;
        }
    }
    return panel;
}

bool FrameSequence::drawFrame(int frame, QImage& into) const {
    return drawCells(panelCells(frame), into);
}

bool FrameSequence::drawCells(const board::CellGrid& cells, QImage& into) const {
    Q_ASSERT(cells.columns == m_panelColumns && cells.rows == m_cells.rows);
    const QImage::Format format = m_lit.format();
    if (into.size() != frameSize() || into.format() != format) {
        into = QImage(frameSize(), format);
        if (into.isNull())
            return false;
    }
    if (format == QImage::Format_Indexed8 && into.colorTable() != m_lit.colorTable())
        into.setColorTable(m_lit.colorTable());
    // A frame row is the cell pictures' rows side by side, one block copy per cell.
    const int cellHeight = m_lit.height();
    const size_t cellBytes = size_t(m_lit.width()) * size_t(m_lit.depth() / 8);
    for (int r = 0; r < cells.rows; ++r) {
        const uint8_t* lit = cells.lit.data() + size_t(r) * size_t(cells.columns);
        for (int y = 0; y < cellHeight; ++y) {
            const uchar* litLine = m_lit.constScanLine(y);
            const uchar* unlitLine = m_unlit.constScanLine(y);
            uchar* line = into.scanLine(r * cellHeight + y);
            for (int c = 0; c < cells.columns; ++c)
                std::memcpy(line + size_t(c) * cellBytes, lit[c] ? litLine : unlitLine, cellBytes);
        }
    }
    return true;
}

} // namespace scroll
