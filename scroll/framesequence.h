#pragma once

#include "scroll/animationsettings.h"

#include <QImage>
#include <QSize>

#include <vector>

namespace scroll {

// The frames of a scrolling sign, made one at a time from the sign's cells and its cell pictures; the board
// is never held in pixels.
//
// The frames follow the sign's ScrollPlan: each scroll frame shows the strip (the board with the gap after
// it along the way it moves) after a number of one-cell rotations in the chosen direction, each exactly
// what one press of the board's arrow does to the strip: after one step left, cell (c, r) shows what cell
// ((c + 1) mod W, r) showed; right ((c − 1) mod W, r); up (c, (r + 1) mod H); down (c, (r − 1) mod H).
// The panel shows the first panelColumns() columns of every row; moving up or down, a board narrower than
// the panel is widened with unlit cells on its right. Blink frames show every cell unlit. The frame after
// the last is frame 0 again.
class FrameSequence {
public:
    // settings must have passed checkSettings(sign, settings). The cell pictures may also be
    // Format_Indexed8 (all with one colour table); frames are then drawn as palette indices.
    FrameSequence(const Sign& sign, const AnimationSettings& settings);

    const ScrollPlan& plan() const { return m_plan; }
    int frameCount() const { return m_plan.frameCount(); }
    int cycle() const { return m_plan.cycle; }
    int panelColumns() const { return m_panelColumns; }
    int rows() const { return m_cells.rows; }
    QSize cellSize() const { return m_pictures[1].size(); }
    // The cell picture of each colour number: 0 unlit, 1 the sign's own colour, then the further colours.
    const std::vector<QImage>& cellPictures() const { return m_pictures; }
    QSize frameSize() const;
    int delayMs(int frame) const { return m_plan.frame(frame).delayMs; }

    // The strip: the board and the gap after it along the way it moves, cycle() cells long; moving up or
    // down it is panelColumns() wide.
    board::CellGrid strip() const;
    // What the panel shows in frame (0-based): panelColumns() × rows() cells.
    board::CellGrid panelCells(int frame) const;
    // Draws frame into `into`, which is made frameSize() large in the cell pictures' format (reused when
    // it already is, so a caller drawing every frame allocates once). False when there is no memory for it.
    bool drawFrame(int frame, QImage& into) const;
    // Draws cells (panelColumns() × rows()) the same way.
    bool drawCells(const board::CellGrid& cells, QImage& into) const;

private:
    uint8_t stripColour(int column, int row) const;

    board::CellGrid m_cells;
    std::vector<QImage> m_pictures; // by colour number
    ScrollPlan m_plan;
    int m_panelColumns;
};

} // namespace scroll
