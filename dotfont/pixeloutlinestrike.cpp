#include "dotfont/pixeloutlinestrike.h"

#include <QFont>
#include <QPainterPath>
#include <QPolygonF>

#include <algorithm>
#include <cmath>

namespace dotfont {

namespace {

// An italic face's rows move one dot right for every this many rows above the baseline.
constexpr int ItalicRise = 4;

struct Edge {
    double x0, y0, x1, y1;
};

struct Crossing {
    double x;
    int direction;
    bool operator<(const Crossing& other) const { return x < other.x; }
};

// Whether an edge lies nearer a whole pixel than half-way between two.
bool onWholePixel(double position) {
    const double fraction = position - std::floor(position);
    return std::min(fraction, 1 - fraction) < std::abs(fraction - 0.5);
}

// The lit samples of one row of the outline: a sample is inside when the edges crossing its row at or
// left of it wind around it (non-zero rule; a sample on an edge belongs to the shape right of the edge).
std::vector<bool> sampleRow(const std::vector<Edge>& edges, double y, double firstX, int count) {
    std::vector<Crossing> crossings;
    for (const Edge& edge : edges)
        if ((edge.y0 <= y) != (edge.y1 <= y))
            crossings.push_back(
                {edge.x0 + (y - edge.y0) * (edge.x1 - edge.x0) / (edge.y1 - edge.y0), edge.y1 > edge.y0 ? 1 : -1});
    std::sort(crossings.begin(), crossings.end());
    std::vector<bool> lit(size_t(count), false);
    int winding = 0;
    size_t next = 0;
    for (int i = 0; i < count; ++i) {
        const double x = firstX + i;
        for (; next < crossings.size() && crossings[next].x <= x; ++next)
            winding += crossings[next].direction;
        lit[size_t(i)] = winding != 0;
    }
    return lit;
}

} // namespace

PixelOutlineStrike::PixelOutlineStrike(const QString& family, int height, int ascent, bool bold, bool italic)
    : m_ascent(ascent), m_descent(height - ascent), m_bold(bold), m_italic(italic) {
    QFont font(family);
    font.setPixelSize(height);
    font.setHintingPreference(QFont::PreferNoHinting); // the design's outlines, as drawn
    font.setStyleStrategy(QFont::NoFontMerging);
    m_raw = QRawFont::fromFont(font);
}

bool PixelOutlineStrike::has(char32_t codePoint) const {
    const std::lock_guard lock(m_using);
    return hasCharacter(codePoint);
}

bool PixelOutlineStrike::hasCharacter(char32_t codePoint) const {
    return !isControl(codePoint) && m_raw.supportsCharacter(uint(codePoint));
}

int PixelOutlineStrike::advance(const QString& run) const {
    const std::lock_guard lock(m_using);
    int width = 0;
    for (const char32_t codePoint : run.toUcs4())
        if (hasCharacter(codePoint))
            width += glyph(codePoint).advance;
    return width;
}

void PixelOutlineStrike::draw(QImage& mask, int x, int baseline, const QString& run, QRgb color,
                              const QRect& clip) const {
    const std::lock_guard lock(m_using);
    const QRect area = clip & mask.rect();
    for (const char32_t codePoint : run.toUcs4()) {
        if (!hasCharacter(codePoint))
            continue;
        const Glyph sampled = glyph(codePoint);
        drawGlyph(mask, m_sampled, sampled, x, baseline, color, area);
        x += sampled.advance;
    }
}

Glyph PixelOutlineStrike::glyph(char32_t codePoint) const {
    if (const auto found = m_sampled.byCodePoint.find(codePoint); found != m_sampled.byCodePoint.end())
        return m_sampled.glyphs[found->second];
    const QList<quint32> indexes = m_raw.glyphIndexesForString(QString::fromUcs4(&codePoint, 1));
    m_sampled.glyphs.push_back(sample(indexes.isEmpty() ? 0 : indexes.front()));
    m_sampled.byCodePoint.emplace(codePoint, uint32_t(m_sampled.glyphs.size() - 1));
    return m_sampled.glyphs.back();
}

Glyph PixelOutlineStrike::sample(quint32 glyphIndex) const {
    // The outline in pixels from the pen position on the baseline, y downwards.
    const QPainterPath outline = m_raw.pathForGlyph(glyphIndex);
    std::vector<Edge> edges;
    for (const QPolygonF& polygon : outline.toSubpathPolygons())
        for (qsizetype i = 0; i < polygon.size(); ++i) {
            const QPointF from = polygon[i], to = polygon[(i + 1) % polygon.size()];
            if (from != to) // a closed polygon repeats its first point
                edges.push_back({from.x(), from.y(), to.x(), to.y()});
        }
    const QList<QPointF> advances = m_raw.advancesForGlyphIndexes(QList<quint32>{glyphIndex});
    const int advance = advances.isEmpty() ? 0 : std::clamp(int(std::lround(advances.front().x())), 0, MaxGlyphSide);

    // Where the dots' centres lie, by what most of the glyph's straight edges say: edges on whole pixels
    // make dots that are the pixels, sampled at their centres; edges half-way make dots centred on whole
    // pixels, sampled there (the pixel's left edge across, its bottom edge down).
    int wholeX = 0, halfX = 0, wholeY = 0, halfY = 0;
    for (const Edge& edge : edges) {
        if (edge.x0 == edge.x1)
            ++(onWholePixel(edge.x0) ? wholeX : halfX);
        else if (edge.y0 == edge.y1)
            ++(onWholePixel(edge.y0) ? wholeY : halfY);
    }
    const double sampleX = halfX > wholeX ? 0.0 : 0.5; // from the pixel's left edge
    const double sampleY = halfY > wholeY ? 1.0 : 0.5; // from its top edge, downwards

    // Every row of the line; the columns the outline reaches, and the pen's cell.
    const QRectF bounds = outline.boundingRect();
    const int firstColumn = std::clamp(int(std::floor(bounds.left() - sampleX)), -MaxGlyphSide, 0);
    const int endColumn = std::clamp(int(std::ceil(bounds.right() - sampleX)) + 1, advance, MaxGlyphSide);
    const int height = m_ascent + m_descent;
    // Rows slant right with their height above the baseline; a bold dot lights its right neighbour too.
    const auto slant = [&](int row) { return m_italic ? int(std::floor(double(m_ascent - 1 - row) / ItalicRise)) : 0; };
    const int leftmostShift = std::min(slant(0), slant(height - 1)),
              rightmostShift = std::max(slant(0), slant(height - 1));
    const int width = endColumn - firstColumn + (rightmostShift - leftmostShift) + (m_bold ? 1 : 0);

    Glyph glyph;
    glyph.left = int16_t(firstColumn + leftmostShift);
    glyph.top = int16_t(m_ascent);
    glyph.width = uint16_t(width);
    glyph.height = uint16_t(height);
    glyph.advance = int16_t(advance + (m_bold ? 1 : 0));
    glyph.bits = uint32_t(m_sampled.bits.size());
    m_sampled.bits.resize(m_sampled.bits.size() + size_t(glyph.rowBytes()) * size_t(height), 0);
    uint8_t* bits = m_sampled.bits.data() + glyph.bits;
    for (int row = 0; row < height; ++row) {
        const std::vector<bool> lit =
            sampleRow(edges, row - m_ascent + sampleY, firstColumn + sampleX, endColumn - firstColumn);
        const int shift = slant(row) - leftmostShift;
        for (int i = 0; i < int(lit.size()); ++i)
            if (lit[size_t(i)])
                for (int column = i + shift; column <= i + shift + (m_bold ? 1 : 0); ++column)
                    bits[size_t(row) * size_t(glyph.rowBytes()) + size_t(column / 8)] |= uint8_t(0x80 >> (column % 8));
    }
    return glyph;
}

} // namespace dotfont
