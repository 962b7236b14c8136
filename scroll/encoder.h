#pragma once

#include "board/cellgrid.h"
#include "platform/result.h"

#include <QImage>
#include <QList>
#include <QRgb>
#include <QSize>

namespace scroll {

class FrameSequence;
class Output;

// What an encoder wants its frames drawn as.
enum class FramePixels {
    None,       // only the cells (bit patterns)
    Indexed,    // palette indices: the sign's exact colours, or a quantised palette when it has more than 256
    TrueColour, // Format_RGB32
    Exact,      // palette indices when the sign has at most 256 colours, true colour otherwise
};

// What all frames of one animation share.
struct AnimationHeader {
    QSize frameSize; // pixels
    int columns = 0; // the panel, in cells
    int rows = 0;
    int frameCount = 0;
    int delayMs = 0; // of every frame but the hold frame

    int loopCount = 0;                       // how many times the cycle plays; 0 = forever
    QList<QRgb> palette;                     // the frames' colours when they are Format_Indexed8; empty for true colour
    const FrameSequence* sequence = nullptr; // where the frames come from, for an encoder that stores the strip
};

// One frame as an encoder receives it.
struct Frame {
    const board::CellGrid& cells; // what the panel shows
    const QImage& pixels;         // the frame drawn as the encoder asked; null for FramePixels::None
    int delayMs;                  // how long it shows
};

// One file format of the animation. writeAnimation() calls begin once, addFrame for every frame in
// order and finish once, and stops at the first failure; it opens and commits the output itself.
class Encoder {
public:
    virtual ~Encoder() = default;

    virtual FramePixels pixels() const = 0;
    virtual platform::Result begin(Output& output, const AnimationHeader& header) = 0;
    virtual platform::Result addFrame(const Frame& frame) = 0;
    virtual platform::Result finish() = 0;
};

} // namespace scroll
