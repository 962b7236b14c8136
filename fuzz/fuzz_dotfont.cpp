// The bitmap font readers (PCF, BDF, either gzip-compressed), fed the whole file, then every glyph they
// give drawn into a small mask through the strike the panel draws with; and the description read alone,
// from the start of the file only. A file refused says why; a file read gives glyphs whose rows lie
// inside the font's bits, characters that name real glyphs, the same font when read again, and the
// description the start of the file gives.

#include "fuzzfiles.h"

#include "dotfont/bitmapfont.h"
#include "dotfont/strike.h"
#include "platform/surface.h"

#include <memory>

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::startGuiApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray input = fuzz::inputBytes(data, size);
    QString reason;
    auto font = dotfont::readBitmapFontBytes(input, dotfont::ReadDepth::Glyphs, reason);
    QString whyNotDescribed;
    const auto described = dotfont::readBitmapFontBytes(input, dotfont::ReadDepth::InfoOnly, whyNotDescribed);
    fuzz::require(described || !whyNotDescribed.isEmpty(), "a refused description says why");
    if (!font) {
        fuzz::require(!reason.isEmpty(), "a refused font says why");
        return 0;
    }
    // The start of a file is inflated by another decompressor than the whole: one may refuse a stream
    // the other reads, but what both read is the same.
    fuzz::require(!described || described->info == font->info, "the description read alone is the whole read's");
    for (const dotfont::Glyph& glyph : font->glyphs)
        fuzz::require(size_t(glyph.bits) + size_t(glyph.rowBytes()) * glyph.height <= font->bits.size(),
                      "every glyph's rows lie inside the font's bits");
    for (const auto& [codePoint, glyph] : font->byCodePoint)
        fuzz::require(glyph < font->glyphs.size(), "every character names a glyph of the font");
    QString again;
    const auto second = dotfont::readBitmapFontBytes(input, dotfont::ReadDepth::Glyphs, again);
    fuzz::require(second && second->bits == font->bits && second->byCodePoint == font->byCodePoint,
                  "a font reads the same every time");

    // Drawn at the mask's edges and in its middle, clipped to a band: nothing is written outside it.
    QString text;
    for (const auto& [codePoint, glyph] : font->byCodePoint)
        if (text.size() < 64)
            text += QString::fromUcs4(&codePoint, 1);
    const int ascent = font->info.ascent, descent = font->info.descent;
    const dotfont::BitmapStrike strike({std::make_shared<const dotfont::BitmapFont>(std::move(*font))}, ascent,
                                       descent);
    QImage mask = platform::newImage96(48, 24);
    const QRgb white = qRgb(255, 255, 255), black = qRgb(0, 0, 0);
    const QRect band(0, 8, 48, 8);
    for (const int x : {-20, 0, 40})
        for (const int baseline : {-5, 12, 30}) {
            mask.fill(white);
            strike.draw(mask, x, baseline, text, black, band);
            for (int y = 0; y < mask.height(); ++y)
                for (int column = 0; column < mask.width(); ++column)
                    fuzz::require(band.contains(column, y) || mask.pixel(column, y) == white,
                                  "a glyph is never drawn outside its band");
        }
    (void)strike.advance(text);
    return 0;
}
