#pragma once

#include "codec/pngstream.h"
#include "scroll/encoder.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace scroll {

// Animated PNG over the project's PNG chunk writer: palette pixels when the sign has at most 256
// colours (exact), RGB otherwise. Every frame after the first is the rectangle of pixels that changed,
// drawn over the last frame. (Marking unchanged pixels transparent, as the GIF encoder does, made a
// scroll's file a tenth larger and no faster: deflate finds the dots' repeats better than the runs.)
// Each frame shows for the delay in milliseconds (fcTL's fraction delayMs / 1000).
class ApngEncoder : public Encoder {
public:
    FramePixels pixels() const override { return FramePixels::Exact; }
    platform::Result begin(Output& output, const AnimationHeader& header) override;
    platform::Result addFrame(const Frame& frame) override;
    platform::Result finish() override;

private:
    platform::Result failed() const;

    Output* m_output = nullptr;
    std::unique_ptr<codec::PngStream> m_png;
    bool m_palette = false;
    int m_width = 0; // of a frame, in pixels
    std::vector<uint8_t> m_previousIndices;
    std::vector<QRgb> m_previousColours;
    bool m_first = true;
};

} // namespace scroll
