#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <optional>
#include <unordered_map>
#include <vector>

namespace dotfont {

// What a bitmap font file says about itself: enough to group its files into faces without its glyphs.
struct FontInfo {
    QString foundry;         // "Efont", "Shinonome"
    QString family;          // "Biwidth", "Gothic"
    bool bold = false;       // WEIGHT_NAME "Bold" (or heavier)
    bool italic = false;     // SLANT "I" or "O"
    QString charsetRegistry; // "ISO10646", "JISX0208.1990"
    QString charsetEncoding; // "1", "0"
    int ascent = 0;          // pixels above the baseline of the font's line
    int descent = 0;         // pixels below it

    int lineHeight() const { return ascent + descent; }
    bool operator==(const FontInfo&) const = default;
};

// One glyph as a grid of bits, row by row from the top, each row (width + 7) / 8 bytes, most significant
// bit leftmost.
struct Glyph {
    int16_t left = 0;   // pixels from the pen position to the grid's left edge
    int16_t top = 0;    // pixels from the baseline up to the grid's top edge
    uint16_t width = 0; // grid size in pixels
    uint16_t height = 0;
    int16_t advance = 0; // how far the pen moves
    uint32_t bits = 0;   // offset of the first row in BitmapFont::bits

    int rowBytes() const { return (width + 7) / 8; }
};

// A bitmap font read whole: its description, its glyphs and the character each one draws.
struct BitmapFont {
    FontInfo info;
    std::vector<Glyph> glyphs;
    std::vector<uint8_t> bits;                          // every glyph's rows, one after the other
    std::unordered_map<uint32_t, uint32_t> byEncoding;  // the file's own character code -> glyph index
    std::unordered_map<char32_t, uint32_t> byCodePoint; // Unicode code point -> glyph index

    const Glyph* glyphFor(char32_t codePoint) const;
    bool pixel(const Glyph& glyph, int x, int y) const {
        return (bits[glyph.bits + size_t(y) * size_t(glyph.rowBytes()) + size_t(x / 8)] >> (7 - x % 8)) & 1;
    }
};

// Limits that keep a hostile file from taking the process down: a file is refused beyond them.
inline constexpr qsizetype MaxFontFileBytes = 64 * 1024 * 1024; // decompressed
inline constexpr int MaxGlyphSide = 1024;
inline constexpr size_t MaxGlyphs = size_t(1) << 20;
inline constexpr size_t MaxGlyphBitsBytes = 64 * 1024 * 1024;

// How much of a file to read: its description only (to list faces), or everything.
enum class ReadDepth { InfoOnly, Glyphs };

class FontContent;

// Reads a PCF or BDF font from its content, as far as the depth needs. A file that is not one, or that
// breaks the format or the limits above, gives nothing and a reason in English.
std::optional<BitmapFont> readPcf(FontContent& content, ReadDepth depth, QString& reason);
std::optional<BitmapFont> readBdf(FontContent& content, ReadDepth depth, QString& reason);

// Reads a PCF or BDF font, gzip-compressed or not, whichever its content says, and maps its characters
// to Unicode (charmap.h). Gives nothing and a reason when it cannot. The description alone is read
// from the start of the file only; it is the one that reading the whole file gives.
std::optional<BitmapFont> readBitmapFontBytes(const QByteArray& bytes, ReadDepth depth, QString& reason);
std::optional<BitmapFont> readBitmapFontFile(const QString& path, ReadDepth depth, QString& reason);

// Whether the bytes start like a PCF or a BDF file, or a gzip stream (which may hold either).
bool looksLikeBitmapFont(const QByteArray& head);

} // namespace dotfont
