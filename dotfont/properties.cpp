#include "dotfont/properties.h"

#include <QStringList>

namespace dotfont::properties {

namespace {

bool isBoldWeight(const QString& weight) {
    const QString lower = weight.toLower();
    return lower.contains(QLatin1String("bold")) || lower == QLatin1String("black") || lower == QLatin1String("heavy");
}

bool isItalicSlant(const QString& slant) {
    return slant.compare(QLatin1String("I"), Qt::CaseInsensitive) == 0 ||
           slant.compare(QLatin1String("O"), Qt::CaseInsensitive) == 0;
}

// Ascent and descent are kept within what a glyph may be, so their sum is always a usable height.
std::optional<int> metric(const QString& value) {
    bool ok = false;
    const int number = value.toInt(&ok);
    return ok && number >= -MaxGlyphSide && number <= MaxGlyphSide ? std::optional<int>(number) : std::nullopt;
}

} // namespace

void apply(FontInfo& info, const QByteArray& name, const QString& value, bool& ascentSet, bool& descentSet) {
    if (name == "FOUNDRY")
        info.foundry = value;
    else if (name == "FAMILY_NAME")
        info.family = value;
    else if (name == "WEIGHT_NAME")
        info.bold = isBoldWeight(value);
    else if (name == "SLANT")
        info.italic = isItalicSlant(value);
    else if (name == "CHARSET_REGISTRY")
        info.charsetRegistry = value;
    else if (name == "CHARSET_ENCODING")
        info.charsetEncoding = value;
    else if (name == "FONT_ASCENT" && metric(value)) {
        info.ascent = *metric(value);
        ascentSet = true;
    } else if (name == "FONT_DESCENT" && metric(value)) {
        info.descent = *metric(value);
        descentSet = true;
    }
}

void completeFromFontName(FontInfo& info, const QString& fontName) {
    const QStringList fields = fontName.split(QLatin1Char('-'));
    if (fields.size() != 15 || !fields[0].isEmpty())
        return; // not an X logical font name
    if (info.foundry.isEmpty())
        info.foundry = fields[1];
    if (info.family.isEmpty())
        info.family = fields[2];
    if (!info.bold)
        info.bold = isBoldWeight(fields[3]);
    if (!info.italic)
        info.italic = isItalicSlant(fields[4]);
    if (info.charsetRegistry.isEmpty())
        info.charsetRegistry = fields[13];
    if (info.charsetEncoding.isEmpty())
        info.charsetEncoding = fields[14];
}

} // namespace dotfont::properties
