#pragma once

#include "board/cellgrid.h"
#include "platform/result.h"
#include "settingskeys/keys.h"

#include <QImage>

#include <optional>

namespace scroll {

// The way the message moves, one cell per step, exactly as the board's scroll arrows move it.
enum class Direction { Up, Right, Down, Left };

// The directions by name: as the settings file stores them ("Left"), and as a user may type them, in any case.
QString directionName(Direction direction);
std::optional<Direction> directionNamed(const QString& name);
// The direction the settings file's default names.
Direction defaultDirection();

inline constexpr int MinDelayMs = settingskeys::key(settingskeys::KeyId::AnimDelay).lowest;
inline constexpr int MaxDelayMs = settingskeys::key(settingskeys::KeyId::AnimDelay).highest;

// How a sign becomes an animation; it starts as the settings file's defaults have it.
struct AnimationSettings {
    // cells the panel shows, from the board's left edge; 0 = the whole board
    int panelColumns = settingskeys::defaultWhole(settingskeys::KeyId::AnimPanel);
    int delayMs = settingskeys::defaultWhole(settingskeys::KeyId::AnimDelay); // how long each frame is shown
    Direction direction = defaultDirection();
    // cells the message moves from one frame to the next; must divide the cycle
    int step = settingskeys::defaultWhole(settingskeys::KeyId::AnimStep);
    int loopCount = 0; // how many times the whole cycle plays, 0..MaxLoopCount; 0 = forever
};
inline constexpr int MaxLoopCount = 65535; // what GIF's and WebP's 16-bit loop fields can say
// A frame never grows beyond this many pixels (512 MiB of true colour), as no board does.
inline constexpr qint64 MaxFramePixels = qint64(1) << 27;

// The sign as it stands: which cells are lit, and the two pictures the cells are drawn with. Both
// pictures are exactly one cell large and in QImage::Format_RGB32.
struct Sign {
    board::CellGrid cells;
    QImage litCell;
    QImage unlitCell;
};

// The panel's width in cells: the whole board for 0, otherwise settings.panelColumns.
int panelColumnsOf(const board::CellGrid& cells, const AnimationSettings& settings);

// The number of one-cell steps until the board is back where it started: for left and right the width
// of the board widened to the panel, for up and down its height.
int cycleOf(const board::CellGrid& cells, const AnimationSettings& settings);

// Whether settings can animate sign. Failures, each with a detail that reads the same in every language:
// NothingToWrite ("0 × 17": a board without cells, cell pictures missing or of different sizes),
// BadAnimationSetting ("Step=4 ∉ {1, 5, 7, 11, 35, 55, 77, 385}", "Delay=10 ∉ [20, 5000]") and
// TooLarge ("70000 × 2000": the frame's size in pixels).
platform::Result checkSettings(const Sign& sign, const AnimationSettings& settings);

} // namespace scroll
