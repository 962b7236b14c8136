#pragma once

#include "scroll/encoder.h"

namespace scroll {

// Netpbm P4: for every frame one bitmap of the panel's cells, 1 (black in a viewer) = lit, the images
// one after another in one file as Netpbm allows.
class PbmEncoder : public Encoder {
public:
    FramePixels pixels() const override { return FramePixels::None; }
    platform::Result begin(Output& output, const AnimationHeader& header) override;
    platform::Result addFrame(const Frame& frame) override;
    platform::Result finish() override;

private:
    Output* m_output = nullptr;
};

} // namespace scroll
