#include "scroll/apngencoder.h"

#include "scroll/changedarea.h"
#include "scroll/output.h"

#include <algorithm>

namespace scroll {

namespace {
// Chosen by measurement on the 385-frame scroll of bench_scroll: libdeflate's default level writes it
// in twice the time of its fastest and three quarters of the size; the smallest level takes twice as
// long again for a tenth less.
constexpr codec::PngEffort Effort = codec::PngEffort::Default;
} // namespace

platform::Result ApngEncoder::failed() const {
    if (m_output->failed())
        return m_output->failure();
    const bool memory = m_png->error() == codec::PngStream::Error::OutOfMemory;
    return platform::Result::failed(platform::Failure::EncoderError, m_output->fileName(),
                                    memory ? QStringLiteral("out of memory") : QStringLiteral("PNG stream misuse"));
}

platform::Result ApngEncoder::begin(Output& output, const AnimationHeader& header) {
    m_output = &output;
    m_png = std::make_unique<codec::PngStream>(output, Effort);
    m_width = header.frameSize.width();
    m_palette = !header.palette.isEmpty();
    codec::PngHeader png;
    png.width = uint32_t(m_width);
    png.height = uint32_t(header.frameSize.height());
    png.color = m_palette ? codec::PngColor::Palette : codec::PngColor::Rgb;
    png.palette = std::span<const QRgb>(header.palette.constData(), size_t(header.palette.size()));
    if (!m_png->begin(png) || !m_png->beginAnimation(uint32_t(header.frameCount), uint32_t(header.loopCount)))
        return failed();
    m_first = true;
    return platform::Result::success();
}

platform::Result ApngEncoder::addFrame(const Frame& frame) {
    const QImage& pixels = frame.pixels;
    const QRect area =
        m_palette ? storedArea(pixels, m_previousIndices, m_first) : storedArea(pixels, m_previousColours, m_first);
    codec::PngFrame png;
    png.x = uint32_t(area.left());
    png.y = uint32_t(area.top());
    png.width = uint32_t(area.width());
    png.height = uint32_t(area.height());
    png.delayNumerator = uint16_t(frame.delayMs);
    png.delayDenominator = 1000;
    png.dispose = codec::PngFrame::Dispose::None;
    png.blend = codec::PngFrame::Blend::Source;
    const auto rows = [&](uint32_t y, uint8_t* row) {
        const int line = area.top() + int(y);
        if (m_palette) {
            std::copy_n(pixels.constScanLine(line) + area.left(), area.width(), row);
            return;
        }
        const QRgb* now = reinterpret_cast<const QRgb*>(pixels.constScanLine(line)) + area.left();
        for (int x = 0; x < area.width(); ++x) {
            *row++ = uint8_t(qRed(now[x]));
            *row++ = uint8_t(qGreen(now[x]));
            *row++ = uint8_t(qBlue(now[x]));
        }
    };
    if (!m_png->writeFrame(png, rows))
        return failed();
    if (m_palette)
        keepFrame(pixels, m_previousIndices);
    else
        keepFrame(pixels, m_previousColours);
    m_first = false;
    return platform::Result::success();
}

platform::Result ApngEncoder::finish() {
    if (!m_png->finish())
        return failed();
    return m_output->failure();
}

} // namespace scroll
