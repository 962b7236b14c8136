#pragma once

#include "scroll/encoder.h"

#include <QRect>

#include <webp/encode.h>

#include <deque>
#include <future>
#include <vector>

struct WebPMux;

namespace scroll {

// Animated WebP, lossless with exact pixels. Every frame after the first is stored as the rectangle of
// pixels that changed, drawn over the last frame; every frame is kept, even one that changes nothing.
// The frames are compressed on every core at once (in the calling thread when no other thread can
// start): a sign of at most 256 colours by encodePaletteWebp from its palette indices, any other by
// libwebp's WebPEncode. libwebp's muxer puts them together; each frame shows for its delay in
// milliseconds, and the ANIM chunk holds the loop count.
//
// Not libwebp's WebPAnimEncoder: it merges a frame that changes nothing into the one before (a scroll
// through a gap wider than the panel would lose frames), works one frame at a time, and copies whole
// canvases several times a frame. Marking unchanged pixels transparent, as the GIF encoder does, made
// the file 5 % larger at the same speed here.
class WebpEncoder : public Encoder {
public:
    ~WebpEncoder() override;

    FramePixels pixels() const override { return FramePixels::Exact; }
    platform::Result begin(Output& output, const AnimationHeader& header) override;
    platform::Result addFrame(const Frame& frame) override;
    platform::Result finish() override;

private:
    struct Compressed {
        std::vector<uint8_t> webp; // empty when libwebp failed
        QString error;
        QRect area;
        int delayMs;
    };
    // The pixels of a frame's stored area, copied for the thread that compresses them.
    struct Part {
        QRect area;
        std::vector<uint8_t> indices;  // when the frames are palette indices
        std::vector<uint32_t> colours; // else
    };
    // Copies the area of pixels to store (see storedArea) and keeps pixels as previous.
    template <typename Pixel>
    QRect copyArea(const QImage& pixels, std::vector<Pixel>& previous, std::vector<Pixel>& copy);
    static Compressed compress(const WebPConfig& config, const QList<QRgb>& palette, Part& part, int delayMs);
    platform::Result addOldest();
    platform::Result failed(const QString& what) const;

    Output* m_output = nullptr;
    WebPMux* m_mux = nullptr;
    WebPConfig m_config{};
    int m_loopCount = 0;
    QSize m_size;
    QList<QRgb> m_palette;                  // the frames' colours when they are palette indices
    std::vector<uint8_t> m_previousIndices; // the last frame's pixels
    std::vector<uint32_t> m_previousColours;
    bool m_first = true;
    size_t m_parallel = 1;                             // frames compressed at once
    std::deque<std::future<Compressed>> m_compressing; // in frame order
};

} // namespace scroll
