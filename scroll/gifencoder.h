#pragma once

#include "scroll/encoder.h"
#include "scroll/giflzw.h"

#include <cstdint>
#include <optional>
#include <vector>

struct GifFileType;

namespace scroll {

// Animated GIF through giflib: one global palette (the sign's colours, or a median cut of them when
// there are more than 256), a NETSCAPE2.0 loop block unless the cycle plays once, and per frame a
// graphic control block with its delay in hundredths of a second (never below 2). Frames after the
// first hold only the changed rectangle, unchanged pixels in it transparent; giflib writes the file,
// GifLzw compresses the pixels.
class GifEncoder : public Encoder {
public:
    ~GifEncoder() override;

    FramePixels pixels() const override { return FramePixels::Indexed; }
    platform::Result begin(Output& output, const AnimationHeader& header) override;
    platform::Result addFrame(const Frame& frame) override;
    platform::Result finish() override;

private:
    platform::Result failed(int error) const;
    bool putControlBlock(int transparentIndex, int delayMs);

    Output* m_output = nullptr;
    GifFileType* m_gif = nullptr;
    int m_width = 0;                  // of a frame, in pixels
    int m_transparent = -1;           // a palette index no frame uses, or -1
    std::vector<uint8_t> m_previous;  // the last frame's pixels, row by row
    std::vector<uint8_t> m_rectangle; // what changed since, handed to giflib
    bool m_first = true;
    std::optional<GifLzw> m_lzw;
};

} // namespace scroll
