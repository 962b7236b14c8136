#pragma once

#include "board/markedtext.h"
#include "platform/surface.h"

#include <QFont>
#include <QRgb>
#include <QSize>

#include <cstdint>
#include <vector>

namespace board {

// The colour number of every UTF-16 unit of message, as a colour map holds it (in the red channel).
std::vector<QRgb> mapColours(const MarkedText& message);

// Where the lit cells of a coloured render take their colours from: the message printed once more over the mask,
// each character in its colour number (mapColours; where two characters' pixels meet, the earlier one's, as
// drawColouredText prints them), 0 where no character reaches.
class ColourMap {
public:
    // A map printed whole: the red channel of each pixel is its colour number.
    explicit ColourMap(const platform::Surface& printed);

    // The map of message printed on one line in font (which draws no lines along the text, as the mask's does not)
    // on a fresh surface of size, pixel for pixel; reached is what printing the line returns (see Surface::Print).
    // Printing it whole would draw every glyph again: here each different glyph is printed once, and the map is put
    // together from those pictures where the line places them. It is printed whole only when a picture cannot be
    // told exactly (a glyph in colours of its own, or one reaching far beyond its box).
    static ColourMap ofLine(const MarkedText& message, const QFont& font, QSize size, QSize reached);

    // The colour number at pixel (x, y), both at least 0.
    uint8_t at(int32_t x, int32_t y) const {
        if (x >= m_columns || y >= m_rows)
            return 0;
        const uint16_t colour = m_columnColours[size_t(x)];
        if (colour == Mixed)
            return m_mixed[size_t(y) * size_t(m_mixedWidth) + size_t(x - m_mixedLeft)];
        return (m_lit[size_t(y) * size_t(m_words) + size_t(x / 64)] >> (x % 64)) & 1 ? uint8_t(colour) : 0;
    }

private:
    ColourMap() = default;

    static constexpr uint16_t Mixed = 0x100; // beyond every colour number: characters of two colours reach the column

    int32_t m_columns = 0; // what the line reaches: nothing beyond it has a colour
    int32_t m_rows = 0;
    std::vector<uint16_t> m_columnColours; // each column's one colour, wherever it is lit, or Mixed
    int32_t m_words = 0;                   // 64-bit words in a row of m_lit
    std::vector<uint64_t> m_lit;           // the pixels a character lights, a bit each, row by row
    std::vector<uint8_t> m_mixed;          // each pixel's colour in the mixed columns, from m_mixedLeft, row by row
    int32_t m_mixedLeft = 0;
    int32_t m_mixedWidth = 0;
};

} // namespace board
