#include "scroll/webpencoder.h"

#include "scroll/changedarea.h"
#include "scroll/output.h"
#include "scroll/webppalette.h"

#include <webp/mux.h>

#include <algorithm>
#include <memory>
#include <system_error>
#include <thread>

namespace scroll {

namespace {

// Chosen by measurement on the 385-frame scroll of bench_scroll. Method 0 is the fastest by far. Quality
// (for lossless: how hard it looks for repeats) 50 writes the file 15 % smaller than 0 in a fifth more
// time, a little smaller than Pillow's default animation; 100 saves another 4 % in 40 % more time.
constexpr int Method = 0;
constexpr float Quality = 50;

constexpr int MaxParallel = 4;
constexpr qint64 ParallelBytes = qint64(32) << 20;

int writeToBuffer(const uint8_t* data, size_t size, const WebPPicture* picture) {
    auto* bytes = static_cast<std::vector<uint8_t>*>(picture->custom_ptr);
    bytes->insert(bytes->end(), data, data + size);
    return 1;
}

const char* encodingError(WebPEncodingError error) {
    switch (error) {
    case VP8_ENC_ERROR_OUT_OF_MEMORY:
    case VP8_ENC_ERROR_BITSTREAM_OUT_OF_MEMORY:
        return "out of memory";
    case VP8_ENC_ERROR_BAD_DIMENSION:
        return "bad dimension";
    default:
        return "the encoder failed";
    }
}

} // namespace

WebpEncoder::~WebpEncoder() {
    // Frames still compressing finish before their results go.
    for (auto& pending : m_compressing)
        pending.wait();
    WebPMuxDelete(m_mux);
}

platform::Result WebpEncoder::failed(const QString& what) const {
    return platform::Result::failed(platform::Failure::EncoderError, m_output->fileName(), what);
}

platform::Result WebpEncoder::begin(Output& output, const AnimationHeader& header) {
    m_output = &output;
    m_size = header.frameSize;
    if (m_size.width() > WEBP_MAX_DIMENSION || m_size.height() > WEBP_MAX_DIMENSION) {
        return platform::Result::failed(
            platform::Failure::TooLarge, output.fileName(),
            QStringLiteral("%1 × %2 > %3 × %3").arg(m_size.width()).arg(m_size.height()).arg(WEBP_MAX_DIMENSION));
    }
    if (!WebPConfigInit(&m_config))
        return failed(QStringLiteral("libwebp version mismatch"));
    m_config.lossless = 1;
    m_config.exact = 1;
    m_config.method = Method;
    m_config.quality = Quality;
    m_mux = WebPMuxNew();
    if (!m_mux)
        return failed(QStringLiteral("out of memory"));
    m_loopCount = header.loopCount;
    m_palette = header.palette;
    m_first = true;
    // One frame a core, but never more than MaxParallel, nor frames of more than ParallelBytes in all:
    // each frame in flight holds libwebp's working memory, several times the frame.
    const qint64 frameBytes = qint64(m_size.width()) * m_size.height() * 4;
    m_parallel = size_t(std::clamp<qint64>(ParallelBytes / frameBytes, 1,
                                           std::clamp(int(std::thread::hardware_concurrency()), 1, MaxParallel)));
    return platform::Result::success();
}

WebpEncoder::Compressed WebpEncoder::compress(const WebPConfig& config, const QList<QRgb>& palette, Part& part,
                                              int delayMs) {
    const QRect area = part.area;
    Compressed compressed{{}, {}, area, delayMs};
    if (!palette.isEmpty()) {
        compressed.webp =
            encodePaletteWebp(part.indices.data(), area.width(), area.height(), size_t(area.width()), palette);
        return compressed;
    }
    WebPPicture picture;
    WebPPictureInit(&picture);
    picture.use_argb = 1;
    picture.width = area.width();
    picture.height = area.height();
    picture.argb = part.colours.data();
    picture.argb_stride = area.width();
    picture.writer = writeToBuffer;
    picture.custom_ptr = &compressed.webp;
    if (!WebPEncode(&config, &picture)) {
        compressed.webp.clear();
        compressed.error = QString::fromLatin1(encodingError(picture.error_code));
    }
    return compressed;
}

platform::Result WebpEncoder::addOldest() {
    const Compressed compressed = m_compressing.front().get();
    m_compressing.pop_front();
    if (compressed.webp.empty())
        return failed(compressed.error);
    WebPMuxFrameInfo info{};
    info.bitstream = {compressed.webp.data(), compressed.webp.size()};
    info.x_offset = compressed.area.left();
    info.y_offset = compressed.area.top();
    info.duration = compressed.delayMs;
    info.id = WEBP_CHUNK_ANMF;
    info.dispose_method = WEBP_MUX_DISPOSE_NONE;
    info.blend_method = WEBP_MUX_NO_BLEND;
    if (WebPMuxPushFrame(m_mux, &info, 1) != WEBP_MUX_OK)
        return failed(QStringLiteral("out of memory"));
    return platform::Result::success();
}

template <typename Pixel>
QRect WebpEncoder::copyArea(const QImage& pixels, std::vector<Pixel>& previous, std::vector<Pixel>& copy) {
    QRect area = storedArea(pixels, previous, m_first);
    // Frames sit at even offsets.
    area.setLeft(area.left() & ~1);
    area.setTop(area.top() & ~1);
    copy.resize(size_t(area.width()) * size_t(area.height()));
    for (int y = 0; y < area.height(); ++y) {
        const Pixel* now = reinterpret_cast<const Pixel*>(pixels.constScanLine(area.top() + y)) + area.left();
        std::copy_n(now, area.width(), copy.data() + size_t(y) * size_t(area.width()));
    }
    keepFrame(pixels, previous);
    m_first = false;
    return area;
}

platform::Result WebpEncoder::addFrame(const Frame& frame) {
    // Shared with the thread that compresses it, and still here should no thread start.
    const auto part = std::make_shared<Part>();
    part->area = m_palette.isEmpty() ? copyArea(frame.pixels, m_previousColours, part->colours)
                                     : copyArea(frame.pixels, m_previousIndices, part->indices);

    if (m_compressing.size() >= m_parallel) {
        if (platform::Result added = addOldest(); !added.ok())
            return added;
    }
    try {
        m_compressing.push_back(std::async(std::launch::async, [this, part, delay = frame.delayMs] {
            return compress(m_config, m_palette, *part, delay);
        }));
    } catch (const std::system_error&) {
        // No thread could start (a limit on processes or on memory): the frame is compressed here instead.
        std::promise<Compressed> compressed;
        compressed.set_value(compress(m_config, m_palette, *part, frame.delayMs));
        m_compressing.push_back(compressed.get_future());
    }
    return platform::Result::success();
}

platform::Result WebpEncoder::finish() {
    while (!m_compressing.empty()) {
        if (platform::Result added = addOldest(); !added.ok())
            return added;
    }
    WebPMuxAnimParams animation{};
    animation.bgcolor = 0xff000000; // never seen: the first frame covers the canvas
    animation.loop_count = m_loopCount;
    WebPData assembled;
    WebPDataInit(&assembled);
    if (WebPMuxSetAnimationParams(m_mux, &animation) != WEBP_MUX_OK ||
        WebPMuxSetCanvasSize(m_mux, m_size.width(), m_size.height()) != WEBP_MUX_OK ||
        WebPMuxAssemble(m_mux, &assembled) != WEBP_MUX_OK)
        return failed(QStringLiteral("the frames cannot be put together"));
    m_output->write(reinterpret_cast<const char*>(assembled.bytes), qint64(assembled.size));
    WebPDataClear(&assembled);
    return m_output->failure();
}

} // namespace scroll
