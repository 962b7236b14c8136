#pragma once

#include <QString>

#include <cstdint>

// Small string routines shared by the settings store, the dialogs and the save command.
namespace platform {

// path ending in the directory separator "/", which is added when missing ("" gives "/").
QString AddBackslash(QString path);
// The text before its first NUL character, or the whole text.
QString TrimNull(QString text);
// Field n of text, fields counted from 1 and ended by separator; "" past the last field. For n of 1 or
// less, the text before the first separator.
QString GetField(const QString& text, int16_t n, const QString& separator);
// The 1-based position of the last occurrence of part in text (exact case); 0 when there is none or
// either text is empty.
int16_t FindLast(const QString& text, const QString& part);

} // namespace platform
