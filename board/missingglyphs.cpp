#include "board/missingglyphs.h"

#include "platform/surface.h"

#include <QFontMetrics>
#include <QSet>

namespace board {

namespace {

// Characters that draw nothing at all, so no font lacks them: controls (line breaks among them), format
// characters (joiners, marks of direction), and variation selectors.
bool showsAsNothing(char32_t character) {
    switch (QChar::category(character)) {
    case QChar::Other_Control:
    case QChar::Other_Format:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
        return true;
    default:
        return (character >= 0xFE00 && character <= 0xFE0F) || (character >= 0xE0100 && character <= 0xE01EF);
    }
}

} // namespace

QList<char32_t> undrawableCharacters(const QFont& font, const QString& text) {
    // The metrics of a font cover its fallback faces too, as its drawing does.
    const QFontMetrics metrics(platform::drawnFont(font));
    QList<char32_t> missing;
    QSet<char32_t> seen;
    for (const char32_t character : text.toUcs4()) {
        if (showsAsNothing(character) || seen.contains(character))
            continue;
        seen.insert(character);
        if (!metrics.inFontUcs4(character))
            missing.append(character);
    }
    return missing;
}

} // namespace board
