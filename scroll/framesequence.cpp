#include "scroll/framesequence.h"

#include <cstring>

namespace scroll {

FrameSequence::FrameSequence(const Sign& sign, const AnimationSettings& settings)
    : m_cells(sign.cells), m_lit(sign.litCell), m_unlit(sign.unlitCell), m_plan(scrollPlanOf(sign.cells, settings)),
      m_panelColumns(panelColumnsOf(sign.cells, settings)) {
    Q_ASSERT(checkSettings(sign, settings).ok());
    if (m_lit.format() != QImage::Format_Indexed8) {
        m_lit = m_lit.convertToFormat(QImage::Format_RGB32);
        m_unlit = m_unlit.convertToFormat(QImage::Format_RGB32);
    }
}

QSize FrameSequence::frameSize() const {
    return {m_panelColumns * m_lit.width(), m_cells.rows * m_lit.height()};
}

// The board's cells with unlit ones past its edges: the gap, and the widening to the panel.
bool FrameSequence::stripLit(int column, int row) const {
    return column < m_cells.columns && row < m_cells.rows && m_cells.isLit(column, row);
}

board::CellGrid FrameSequence::strip() const {
    const int columns = m_plan.sideways ? m_plan.cycle : m_panelColumns;
    const int rows = m_plan.sideways ? m_cells.rows : m_plan.cycle;
    board::CellGrid strip{columns, rows, std::vector<uint8_t>(size_t(columns) * size_t(rows))};
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c)
            strip.lit[size_t(r) * size_t(columns) + size_t(c)] = stripLit(c, r) ? 1 : 0;
    return strip;
}

board::CellGrid FrameSequence::panelCells(int frame) const {
    Q_ASSERT(frame >= 0 && frame < frameCount());
    const int rows = m_cells.rows;
    board::CellGrid panel{m_panelColumns, rows, std::vector<uint8_t>(size_t(m_panelColumns) * size_t(rows))};
    const TimedFrame timed = m_plan.frame(frame);
    if (timed.blank)
        return panel;
    // Where the panel's top-left cell comes from; the rest follows around the strip.
    const int start = m_plan.windowStart(timed.rotation);
    const int fromColumn = m_plan.sideways ? start : 0;
    const int fromRow = m_plan.sideways ? 0 : start;
    const int stripColumns = m_plan.sideways ? m_plan.cycle : m_panelColumns;
    const int stripRows = m_plan.sideways ? rows : m_plan.cycle;
    for (int r = 0; r < rows; ++r) {
        const int row = (fromRow + r) % stripRows;
        uint8_t* out = panel.lit.data() + size_t(r) * size_t(m_panelColumns);
        for (int c = 0; c < m_panelColumns; ++c)
            out[c] = stripLit((fromColumn + c) % stripColumns, row) ? 1 : 0;
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
