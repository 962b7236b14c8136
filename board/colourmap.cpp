#include "board/colourmap.h"

#include <QGlyphRun>
#include <QPainter>
#include <QRawFont>

#include <algorithm>
#include <cmath>
#include <deque>
#include <optional>

namespace board {

namespace {

// A glyph as Qt prints it into the map's rows: the pixels it lights, a bit each, from its first lit column.
struct GlyphPicture {
    int32_t left = 0;  // its first lit column, from the whole pixel at or left of the glyph's position
    int32_t width = 0; // 0: it lights nothing in the map's rows
    int32_t words = 0; // 64-bit words a row
    std::vector<uint64_t> bits;
};

// The pictures of a line's glyphs, each printed once. Qt prints a glyph's picture at the whole pixel its position
// rounds to, so one glyph of one font, at one fraction of a pixel across and one position down, has one picture
// wherever the line places it.
class GlyphPictures {
public:
    explicit GlyphPictures(int32_t rows) : m_rows(rows) {}

    // A number for font, for the glyphs of one run.
    size_t fontNumber(const QRawFont& font) {
        const auto known = std::find(m_fonts.begin(), m_fonts.end(), font);
        if (known != m_fonts.end())
            return size_t(known - m_fonts.begin());
        m_fonts.push_back(font);
        m_firstOfGlyph.emplace_back();
        return m_fonts.size() - 1;
    }

    // The picture of glyph of font number at position, or nothing when it cannot be told exactly: its pixels are
    // not all in the pen's colour (a glyph in colours of its own), or it reaches the edge of the room it was given.
    const GlyphPicture* at(size_t font, quint32 glyph, const QPointF& position) {
        const double fraction = position.x() - std::floor(position.x());
        std::vector<int32_t>& first = m_firstOfGlyph[font];
        if (glyph >= first.size())
            first.resize(size_t(glyph) + 1, -1);
        for (int32_t i = first[glyph]; i >= 0; i = m_printed[size_t(i)].next) {
            const Printed& printed = m_printed[size_t(i)];
            if (printed.fraction == fraction && printed.y == position.y())
                return printed.picture ? &*printed.picture : nullptr;
        }
        m_printed.push_back(
            {print(m_fonts[font], glyph, fraction, position.y()), fraction, position.y(), first[glyph]});
        first[glyph] = int32_t(m_printed.size() - 1);
        return m_printed.back().picture ? &*m_printed.back().picture : nullptr;
    }

private:
    struct Printed {
        std::optional<GlyphPicture> picture;
        double fraction;
        double y;
        int32_t next; // the same glyph's next printed picture, or -1
    };

    std::optional<GlyphPicture> print(const QRawFont& font, quint32 glyph, double fraction, double y) {
        // Room enough on either side of the glyph's box for what a slanted or emboldened face adds to it.
        const QRectF box = font.boundingRect(glyph);
        const int32_t margin = m_rows / 2 + 2;
        const int32_t width = int32_t(std::ceil(box.width())) + 2 * margin;
        const int32_t x = margin - int32_t(std::floor(box.left()));
        if (m_scratch.width() < width) {
            m_painter.reset();
            m_scratch = platform::newImage96(std::max(width, 2 * m_scratch.width()), m_rows);
            m_painter.emplace(&m_scratch);
            m_painter->setPen(Qt::black);
        }
        m_painter->setClipRect(QRect(0, 0, width, m_rows));
        m_painter->fillRect(QRect(0, 0, width, m_rows), Qt::white);
        QGlyphRun run;
        run.setRawFont(font);
        run.setGlyphIndexes({glyph});
        run.setPositions({QPointF(x + fraction, y)});
        m_painter->drawGlyphRun(QPointF(0, 0), run);

        int32_t first = width;
        int32_t last = -1;
        for (int32_t row = 0; row < m_rows; ++row) {
            const QRgb* pixels = reinterpret_cast<const QRgb*>(m_scratch.constScanLine(row));
            for (int32_t column = 0; column < width; ++column) {
                if (pixels[column] == qRgb(255, 255, 255))
                    continue;
                if (pixels[column] != qRgb(0, 0, 0) || column == 0 || column == width - 1)
                    return std::nullopt;
                first = std::min(first, column);
                last = std::max(last, column);
            }
        }
        GlyphPicture picture;
        if (last < first)
            return picture;
        picture.left = first - x;
        picture.width = last - first + 1;
        picture.words = (picture.width + 63) / 64;
        picture.bits.assign(size_t(picture.words) * size_t(m_rows), 0);
        for (int32_t row = 0; row < m_rows; ++row) {
            const QRgb* pixels = reinterpret_cast<const QRgb*>(m_scratch.constScanLine(row)) + first;
            uint64_t* bits = &picture.bits[size_t(row) * size_t(picture.words)];
            for (int32_t column = 0; column < picture.width; ++column)
                if (pixels[column] == qRgb(0, 0, 0))
                    bits[column / 64] |= uint64_t(1) << (column % 64);
        }
        return picture;
    }

    int32_t m_rows;
    std::vector<QRawFont> m_fonts;
    std::vector<std::vector<int32_t>> m_firstOfGlyph; // by font number and glyph: its first printed picture, or -1
    std::deque<Printed> m_printed;                    // kept in place: the line holds on to its pictures
    QImage m_scratch;
    std::optional<QPainter> m_painter;
};

// Lights, in a row of lit pixels (a bit each, columns wide), a row of a glyph's picture (words of bits) whose
// first column is left.
void lightRow(uint64_t* lit, int32_t columns, const uint64_t* bits, int32_t words, int32_t left) {
    for (int32_t word = 0; word < words; ++word) {
        uint64_t reached = bits[word];
        int32_t at = left + 64 * word;
        if (reached == 0 || at >= columns || at <= -64)
            continue;
        if (at < 0) {
            reached >>= -at;
            at = 0;
        }
        lit[at / 64] |= reached << (at % 64);
        if (at % 64 != 0 && at / 64 + 1 < (columns + 63) / 64)
            lit[at / 64 + 1] |= reached >> (64 - at % 64);
    }
}

// A glyph's picture where the line places it, in the colour of its character's run.
struct Placed {
    const GlyphPicture* picture;
    int32_t left;
    uint8_t colour;
};

} // namespace

std::vector<QRgb> mapColours(const MarkedText& message) {
    std::vector<QRgb> colours;
    colours.reserve(message.colourOf.size());
    for (const uint8_t number : message.colourOf)
        colours.push_back(qRgb(number, 0, 0));
    return colours;
}

ColourMap::ColourMap(const platform::Surface& printed)
    : m_columns(printed.ScaleWidth()), m_rows(printed.ScaleHeight()), m_columnColours(size_t(m_columns), Mixed),
      m_mixed(size_t(m_columns) * size_t(m_rows)), m_mixedWidth(m_columns) {
    const QImage& image = printed.image();
    for (int32_t y = 0; y < m_rows; ++y) {
        const QRgb* pixels = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        std::transform(pixels, pixels + m_columns, &m_mixed[size_t(y) * size_t(m_columns)],
                       [](QRgb pixel) { return uint8_t(qRed(pixel)); });
    }
}

ColourMap ColourMap::ofLine(const MarkedText& message, const QFont& font, QSize size, QSize reached) {
    const std::vector<QRgb> colours = mapColours(message);
    platform::Surface whole(size.width(), size.height(), qRgb(0, 0, 0));
    whole.setFont(font);
    const auto printWhole = [&] {
        whole.Print(message.text, colours);
        return ColourMap(whole);
    };
    Q_ASSERT(!font.underline() && !font.overline() && !font.strikeOut());

    ColourMap map;
    map.m_columns = std::max(std::min(size.width(), reached.width()), 0);
    map.m_rows = std::max(std::min(size.height(), reached.height()), 0);
    map.m_columnColours.assign(size_t(map.m_columns), 0);
    map.m_words = (map.m_columns + 63) / 64;
    map.m_lit.assign(size_t(map.m_words) * size_t(map.m_rows), 0);
    if (map.m_columns == 0 || map.m_rows == 0)
        return map;

    // Each glyph's picture into the lit pixels, its colour into the columns it reaches.
    const platform::ColouredLine line = whole.colouredLine(message.text, colours);
    GlyphPictures pictures(map.m_rows);
    std::vector<Placed> placed;
    for (const platform::ColouredLine::Run& run : line.runs) {
        const uint8_t colour = uint8_t(qRed(run.colour));
        for (const QGlyphRun& glyphs : run.glyphs) {
            const size_t font = pictures.fontNumber(glyphs.rawFont());
            const QList<quint32> indexes = glyphs.glyphIndexes();
            const QList<QPointF> positions = glyphs.positions();
            for (qsizetype i = 0; i < indexes.size(); ++i) {
                const QPointF position = line.origin + positions[i];
                const GlyphPicture* picture = pictures.at(font, indexes[i], position);
                if (!picture)
                    return printWhole();
                const int32_t left = int32_t(std::floor(position.x())) + picture->left;
                if (picture->width == 0 || left >= map.m_columns || left + picture->width <= 0)
                    continue;
                placed.push_back({picture, left, colour});
                for (int32_t row = 0; row < map.m_rows; ++row)
                    lightRow(&map.m_lit[size_t(row) * size_t(map.m_words)], map.m_columns,
                             &picture->bits[size_t(row) * size_t(picture->words)], picture->words, left);
                for (int32_t x = std::max(left, 0); x < std::min(left + picture->width, map.m_columns); ++x) {
                    uint16_t& columnColour = map.m_columnColours[size_t(x)];
                    columnColour = columnColour == 0 || columnColour == colour ? colour : Mixed;
                }
            }
        }
    }

    // Where colours meet, each pixel takes the earliest character's colour that lights it.
    const auto firstMixed = std::find(map.m_columnColours.begin(), map.m_columnColours.end(), Mixed);
    if (firstMixed == map.m_columnColours.end())
        return map;
    map.m_mixedLeft = int32_t(firstMixed - map.m_columnColours.begin());
    map.m_mixedWidth = map.m_columns - map.m_mixedLeft -
                       int32_t(std::find(map.m_columnColours.rbegin(), map.m_columnColours.rend(), Mixed) -
                               map.m_columnColours.rbegin());
    map.m_mixed.assign(size_t(map.m_mixedWidth) * size_t(map.m_rows), 0);
    for (const Placed& glyph : placed) {
        const int32_t from = std::max(glyph.left, map.m_mixedLeft);
        const int32_t to = std::min(glyph.left + glyph.picture->width, map.m_mixedLeft + map.m_mixedWidth);
        for (int32_t row = 0; row < map.m_rows; ++row) {
            const uint64_t* bits = &glyph.picture->bits[size_t(row) * size_t(glyph.picture->words)];
            uint8_t* mixed = &map.m_mixed[size_t(row) * size_t(map.m_mixedWidth)];
            for (int32_t x = from; x < to; ++x) {
                const int32_t column = x - glyph.left;
                if ((bits[column / 64] >> (column % 64)) & 1 && mixed[x - map.m_mixedLeft] == 0)
                    mixed[x - map.m_mixedLeft] = glyph.colour;
            }
        }
    }
    return map;
}

} // namespace board
