#pragma once

#include <QString>

#include <cstdint>

namespace app {

// The value of key in section of the profile file, or defaultValue; at most 254 bytes of UTF-8.
QString ReadIni(QString section, QString key, QString defaultValue, QString file);
// Sets key in section of the profile file: -1 on success, 0 on failure.
int16_t WriteIni(QString section, QString key, QString value, QString file);

// path ending in the directory separator "/", which is added when missing ("" gives "/").
QString AddBackslash(QString path);
// The text before its first NUL character, or the whole text.
QString TrimNull(QString text);
// Field n of text, fields counted from 1 and ended by separator; "" past the last field. For n of 1 or
// less, the text before the first separator.
QString GetField(const QString& text, int16_t n, const QString& separator);

// How the program tells a file's type: the last four characters of its name, upper-cased (".PNG").
QString FileExtension(const QString& fileName);

// The 1-based position of the last occurrence of part in text (exact case); 0 when there is none or
// either text is empty.
int16_t FindLast(const QString& text, const QString& part);

// What a save target is: 0 an existing file that is not empty, 1 an empty or blank name, 2 no such
// file, 3 an existing empty file. Any other trouble (a folder that does not exist, a name the system
// refuses) raises the run-time error that describes it.
int16_t CheckFile(const QString& path);

} // namespace app
