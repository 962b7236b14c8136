#pragma once

#include <QFont>
#include <QList>
#include <QString>

namespace board {

// The characters of text, each once and in the order they first come, that font cannot draw even with
// the faces the system stands in with for it: they would show as empty boxes. Line breaks and other
// characters that show as nothing are not counted.
QList<char32_t> undrawableCharacters(const QFont& font, const QString& text);

} // namespace board
