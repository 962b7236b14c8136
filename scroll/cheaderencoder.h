#pragma once

#include "scroll/encoder.h"

namespace scroll {

// A C header for LED panel firmware: LUMIDOT_WIDTH, LUMIDOT_HEIGHT (cells), LUMIDOT_FRAMES,
// LUMIDOT_ROW_BYTES and LUMIDOT_DELAY_MS as #defines, and the frames as
// `static const uint8_t lumidot_frames[LUMIDOT_FRAMES][LUMIDOT_HEIGHT][LUMIDOT_ROW_BYTES]`: each row
// of cells as bits, the leftmost cell in the most significant bit of the row's first byte, 1 = lit.
class CHeaderEncoder : public Encoder {
public:
    FramePixels pixels() const override { return FramePixels::None; }
    platform::Result begin(Output& output, const AnimationHeader& header) override;
    platform::Result addFrame(const Frame& frame) override;
    platform::Result finish() override;

private:
    Output* m_output = nullptr;
    int m_frame = 0;
};

} // namespace scroll
