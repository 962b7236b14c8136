#pragma once

#include "scroll/animationsettings.h"

#include <QList>
#include <QRgb>

namespace scroll {

// The distinct colours of a sign's cell pictures (the colours of every frame): the lit picture's first, then
// the unlit picture's and the further colours', each picture's in the order they first appear row by row. Gathering
// stops after limit + 1 colours, enough to tell whether there are more than limit.
QList<QRgb> signColours(const Sign& sign, int limit);

// A palette of at most maxColours for the sign: its exact colours when there are no more, otherwise
// a median cut over the union of all its pictures' colours, each weighted by the pixels it covers: the
// box whose widest channel spans most is split at its weighted median along that channel until there
// are maxColours boxes, and each box contributes its weighted mean colour. Deterministic.
QList<QRgb> paletteFor(const Sign& sign, int maxColours);

// The sign with its cell pictures as indices into palette (Format_Indexed8), each pixel the nearest
// palette colour (smallest squared RGB distance, the lower index on a tie).
Sign indexedSign(const Sign& sign, const QList<QRgb>& palette);

} // namespace scroll
