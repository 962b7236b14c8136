#pragma once

#include <QStringList>

namespace board {

// Clears list and fills it with the outline (TrueType and CFF) font families in the order the
// platform's font database gives them: not sorted, not de-duplicated beyond what the database does. A
// family that several foundries make is listed once for each foundry that made an outline file of it.
void GetFontList(QStringList& list);

} // namespace board
