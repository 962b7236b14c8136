#pragma once

#include "board/cellgrid.h"
#include "board/colourmap.h"
#include "board/markedtext.h"
#include "board/measuringlabel.h"
#include "platform/surface.h"

#include <QImage>
#include <QSize>

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

namespace board {

// Everything the renderer, the rotation and the save command work on: the main window's drawing
// surfaces without the window. The window shows these surfaces; tests and batch tools drive them alone.
struct BoardState {
    // The dot pictures and the laid-out sizes of the mask and of the board's drawing area (inside its frame).
    BoardState(const QImage& litDot, const QImage& unlitDot, QSize maskSize, QSize boardSize);

    platform::Surface TempPic;            // hidden mask surface, also the rotation's scratch copy
    MeasuringLabel SizeMongon;            // hidden label that measures the message in the mask's font
    std::array<platform::Surface, 2> Dot; // picture of Dot(0), the lit dot, and Dot(1), the unlit dot
    platform::Surface Board;              // the board's drawing area (the frame is not part of it)
    int16_t CellWidth = 0;                // cell size of the last render; 0 before the first
    int16_t CellHeight = 0;

    // What the board shows cell by cell, and the two cell pictures it was drawn with (each exactly one
    // cell, white where its dot is smaller): set by each render, turned by each rotation. The animation
    // starts from them, so a dot chosen after the render does not change the sign until the next one.
    CellGrid Cells;
    std::array<QImage, 2> CellPictures;
    // The lit cell pictures of further colours: cells of colour n ≥ 2 show ColourCellPictures[n − 2]. Empty
    // after a render in the sign's own colour alone.
    std::vector<QImage> ColourCellPictures;

    // Whether a render paints the board's pixels, or sets its size, cells and cell pictures alone for a
    // writer that reads its rows from them (CellRows): a batch render that only writes the board need not
    // hold it whole.
    enum class Paint { Pixels, CellsOnly };
    Paint BoardPaint = Paint::Pixels;
};

// The lit dot in one of a message's further colours, the size of the lit dot: what its cells are drawn with.
using LitDotIn = std::function<QImage(QRgb colour)>;

// Renders message into the board: prints it on the mask, measures it, sizes the board to one cell per
// mask pixel and copies the lit dot into every cell whose mask pixel is black, the unlit dot elsewhere.
// refresh is called once, when the finished board is ready to show. Errors are not trapped: an
// overflow of a cell origin stops the render with error 6, leaving the cells drawn so far; a board
// beyond the surface limit raises error 7 before anything is resized.
void DrawBoard(BoardState& state, const QString& message, const std::function<void()>& refresh = {});

// DrawBoard for a message whose characters have colours: the board lights exactly the cells DrawBoard lights for
// message.text, each in the colour of the character that lights its mask pixel (where two characters' pixels
// meet, the earlier one's), a further colour with litDotIn(colour). Only the further colours that light a cell
// get a number, in their order in message.colours. A message in the sign's own colour alone is DrawBoard's.
void DrawBoard(BoardState& state, const MarkedText& message, const LitDotIn& litDotIn,
               const std::function<void()>& refresh = {});

// Where the lit cells of a coloured render take their colours from: a map over the mask that gives the colour
// number of the character that lights each mask pixel (a lit pixel no character reached takes the nearest colour
// in its row), printed only once a cell is to be drawn; the further colours, and their lit dots.
struct CellColouring {
    const std::function<ColourMap()>& printMap;
    const QList<QRgb>& colours;
    const LitDotIn& litDotIn;
};

// DrawBoard's two halves. The first prints the message on the mask and measures it: the columns × rows of the
// board, and what the printed line reaches (see Surface::Print). The second sizes the board to one cell per mask
// pixel, draws the cells from the mask (lit cells in the colours colouring gives, when it is given) and leaves the
// mask the size of the board. A render fitted to a panel prints its own mask and shares the second half.
struct PrintedMessage {
    QSize measured;
    QSize reached;
};
PrintedMessage printAndMeasure(BoardState& state, const QString& message);
void drawCells(BoardState& state, int32_t columns, int32_t rows, const std::function<void()>& refresh,
               const CellColouring* colouring = nullptr);

} // namespace board
