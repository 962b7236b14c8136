#pragma once

#include <QFont>
#include <QGlyphRun>
#include <QImage>
#include <QList>
#include <QPointF>
#include <QSize>
#include <QString>

#include <cstdint>
#include <span>
#include <vector>

namespace platform {

// No surface may hold more pixels than this (512 MiB at 32 bits a pixel).
inline constexpr qint64 MaxSurfacePixels = qint64(1) << 27;

// True when a surface of w × h pixels is allowed.
bool surfaceSizeAllowed(qint64 width, qint64 height);

// A line of text laid out as drawColouredText draws it: its runs of characters of one colour, in text order, each
// with its glyphs placed from origin.
struct ColouredLine {
    struct Run {
        QRgb colour;
        QList<QGlyphRun> glyphs;
    };
    QPointF origin;
    std::vector<Run> runs;
};

// The persistent drawing image of a picture box: its inner area (frame not included), a background
// colour, a foreground colour, a font and a text position. Everything is in pixels at 96 dpi.
class Surface {
public:
    explicit Surface(int width = 0, int height = 0, QRgb backColor = qRgb(255, 255, 255));

    int ScaleWidth() const { return m_width; }
    int ScaleHeight() const { return m_height; }

    // Changes the size; what fits stays at the top left, new pixels take the background colour.
    // A size beyond MaxSurfacePixels raises error 7 and changes nothing.
    void resize(int width, int height);

    void Cls();                    // background colour all over, text position (0, 0)
    void setBackColor(QRgb color); // repaints the whole image in the new colour
    // Sets the background colour and hands over the whole image to a caller that paints every pixel of it:
    // its pixels are not painted in the background colour first. The text position goes back to (0, 0).
    QImage& repaint(QRgb backColor);
    QRgb backColor() const { return m_backColor; }
    void setForeColor(QRgb color) { m_foreColor = color; }
    QRgb foreColor() const { return m_foreColor; }
    void setFont(const QFont& font) { m_font = font; }
    const QFont& font() const { return m_font; }

    // One line of text at the text position in the font and foreground colour, without smoothing,
    // so glyph pixels are exactly the foreground colour; the position moves to the next line. Returns the part
    // of the surface, from its top-left corner, that the line may reach: as far right as its advance or its
    // glyphs' reach and a pixel more, down to the line's foot. A surface only Print has drawn on holds nothing
    // beyond what its lines reach.
    QSize Print(const QString& text);
    // The same line with each character in its own colour: colours[i] for text[i], in UTF-16 units (see
    // drawColouredText). Pixels no character reaches keep their colour.
    QSize Print(const QString& text, std::span<const QRgb> colours);
    // That coloured line laid out where Print would draw it next, without drawing it.
    ColouredLine colouredLine(const QString& text, std::span<const QRgb> colours) const;

    // The colour of one pixel with red in the low byte, or -1 outside the image.
    int32_t Point(int x, int y) const;

    // Replaces the image by a picture (converted to 32-bit RGB); the size follows the picture.
    void setPicture(const QImage& picture);

    // The whole picture, made whole first where only part of it was ever drawn.
    const QImage& image() const;
    QImage& image();

private:
    // Only the part at the top left that was drawn since the last Cls is kept: everything beyond it is the
    // background colour. A mask the size of a whole board then costs what its text covers, not a second
    // board. image() makes the picture whole when someone asks for all of it.
    void coverAtLeast(int width, int height) const;

    mutable QImage m_image; // null when nothing was drawn, or the surface has no pixels
    int m_width = 0;
    int m_height = 0;
    QRgb m_backColor;
    QRgb m_foreColor = qRgb(0, 0, 0);
    QFont m_font;
    int m_textY = 0;
};

// A plain rectangle copy (SRCCOPY). The rectangle is clipped to both surfaces; destination pixels
// with no source pixel keep their colour. Returns false when nothing could be copied.
bool BitBlt(Surface& destination, int x, int y, int width, int height, const Surface& source, int sourceX, int sourceY);

// The font as surfaces draw and measure text: no smoothing and full hinting, so glyph pixels are
// exactly the text colour and every run gives the same pixels.
QFont unsmoothedFont(const QFont& font);

// The font exactly as surfaces draw it: unsmoothed and at 96 dpi. What is asked of this font (the family that
// really draws, the characters it can draw) comes from the font engine the drawing itself loads, not from one
// more engine loaded for the screen.
QFont drawnFont(const QFont& font);

// Draws text on one line as QPainter::drawText draws it from the pen position (x, baseline) in font without
// smoothing, nowhere outside clip, each character in its own colour: colours[i] for text[i], in UTF-16 units (a
// character takes its first unit's). The glyphs are those drawText lays out for the whole line, so every pixel
// it would light is lit; where two characters' pixels meet, the earlier character's colour stays. Only a line
// break can move what follows it: Qt lays out no line across one, so here a break is a zero-width character,
// which lets a kerning pair around it close up by a pixel.
void drawColouredText(QImage& image, const QFont& font, int x, int baseline, const QString& text,
                      std::span<const QRgb> colours, const QRect& clip);

// A 32-bit RGB image of the given size at 96 dpi, the resolution every surface and measurement uses.
QImage newImage96(int width, int height);

} // namespace platform
