#include "scroll/gifencoder.h"

#include "scroll/changedarea.h"
#include "scroll/output.h"

#include <gif_lib.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace scroll {

namespace {

constexpr int MaxSide = 65535;

int writeToOutput(GifFileType* gif, const GifByteType* data, int length) {
    return static_cast<Output*>(gif->UserData)->write(reinterpret_cast<const char*>(data), length) == length ? length
                                                                                                             : 0;
}

// Whole bits per index: giflib takes colour tables of 2^n entries only.
int tableSize(int colours) {
    int size = 2;
    while (size < colours)
        size *= 2;
    return size;
}

} // namespace

GifEncoder::~GifEncoder() {
    if (m_gif)
        EGifCloseFile(m_gif, nullptr);
}

platform::Result GifEncoder::failed(int error) const {
    if (m_output->failed())
        return m_output->failure();
    return platform::Result::failed(platform::Failure::EncoderError, m_output->fileName(),
                                    QString::fromLatin1(GifErrorString(error)));
}

platform::Result GifEncoder::begin(Output& output, const AnimationHeader& header) {
    m_output = &output;
    m_width = header.frameSize.width();
    const int height = header.frameSize.height();
    if (m_width > MaxSide || height > MaxSide) {
        return platform::Result::failed(platform::Failure::TooLarge, output.fileName(),
                                        QStringLiteral("%1 × %2 > %3 × %3").arg(m_width).arg(height).arg(MaxSide));
    }
    const int colours = int(header.palette.size());
    // Each frame after the first is the rectangle of pixels that changed, and within it the pixels that
    // stayed are a colour of their own, shown as transparent, where the table has room for it. Measured
    // on the scroll of bench_scroll: 1.0 MB, against 1.7 MB for the rectangles alone and 1.9 MB for
    // whole frames, in the same time.
    m_transparent = colours < 256 ? colours : -1;
    const int size = tableSize(colours + (m_transparent >= 0 ? 1 : 0));
    std::vector<GifColorType> table(size_t(size), GifColorType{0, 0, 0});
    for (int i = 0; i < colours; ++i) {
        const QRgb c = header.palette[i];
        table[size_t(i)] = {GifByteType(qRed(c)), GifByteType(qGreen(c)), GifByteType(qBlue(c))};
    }
    ColorMapObject* map = GifMakeMapObject(size, table.data());
    if (!map)
        return failed(E_GIF_ERR_NOT_ENOUGH_MEM);
    int error = 0;
    m_gif = EGifOpen(&output, writeToOutput, &error);
    if (!m_gif) {
        GifFreeMapObject(map);
        return failed(error);
    }
    EGifSetGifVersion(m_gif, true);
    const int bits = map->BitsPerPixel;
    const bool ok = EGifPutScreenDesc(m_gif, m_width, height, bits, 0, map) == GIF_OK;
    GifFreeMapObject(map);
    if (!ok)
        return failed(m_gif->Error);
    if (header.loopCount != 1) {
        // The NETSCAPE2.0 count is of repeats after the first play; 0 repeats forever.
        const int repeats = header.loopCount == 0 ? 0 : header.loopCount - 1;
        const GifByteType loop[] = {1, GifByteType(repeats & 0xff), GifByteType(repeats >> 8)};
        if (EGifPutExtensionLeader(m_gif, APPLICATION_EXT_FUNC_CODE) != GIF_OK ||
            EGifPutExtensionBlock(m_gif, 11, "NETSCAPE2.0") != GIF_OK ||
            EGifPutExtensionBlock(m_gif, sizeof loop, loop) != GIF_OK || EGifPutExtensionTrailer(m_gif) != GIF_OK)
            return failed(m_gif->Error);
    }
    m_lzw.emplace(std::max(2, bits)); // the code size giflib writes before each image's data
    m_first = true;
    return platform::Result::success();
}

bool GifEncoder::putControlBlock(int transparentIndex, int delayMs) {
    GraphicsControlBlock control{};
    control.DisposalMode = DISPOSE_DO_NOT; // the next frame is drawn over this one
    control.UserInputFlag = false;
    // In hundredths of a second; delays below 2/100 s are played slower by browsers, so they are never written.
    control.DelayTime = std::max(2, int(std::lround(delayMs / 10.0)));
    control.TransparentColor = transparentIndex;
    GifByteType block[4];
    const size_t length = EGifGCBToExtension(&control, block);
    return EGifPutExtension(m_gif, GRAPHICS_EXT_FUNC_CODE, int(length), block) == GIF_OK;
}

platform::Result GifEncoder::addFrame(const Frame& frame) {
    const QImage& pixels = frame.pixels;
    const QRect area = storedArea(pixels, m_previous, m_first);
    const bool transparent = !m_first && m_transparent >= 0;
    const int width = area.width();
    m_rectangle.resize(size_t(width) * size_t(area.height()));
    for (int y = 0; y < area.height(); ++y) {
        const uchar* now = pixels.constScanLine(area.top() + y) + area.left();
        uint8_t* out = m_rectangle.data() + size_t(y) * size_t(width);
        if (transparent) {
            const uint8_t* last = m_previous.data() + size_t(area.top() + y) * size_t(m_width) + area.left();
            for (int x = 0; x < width; ++x)
                out[x] = now[x] == last[x] ? uint8_t(m_transparent) : now[x];
        } else {
            std::memcpy(out, now, size_t(width));
        }
    }
    keepFrame(pixels, m_previous);
    m_first = false;
    if (!putControlBlock(transparent ? m_transparent : NO_TRANSPARENT_COLOR, frame.delayMs) ||
        EGifPutImageDesc(m_gif, area.left(), area.top(), width, area.height(), false, nullptr) != GIF_OK)
        return failed(m_gif->Error);
    const std::vector<uint8_t>& blocks = m_lzw->compress(m_rectangle.data(), m_rectangle.size());
    for (size_t at = 0; at < blocks.size(); at += size_t(blocks[at]) + 1) {
        if (EGifPutCodeNext(m_gif, blocks.data() + at) != GIF_OK)
            return failed(m_gif->Error);
    }
    if (EGifPutCodeNext(m_gif, nullptr) != GIF_OK)
        return failed(m_gif->Error);
    return platform::Result::success();
}

platform::Result GifEncoder::finish() {
    int error = 0;
    const int status = EGifCloseFile(m_gif, &error);
    m_gif = nullptr;
    if (status != GIF_OK)
        return failed(error);
    return m_output->failure();
}

} // namespace scroll
