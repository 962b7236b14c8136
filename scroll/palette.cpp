#include "scroll/palette.h"

#include <QHash>
#include <QSet>

#include <algorithm>
#include <array>
#include <climits>
#include <map>
#include <vector>

namespace scroll {

namespace {

struct Weighted {
    QRgb colour;
    qint64 pixels;
};

// Every cell picture of the sign: the lit picture first, the unlit one, then the further colours'.
std::vector<const QImage*> picturesOf(const Sign& sign) {
    std::vector<const QImage*> pictures{&sign.litCell, &sign.unlitCell};
    for (const QImage& picture : sign.colourCells)
        pictures.push_back(&picture);
    return pictures;
}

int channel(QRgb colour, int which) {
    return which == 0 ? qRed(colour) : which == 1 ? qGreen(colour) : qBlue(colour);
}

// The pictures' colours with the pixels each covers, in colour order.
std::vector<Weighted> histogram(const Sign& sign) {
    std::map<QRgb, qint64> counts;
    for (const QImage* picture : picturesOf(sign)) {
        const QImage rgb = picture->convertToFormat(QImage::Format_RGB32);
        for (int y = 0; y < rgb.height(); ++y) {
            const QRgb* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
            for (int x = 0; x < rgb.width(); ++x)
                ++counts[line[x] | 0xff000000u];
        }
    }
    std::vector<Weighted> colours;
    colours.reserve(counts.size());
    for (const auto& [colour, pixels] : counts)
        colours.push_back({colour, pixels});
    return colours;
}

// A run of the colour list that becomes one palette entry.
struct Box {
    size_t begin;
    size_t end;
    int widestChannel = 0;
    int span = 0; // of the widest channel; 0 when the box cannot be split

    void measure(const std::vector<Weighted>& colours) {
        span = 0;
        for (int which = 0; which < 3; ++which) {
            int low = 255;
            int high = 0;
            for (size_t i = begin; i < end; ++i) {
                low = std::min(low, channel(colours[i].colour, which));
                high = std::max(high, channel(colours[i].colour, which));
            }
            if (high - low > span) {
                span = high - low;
                widestChannel = which;
            }
        }
    }
};

QRgb meanColour(const std::vector<Weighted>& colours, const Box& box) {
    std::array<qint64, 3> sums{};
    qint64 pixels = 0;
    for (size_t i = box.begin; i < box.end; ++i) {
        for (int which = 0; which < 3; ++which)
            sums[size_t(which)] += channel(colours[i].colour, which) * colours[i].pixels;
        pixels += colours[i].pixels;
    }
    const auto mean = [&](int which) { return int((sums[size_t(which)] + pixels / 2) / pixels); };
    return qRgb(mean(0), mean(1), mean(2));
}

QList<QRgb> medianCut(std::vector<Weighted> colours, int maxColours) {
    std::vector<Box> boxes{{0, colours.size()}};
    boxes.front().measure(colours);
    while (int(boxes.size()) < maxColours) {
        const auto widest =
            std::max_element(boxes.begin(), boxes.end(), [](const Box& a, const Box& b) { return a.span < b.span; });
        if (widest->span == 0)
            break;
        Box& box = *widest;
        const int which = box.widestChannel;
        std::sort(colours.begin() + qsizetype(box.begin), colours.begin() + qsizetype(box.end),
                  [which](const Weighted& a, const Weighted& b) {
                      const int ca = channel(a.colour, which);
                      const int cb = channel(b.colour, which);
                      return ca != cb ? ca < cb : a.colour < b.colour;
                  });
        qint64 total = 0;
        for (size_t i = box.begin; i < box.end; ++i)
            total += colours[i].pixels;
        // The weighted median, kept off the ends so that both halves hold a colour.
        size_t cut = box.begin + 1;
        for (qint64 below = colours[box.begin].pixels; cut < box.end - 1 && 2 * below < total; ++cut)
            below += colours[cut].pixels;
        Box upper{cut, box.end};
        box.end = cut;
        box.measure(colours);
        upper.measure(colours);
        boxes.push_back(upper);
    }
    QList<QRgb> palette;
    for (const Box& box : boxes)
        palette.append(meanColour(colours, box));
    return palette;
}

int nearest(QRgb colour, const QList<QRgb>& palette) {
    int best = 0;
    int bestDistance = INT_MAX;
    for (int i = 0; i < palette.size(); ++i) {
        const int dr = qRed(colour) - qRed(palette[i]);
        const int dg = qGreen(colour) - qGreen(palette[i]);
        const int db = qBlue(colour) - qBlue(palette[i]);
        const int distance = dr * dr + dg * dg + db * db;
        if (distance < bestDistance) {
            best = i;
            bestDistance = distance;
        }
    }
    return best;
}

QImage indexedPicture(const QImage& picture, const QList<QRgb>& palette) {
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB32);
    QImage indexed(rgb.size(), QImage::Format_Indexed8);
    indexed.setColorTable(palette);
    QHash<QRgb, int> known;
    for (int y = 0; y < rgb.height(); ++y) {
        const QRgb* in = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        uchar* out = indexed.scanLine(y);
        for (int x = 0; x < rgb.width(); ++x) {
            const QRgb colour = in[x] | 0xff000000u;
            auto found = known.constFind(colour);
            if (found == known.constEnd())
                found = known.insert(colour, nearest(colour, palette));
            out[x] = uchar(*found);
        }
    }
    return indexed;
}

} // namespace

QList<QRgb> signColours(const Sign& sign, int limit) {
    QList<QRgb> colours;
    QSet<QRgb> seen;
    for (const QImage* picture : picturesOf(sign)) {
        const QImage rgb = picture->convertToFormat(QImage::Format_RGB32);
        for (int y = 0; y < rgb.height(); ++y) {
            const QRgb* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
            for (int x = 0; x < rgb.width(); ++x) {
                const QRgb colour = line[x] | 0xff000000u;
                if (!seen.contains(colour)) {
                    seen.insert(colour);
                    colours.append(colour);
                    if (colours.size() > limit)
                        return colours;
                }
            }
        }
    }
    return colours;
}

QList<QRgb> paletteFor(const Sign& sign, int maxColours) {
    QList<QRgb> exact = signColours(sign, maxColours);
    if (exact.size() <= maxColours)
        return exact;
    return medianCut(histogram(sign), maxColours);
}

Sign indexedSign(const Sign& sign, const QList<QRgb>& palette) {
    Sign indexed{sign.cells, indexedPicture(sign.litCell, palette), indexedPicture(sign.unlitCell, palette), {}};
    for (const QImage& picture : sign.colourCells)
        indexed.colourCells.push_back(indexedPicture(picture, palette));
    return indexed;
}

} // namespace scroll
