#include "platform/text.h"

#include "platform/numbers.h"

namespace platform {

QString AddBackslash(QString path) {
    if (!path.endsWith(u'/'))
        path += u'/';
    return path;
}

QString TrimNull(QString text) {
    const qsizetype nul = text.indexOf(QChar(0));
    if (nul >= 0)
        text.truncate(nul);
    return text;
}

QString GetField(const QString& text, int16_t n, const QString& separator) {
    qsizetype start = 0;
    for (int field = 2; field <= n; ++field) {
        const qsizetype found = text.indexOf(separator, start);
        if (found < 0)
            return QString();
        start = found + 1;
    }
    if (n >= 2)
        start += separator.size() - 1; // just behind the last separator found
    const qsizetype end = text.indexOf(separator, start);
    if (end < 0)
        return text.mid(start);
    return text.mid(start, end - start);
}

int16_t FindLast(const QString& text, const QString& part) {
    if (text.isEmpty() || part.isEmpty())
        return 0;
    return toInt16(double(text.lastIndexOf(part)) + 1);
}

} // namespace platform
