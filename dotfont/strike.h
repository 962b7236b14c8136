#pragma once

#include "dotfont/bitmapfont.h"

#include <QFont>
#include <QImage>
#include <QRawFont>
#include <QRect>
#include <QString>

#include <memory>
#include <span>
#include <vector>

namespace dotfont {

// One face at one pixel size: what a line of the panel is drawn with. Its line is ascent + descent
// pixels high; runs of characters it has are measured and drawn at a pen position on the baseline, in
// one colour and nothing else (no smoothing), never outside the clip rectangle.
class Strike {
public:
    virtual ~Strike() = default;
    virtual int ascent() const = 0;
    virtual int descent() const = 0;
    // Whether the strike draws the character itself (line breaks and other controls never count).
    virtual bool has(char32_t codePoint) const = 0;
    // Whether a character it does not have is still handed to it (Qt then draws it its own way).
    virtual bool drawsWhatItLacks() const { return false; }
    virtual int advance(const QString& run) const = 0;
    virtual void draw(QImage& mask, int x, int baseline, const QString& run, QRgb color, const QRect& clip) const = 0;
    // Lights the pixels draw() lights, each character's in its own colour: colours[i] for run[i], in UTF-16
    // units (a character takes its first unit's). Where two characters' pixels meet, the earlier one's colour
    // stays. Strikes whose characters stand one after the other, each its advance on, draw them one by one.
    virtual void drawColoured(QImage& image, int x, int baseline, const QString& run, std::span<const QRgb> colours,
                              const QRect& clip) const;

    int lineHeight() const { return ascent() + descent(); }
};

// The glyphs of bitmap fonts of one design height, the first font that has a character drawing it
// (a face's half-width and full-width files together).
class BitmapStrike : public Strike {
public:
    // The line is the design's (ascent and descent as the face lists them), whatever fonts loaded.
    BitmapStrike(std::vector<std::shared_ptr<const BitmapFont>> fonts, int ascent, int descent);

    int ascent() const override { return m_ascent; }
    int descent() const override { return m_descent; }
    bool has(char32_t codePoint) const override { return glyph(codePoint) != nullptr; }
    int advance(const QString& run) const override;
    void draw(QImage& mask, int x, int baseline, const QString& run, QRgb color, const QRect& clip) const override;

private:
    struct Found {
        const BitmapFont* font;
        const Glyph* glyph;
    };
    std::optional<Found> found(char32_t codePoint) const;
    const Glyph* glyph(char32_t codePoint) const;

    std::vector<std::shared_ptr<const BitmapFont>> m_fonts;
    int m_ascent = 0;
    int m_descent = 0;
};

// An outline face drawn through Qt as the mask is drawn everywhere (no smoothing, full hinting, 96 dpi),
// at a pixel size, with Qt's fallback to other fonts for what it lacks. Its line is what Qt measures.
class QtStrike : public Strike {
public:
    static std::unique_ptr<QtStrike> outline(const QFont& font, int pixelSize);

    int ascent() const override { return m_ascent; }
    int descent() const override { return m_descent; }
    bool has(char32_t codePoint) const override;
    bool drawsWhatItLacks() const override { return true; }
    int advance(const QString& run) const override;
    void draw(QImage& mask, int x, int baseline, const QString& run, QRgb color, const QRect& clip) const override;
    void drawColoured(QImage& image, int x, int baseline, const QString& run, std::span<const QRgb> colours,
                      const QRect& clip) const override;

    const QFont& font() const { return m_font; }

private:
    explicit QtStrike(const QFont& font);

    QFont m_font;
    QRawFont m_raw;  // the font itself, without fallbacks: what it has
    QImage m_device; // 96 dpi, for measuring
    int m_ascent = 0;
    int m_descent = 0;
};

// Line breaks (CR, LF) and other control characters: no glyph, no advance, never missing.
bool isControl(char32_t codePoint);

// Lights the glyph's pixels in color, its pen at x on the baseline, nowhere outside area (which lies
// inside the mask).
void drawGlyph(QImage& mask, const BitmapFont& font, const Glyph& glyph, int x, int baseline, QRgb color,
               const QRect& area);

} // namespace dotfont
