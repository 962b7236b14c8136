#pragma once

#include <QImage>
#include <QRect>

#include <algorithm>
#include <cstring>
#include <vector>

namespace scroll {

// The smallest rectangle holding every pixel where frame differs from before (the last frame, row by
// row without padding); empty when nothing changed. Pixel is the frame's pixel type: uint8_t for
// palette indices, QRgb for true colour.
template <typename Pixel> QRect changedArea(const QImage& frame, const std::vector<Pixel>& before) {
    const int width = frame.width();
    int left = width;
    int right = 0;
    int top = -1;
    int bottom = -1;
    for (int y = 0; y < frame.height(); ++y) {
        const Pixel* now = reinterpret_cast<const Pixel*>(frame.constScanLine(y));
        const Pixel* last = before.data() + size_t(y) * size_t(width);
        if (std::memcmp(now, last, size_t(width) * sizeof(Pixel)) == 0)
            continue;
        if (top < 0)
            top = y;
        bottom = y;
        int x0 = 0;
        while (now[x0] == last[x0])
            ++x0;
        int x1 = width - 1;
        while (now[x1] == last[x1])
            --x1;
        left = std::min(left, x0);
        right = std::max(right, x1);
    }
    return top < 0 ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
}

// The part of a frame an encoder stores: all of the first frame, then what changed since the one before,
// or one pixel when nothing did, which keeps the frame and its delay.
template <typename Pixel> QRect storedArea(const QImage& frame, const std::vector<Pixel>& before, bool first) {
    if (first)
        return frame.rect();
    const QRect changed = changedArea(frame, before);
    return changed.isEmpty() ? QRect(0, 0, 1, 1) : changed;
}

// Copies frame into before, for the next changedArea.
template <typename Pixel> void keepFrame(const QImage& frame, std::vector<Pixel>& before) {
    const size_t width = size_t(frame.width());
    before.resize(width * size_t(frame.height()));
    for (int y = 0; y < frame.height(); ++y)
        std::memcpy(before.data() + size_t(y) * width, frame.constScanLine(y), width * sizeof(Pixel));
}

} // namespace scroll
