#pragma once

#include "scroll/animationsettings.h"

#include <QImage>
#include <QSize>

namespace scroll {

// The frames of a scrolling sign, made one at a time from the sign's cells and its two cell pictures;
// the board is never held in pixels.
//
// Frame 0 is the sign as it stands; frame k shows it after k × step one-cell rotations in the chosen
// direction, each exactly what one press of the board's arrow does: after one step left, cell (c, r)
// shows what cell ((c + 1) mod W, r) showed; right ((c − 1) mod W, r); up (c, (r + 1) mod H); down
// (c, (r − 1) mod H). Before rotating, a board narrower than the panel is widened to the panel with
// unlit cells on its right, so the message enters and leaves the panel with a gap. The panel shows the
// first panelColumns() columns of every row. The frame after the last is frame 0 again.
class FrameSequence {
public:
    // settings must have passed checkSettings(sign, settings). The cell pictures may also be
    // Format_Indexed8 (both with one colour table); frames are then drawn as palette indices.
    FrameSequence(const Sign& sign, const AnimationSettings& settings);

    int frameCount() const { return m_cycle / m_step; }
    int cycle() const { return m_cycle; }
    int panelColumns() const { return m_panelColumns; }
    int rows() const { return m_cells.rows; }
    QSize cellSize() const { return m_lit.size(); }
    QSize frameSize() const;

    // What the panel shows in frame (0-based): panelColumns() × rows() cells.
    board::CellGrid panelCells(int frame) const;
    // Draws frame into `into`, which is made frameSize() large in the cell pictures' format (reused when
    // it already is, so a caller drawing every frame allocates once). False when there is no memory for it.
    bool drawFrame(int frame, QImage& into) const;
    // Draws cells (panelColumns() × rows()) the same way.
    bool drawCells(const board::CellGrid& cells, QImage& into) const;

private:
    board::CellGrid m_cells;
    QImage m_lit;
    QImage m_unlit;
    Direction m_direction;
    int m_panelColumns;
    int m_width; // the board's width after widening to the panel
    int m_cycle;
    int m_step;
};

} // namespace scroll
