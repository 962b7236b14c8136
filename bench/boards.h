#pragma once

#include "board/DrawBoard.h"

#include <QImage>
#include <QString>

#include <memory>

// Boards the benchmarks share.
namespace bench {

// Column 4095 is the last whose origin fits in 16 bits with 8-pixel cells (8 · 4095 = 32760).
inline constexpr int WidestColumns = 4095;

// Grows a message, widest letters first, until it measures exactly columns pixels in state's font.
QString messageOfWidth(board::BoardState& state, int columns);

// A board state with the font the benchmarks use (DejaVu Sans 10, present on every machine here).
std::unique_ptr<board::BoardState> benchState();

// Dots of size × size pixels, so cells take that size.
QImage squareDot(int size, QRgb color);

// The comparison job's board (bench/data: the 450-character message at 12 pt in IPAPGothic with the
// 8 × 8 dot pictures), rendered by lumidot-render; empty when that fails.
platform::Surface jobBoard();

// The comparison job drawn in a board state, its board painted; null when its message cannot be read.
std::unique_ptr<board::BoardState> jobState();

// The widest board the 16-bit cell origins allow at 8 × 8 dots, rendered whole; null when no message
// measures exactly that wide.
std::unique_ptr<board::BoardState> widestBoard();

} // namespace bench
