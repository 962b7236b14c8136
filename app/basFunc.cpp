#include "app/basFunc.h"

#include "platform/errors.h"
#include "platform/numbers.h"
#include "platform/profile.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>

#include <sys/stat.h>

namespace app {

namespace {

// Values are read into a fixed buffer of this size, so at most one byte less comes back.
constexpr int iniBufferSize = 255;

} // namespace

QString ReadIni(QString section, QString key, QString defaultValue, QString file) {
    QString buffer;
    if (platform::GetPrivateProfileString(section, key, defaultValue, buffer, iniBufferSize, file) == 0)
        return QString();
    return TrimNull(buffer);
}

int16_t WriteIni(QString section, QString key, QString value, QString file) {
    return platform::WritePrivateProfileString(section, key, value, file) ? -1 : 0;
}

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

QString FileExtension(const QString& fileName) {
    return fileName.right(4).toUpper();
}

int16_t FindLast(const QString& text, const QString& part) {
    if (text.isEmpty() || part.isEmpty())
        return 0;
    return platform::toInt16(double(text.lastIndexOf(part)) + 1);
}

int16_t CheckFile(const QString& path) {
    if (path.trimmed().isEmpty())
        return 1;
    struct stat status {};
    if (::stat(QFile::encodeName(path).constData(), &status) == 0)
        return S_ISDIR(status.st_mode) ? 2 : (status.st_size == 0 ? 3 : 0);
    switch (errno) {
    case ENOENT:
        // A missing file in an existing folder is simply new; a missing folder is an error.
        if (QFileInfo(QFileInfo(path).absolutePath()).isDir())
            return 2;
        platform::raiseError(platform::ErrPathNotFound);
    case ENOTDIR:
        platform::raiseError(platform::ErrPathNotFound);
    default:
        platform::raiseError(platform::ErrPathFileAccess);
    }
}

} // namespace app
