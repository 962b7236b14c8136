#pragma once

#include "dotfont/strike.h"

#include <QRawFont>
#include <QString>

#include <mutex>

namespace dotfont {

// A pixel outline face at its design height, drawn as the bitmap design its outlines are made of. A
// glyph's dots lie on the grid of whole pixels, or, in a glyph centred in its cell, on that grid moved
// half a pixel (DotGothic16's 15-dot kanji in a 16-pixel em). Each glyph's outline is sampled once per
// pixel of the line, at the centre of the dot there, so that every lit pixel is one dot of the design
// whatever the font's hinting, the rasterizer's rules or how far a dot reaches past its square; a
// glyph on the moved grid is drawn half a pixel right and up. Nothing is smoothed, scaled or
// emboldened unless asked: a face asked to be bold lights each dot's right neighbour too (one dot
// wider), one asked to be italic slants its rows one dot every four rows. What the face lacks is not
// drawn (its stand-ins are faces of its own height). A strike keeps the glyphs it has sampled, so its face
// keeps it from render to render; threads take turns with it.
class PixelOutlineStrike : public Strike {
public:
    PixelOutlineStrike(const QString& family, int height, int ascent, bool bold, bool italic);

    int ascent() const override { return m_ascent; }
    int descent() const override { return m_descent; }
    bool has(char32_t codePoint) const override;
    int advance(const QString& run) const override;
    void draw(QImage& mask, int x, int baseline, const QString& run, QRgb color, const QRect& clip) const override;

private:
    bool hasCharacter(char32_t codePoint) const;
    // The glyph of a character the face has, sampled on first use.
    Glyph glyph(char32_t codePoint) const;
    Glyph sample(quint32 glyphIndex) const;

    QRawFont m_raw;
    int m_ascent;
    int m_descent;
    bool m_bold;
    bool m_italic;
    mutable std::mutex m_using;   // the font and what is sampled, one thread at a time
    mutable BitmapFont m_sampled; // the glyphs sampled so far, by code point
};

} // namespace dotfont
