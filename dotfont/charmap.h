#pragma once

#include "dotfont/bitmapfont.h"

#include <QString>

namespace dotfont {

// Fills font.byCodePoint from font.byEncoding by the font's character set (CHARSET_REGISTRY and
// CHARSET_ENCODING). Unicode and Latin-1 fonts map as they stand; JIS X 0208 (kanji, two bytes),
// JIS X 0201 (half-width kana and Roman), GB 2312 and KS C 5601 go through the C library's converter
// by their EUC form; any other one-byte set goes through the converter by its own name. Gives false
// and a reason when the converter does not know the set.
bool mapToUnicode(BitmapFont& font, QString& reason);

} // namespace dotfont
