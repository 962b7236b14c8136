#pragma once

#include "board/measuringlabel.h"
#include "platform/surface.h"

#include <array>
#include <cstdint>
#include <functional>

namespace board {

// Laid-out sizes of the main window's picture boxes, in pixels.
inline constexpr int LaidOutMaskWidth = 305;
inline constexpr int LaidOutMaskHeight = 89;
inline constexpr int LaidOutBoardWidth = 345; // outer, with the one-pixel frame
inline constexpr int LaidOutBoardHeight = 100;
inline constexpr int BoardFrame = 2; // one pixel on each side

// Everything the renderer, the rotation and the save command work on: the main window's drawing
// surfaces without the window. The window shows these surfaces; tests and batch tools drive them alone.
struct BoardState {
    BoardState();

    platform::Surface TempPic;            // hidden mask surface, also the rotation's scratch copy
    MeasuringLabel SizeMongon;            // hidden label that measures the message in the mask's font
    std::array<platform::Surface, 2> Dot; // picture of Dot(0), the lit dot, and Dot(1), the unlit dot
    platform::Surface Board;              // the board's drawing area (the frame is not part of it)
    int16_t CellWidth = 0;                // cell size of the last render; 0 before the first
    int16_t CellHeight = 0;
};

// Renders message into the board: prints it on the mask, measures it, sizes the board to one cell per
// mask pixel and copies the lit dot into every cell whose mask pixel is black, the unlit dot elsewhere.
// refresh is called once, when the finished board is ready to show. Errors are not trapped: an
// overflow of a cell origin stops the render with error 6, leaving the cells drawn so far; a board
// beyond the surface limit raises error 7 before anything is resized.
void DrawBoard(BoardState& state, const QString& message, const std::function<void()>& refresh = {});

} // namespace board
