#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// INI profile files: "[section]" lines, "key=value" lines, ";" comments.
// Names match without regard to case; the first matching section, and in it the first matching key, wins.
// Files are read as UTF-8, or as CP932 when they are not valid UTF-8, and always written as UTF-8.
namespace platform {

// No settings file is this large; refusing bigger ones keeps a wrong path from filling memory, and refusing
// to rewrite them means nothing in them is ever lost.
inline constexpr qint64 MaxProfileBytes = 16 * 1024 * 1024;

// A profile file's text, read once, to look up any number of keys the way GetPrivateProfileString does.
class Profile {
public:
    Profile() = default; // no file: every key gives its default
    static Profile fromBytes(const QByteArray& bytes);
    // Empty when the file is not a readable regular file of at most MaxProfileBytes.
    static Profile fromFile(const QString& file);

    // As GetPrivateProfileString, from this text.
    int value(const QString& section, const QString& key, const QString& defaultValue, QString& buffer, int size) const;

private:
    QStringList m_lines;
};

// Copies the value of key in section (or defaultValue when the file, section or key is missing) into buffer,
// cut to at most size-1 bytes of UTF-8 on a character boundary; returns that byte count.
int GetPrivateProfileString(const QString& section, const QString& key, const QString& defaultValue, QString& buffer,
                            int size, const QString& file);

// Sets key in section to value, creating the file, the section (at the end of the file) or the key (after the last
// key of its section) as needed. The whole file is replaced atomically; true on success. A file that cannot be read
// whole, holds bytes that are neither UTF-8 nor CP932, or is read-only is left as it is (false).
bool WritePrivateProfileString(const QString& section, const QString& key, const QString& value, const QString& file);

struct ProfileEntry {
    QString section;
    QString key;
    QString value;
};
// Sets several keys in one rewrite of the file, in order, as that many single writes would. An entry that
// cannot be written (a line break in it, "=" in its key) is passed over. Returns how many were set: 0 when the
// file was left as it is.
int WritePrivateProfileStrings(const QList<ProfileEntry>& entries, const QString& file);

} // namespace platform
