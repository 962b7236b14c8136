#pragma once

#include "dotfont/bitmapfont.h"

#include <QByteArray>
#include <QString>

// What the PCF and BDF readers share: the font properties that matter here, and the rules that fill
// what a file leaves out.
namespace dotfont::properties {

// Takes one property of the file (name as written, value without quotes) into info where it is one
// that matters; FONT_ASCENT and FONT_DESCENT count only when they are sane.
void apply(FontInfo& info, const QByteArray& name, const QString& value, bool& ascentSet, bool& descentSet);

// Fills what the properties left out from the font's X logical font name
// ("-foundry-family-weight-slant-...-registry-encoding").
void completeFromFontName(FontInfo& info, const QString& fontName);

} // namespace dotfont::properties
