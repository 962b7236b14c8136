#include "scroll/framesequence.h"

#include <cstring>

namespace scroll {

FrameSequence::FrameSequence(const Sign& sign, const AnimationSettings& settings)
    : m_cells(sign.cells), m_plan(scrollPlanOf(sign.cells, settings)),
      m_panelColumns(panelColumnsOf(sign.cells, settings)) {
    Q_ASSERT(checkSettings(sign, settings).ok());
    const bool indexed = sign.litCell.format() == QImage::Format_Indexed8;
    for (int colour = 0; colour <= sign.litColours(); ++colour) {
        const QImage& picture = sign.cellPicture(uint8_t(colour));
        m_pictures.push_back(indexed ? picture : picture.convertToFormat(QImage::Format_RGB32));
    }
}

QSize FrameSequence::frameSize() const {
    return {m_panelColumns * cellSize().width(), m_cells.rows * cellSize().height()};
}

// The board's cells with unlit ones past its edges: the gap, and the widening to the panel.
uint8_t FrameSequence::stripColour(int column, int row) const {
    return column < m_cells.columns && row < m_cells.rows ? m_cells.colour(column, row) : 0;
}

board::CellGrid FrameSequence::strip() const {
    const int columns = m_plan.sideways ? m_plan.cycle : m_panelColumns;
    const int rows = m_plan.sideways ? m_cells.rows : m_plan.cycle;
    board::CellGrid strip{columns, rows, std::vector<uint8_t>(size_t(columns) * size_t(rows))};
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c)
            strip.lit[size_t(r) * size_t(columns) + size_t(c)] = stripColour(c, r);
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
            out[c] = stripColour((fromColumn + c) % stripColumns, row);
    }
    return panel;
}

bool FrameSequence::drawFrame(int frame, QImage& into) const {
    return drawCells(panelCells(frame), into);
}

bool FrameSequence::drawCells(const board::CellGrid& cells, QImage& into) const {
    Q_ASSERT(cells.columns == m_panelColumns && cells.rows == m_cells.rows);
    const QImage& lit = m_pictures[1];
    const QImage::Format format = lit.format();
    if (into.size() != frameSize() || into.format() != format) {
        into = QImage(frameSize(), format);
        if (into.isNull())
            return false;
    }
    if (format == QImage::Format_Indexed8 && into.colorTable() != lit.colorTable())
        into.setColorTable(lit.colorTable());
    // A frame row is the cell pictures' rows side by side, one block copy per cell.
    const int cellHeight = lit.height();
    const size_t cellBytes = size_t(lit.width()) * size_t(lit.depth() / 8);
    std::vector<const uchar*> pictureLines(m_pictures.size());
    for (int r = 0; r < cells.rows; ++r) {
        const uint8_t* colours = cells.lit.data() + size_t(r) * size_t(cells.columns);
        for (int y = 0; y < cellHeight; ++y) {
            for (size_t colour = 0; colour < m_pictures.size(); ++colour)
                pictureLines[colour] = m_pictures[colour].constScanLine(y);
            uchar* line = into.scanLine(r * cellHeight + y);
            for (int c = 0; c < cells.columns; ++c)
                std::memcpy(line + size_t(c) * cellBytes, pictureLines[colours[c]], cellBytes);
        }
    }
    return true;
}

} // namespace scroll
