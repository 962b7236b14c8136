#pragma once

#include "board/DrawBoard.h"
#include "board/cellgrid.h"
#include "platform/result.h"
#include "settingskeys/keys.h"

#include <QImage>

#include <optional>
#include <vector>

namespace scroll {

// The way the message moves, one cell per step, exactly as the board's scroll arrows move it.
enum class Direction { Up, Right, Down, Left };

// What the first frame shows: the board as it stands, or the blank panel that the message then enters.
enum class Entrance { Board, Blank };

inline constexpr int AutomaticGap = -1;

// The names as the settings file stores them ("Left", "Blank"), and as a user may type them, in any case.
QString directionName(Direction direction);
std::optional<Direction> directionNamed(const QString& name);
QString entranceName(Entrance entrance);
std::optional<Entrance> entranceNamed(const QString& name);
// The values the settings file's defaults name.
Direction defaultDirection();
Entrance defaultEntrance();

inline constexpr int MinDelayMs = settingskeys::key(settingskeys::KeyId::AnimDelay).lowest;
inline constexpr int MaxDelayMs = settingskeys::key(settingskeys::KeyId::AnimDelay).highest;
inline constexpr int MaxGap = settingskeys::key(settingskeys::KeyId::AnimGap).highest;
inline constexpr int MaxHoldMs = settingskeys::key(settingskeys::KeyId::AnimHold).highest;
inline constexpr int MaxBlinks = settingskeys::key(settingskeys::KeyId::AnimBlink).highest;
inline constexpr int MaxLoopCount = 65535; // what GIF's and WebP's 16-bit loop fields can say
// A frame never grows beyond this many pixels (512 MiB of true colour), as no board does.
inline constexpr qint64 MaxFramePixels = qint64(1) << 27;

// How a sign becomes an animation; it starts as the settings file's defaults have it.
struct AnimationSettings {
    // cells the panel shows, from the board's left edge; 0 = the whole board
    int panelColumns = settingskeys::defaultWhole(settingskeys::KeyId::AnimPanel);
    int delayMs = settingskeys::defaultWhole(settingskeys::KeyId::AnimDelay); // how long each frame is shown
    Direction direction = defaultDirection();
    // cells the message moves from one frame to the next; must divide the cycle
    int step = settingskeys::defaultWhole(settingskeys::KeyId::AnimStep);
    int loopCount = 0; // how many times the whole cycle plays, 0..MaxLoopCount; 0 = forever
    // Unlit cells between the message's end and its next start, along the way it moves, 0..MaxGap;
    // AutomaticGap: as wide as the panel when the message is wider than the panel or enters a blank panel,
    // otherwise what widens the message to the panel.
    int gap = settingskeys::defaultWhole(settingskeys::KeyId::AnimGap);
    Entrance entrance = defaultEntrance();
    // how long the hold frame shows instead of delayMs, 0 (not held)..MaxHoldMs
    int holdMs = settingskeys::defaultWhole(settingskeys::KeyId::AnimHold);
    int blinks = settingskeys::defaultWhole(settingskeys::KeyId::AnimBlink); // blank and back at the hold
};

// The sign as it stands: which cells are lit and in which colour, and the pictures the cells are drawn with,
// each exactly one cell large and in QImage::Format_RGB32.
struct Sign {
    board::CellGrid cells; // colour numbers: 0 unlit, 1 litCell, n ≥ 2 colourCells[n − 2]
    QImage litCell;        // the sign's own colour
    QImage unlitCell;
    std::vector<QImage> colourCells = {}; // further colours: none for a sign in one colour

    // The picture of colour number colour.
    const QImage& cellPicture(uint8_t colour) const {
        return colour == 0 ? unlitCell : colour == 1 ? litCell : colourCells[size_t(colour) - 2];
    }
    int litColours() const { return 1 + int(colourCells.size()); }
};

// The sign a board shows, after the rotations made since its render.
Sign signOf(const board::BoardState& state);

// The panel's width in cells: the whole board for 0, otherwise settings.panelColumns.
int panelColumnsOf(const board::CellGrid& cells, const AnimationSettings& settings);

// One frame in the order the animation plays it.
struct TimedFrame {
    int rotation; // one-cell steps in the scroll's direction from the board as it stands
    bool blank;   // a blink: every cell unlit
    int delayMs;
};

// The course of the scroll, worked out once from the board's size and the settings: the board widened by
// the gap along the way it moves makes a strip that turns one cell a step, and the panel shows part of it.
//
// Frame k of the scroll shows the strip after firstRotation + k × step one-cell steps. Frame 0 is the board
// as it stands, or for Entrance::Blank the last blank frame before the message enters. The hold frame is
// the one in which the message's leading edge (its left column moving left, its right column moving right,
// its top row moving up, its bottom row moving down) first reaches the far edge of the panel; it shows for
// holdMs when that is set, and is followed by `blinks` pairs of a blank frame and the hold frame again,
// each for delayMs.
struct ScrollPlan {
    bool sideways = true;  // left or right: the strip turns by columns, else by rows
    bool forward = true;   // left or up: the panel's window moves on along the strip, else back
    int messageLength = 0; // the board's cells along the way it moves
    int panelLength = 0;   // the panel's cells along the way it moves
    int gap = 0;
    int cycle = 0; // messageLength + gap: the one-cell steps until the strip is back where it started
    int step = 1;
    int firstRotation = 0; // a multiple of step
    int holdFrame = 0;     // among the scroll's frames
    int holdMs = 0;
    int blinks = 0; // pairs of frames after the hold frame
    int delayMs = 0;

    int scrollFrames() const { return cycle / step; }
    int frameCount() const { return scrollFrames() + 2 * blinks; }
    // Frame index (0 .. frameCount() − 1) in playing order.
    TimedFrame frame(int index) const;
    // The first strip cell the panel shows, along the way the message moves, after `rotation` steps.
    int windowStart(int rotation) const;
};

// The plan of a sign's scroll; settings must have passed checkSettings.
ScrollPlan scrollPlanOf(const board::CellGrid& cells, const AnimationSettings& settings);

// The number of one-cell steps until the board is back where it started: the board's cells along the way it
// moves (its width for left and right, its height for up and down) and the gap after it.
int cycleOf(const board::CellGrid& cells, const AnimationSettings& settings);

// Whether settings can animate sign. Failures, each with a detail that reads the same in every language:
// NothingToWrite ("0 × 17": a board without cells, cell pictures missing or of different sizes, a cell of a
// colour without a picture or beyond MaxCellColour),
// BadAnimationSetting ("Step=4 ∉ {1, 5, 7, 11, 35, 55, 77, 385}", "Delay=10 ∉ [20, 5000]", "Gap=3 ∉ {-1} ∪
// [9, 32767]" when the message cannot enter a blank panel) and TooLarge ("70000 × 2000": the frame's size
// in pixels).
platform::Result checkSettings(const Sign& sign, const AnimationSettings& settings);

} // namespace scroll
