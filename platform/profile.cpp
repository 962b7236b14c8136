#include "platform/profile.h"

#include "platform/atomicfile.h"
#include "platform/wholefile.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QStringList>

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <optional>

namespace platform {

namespace {

const QByteArray utf8Bom = QByteArrayLiteral("\xEF\xBB\xBF");

// A file as lines without their endings, plus what it takes to write it back in the same style.
struct ProfileText {
    QStringList lines;
    bool hasBom = false;
    bool crlf = false;
    bool lossless = true; // false when some bytes were neither UTF-8 nor CP932: writing back would lose them
};

// Where a key sits: line indexes, -1 when absent.
struct Location {
    qsizetype section = -1; // header of the first matching section
    qsizetype key = -1;     // first matching key line in that section
    qsizetype lastKey = -1; // last key line of that section, or its header when it has none
};

// Japanese Windows writes these files in CP932; bytes that do not map become U+FFFD instead of failing the read,
// and lossless tells whether any did.
QString decodeCp932(QByteArray bytes, bool& lossless) {
    const iconv_t converter = iconv_open("UTF-8", "CP932");
    if (converter == iconv_t(-1)) {
        lossless = false;
        return QString::fromUtf8(bytes);
    }
    QByteArray utf8;
    char* in = bytes.data();
    size_t inLeft = size_t(bytes.size());
    char chunk[4096];
    while (inLeft > 0) {
        char* out = chunk;
        size_t outLeft = sizeof chunk;
        const size_t converted = iconv(converter, &in, &inLeft, &out, &outLeft);
        utf8.append(chunk, out - chunk);
        if (converted == size_t(-1) && errno != E2BIG) {
            lossless = false;
            utf8.append("\xEF\xBF\xBD");
            ++in;
            --inLeft;
        }
    }
    iconv_close(converter);
    return QString::fromUtf8(utf8);
}

QString decodeText(const QByteArray& bytes, bool& lossless) {
    // Stateless flags a sequence cut off at the end; ConvertInitialBom keeps a second BOM as text, so it survives.
    QStringDecoder utf8(QStringConverter::Utf8,
                        QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
    const QString text = utf8(bytes);
    return utf8.hasError() ? decodeCp932(bytes, lossless) : text;
}

// The file's bytes, or nothing when it is not a readable regular file of sensible size. A file that grew
// while it was read is being written by someone and is left alone.
std::optional<QByteArray> readFileBytes(const QString& file) {
    WholeFile read = readWholeFile(file, MaxProfileBytes, FileKinds::RegularOnly);
    if (!read.ok())
        return std::nullopt;
    return std::move(read.bytes);
}

ProfileText parseProfile(QByteArray bytes) {
    ProfileText text;
    text.hasBom = bytes.startsWith(utf8Bom);
    if (text.hasBom)
        bytes.remove(0, utf8Bom.size());
    const qsizetype firstNewline = bytes.indexOf('\n');
    text.crlf = firstNewline > 0 && bytes.at(firstNewline - 1) == '\r';

    const QString content = decodeText(bytes, text.lossless);
    text.lines = content.split(u'\n');
    if (content.isEmpty() || content.endsWith(u'\n'))
        text.lines.removeLast(); // the empty piece after the final line ending is not a line
    for (QString& line : text.lines) {
        if (line.endsWith(u'\r'))
            line.chop(1);
    }
    return text;
}

bool isBlank(QChar c) {
    return c == u' ' || c == u'\t';
}

QStringView trimBlanks(QStringView text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;
    return text.sliced(begin, end - begin);
}

// The name runs up to the first "]"; what follows it on the line (usually a comment) is not part of it.
std::optional<QStringView> sectionName(QStringView line) {
    const QStringView text = trimBlanks(line);
    const qsizetype close = text.indexOf(u']');
    if (!text.startsWith(u'[') || close < 0)
        return std::nullopt;
    return trimBlanks(text.sliced(1, close - 1));
}

std::optional<QStringView> keyName(QStringView line) {
    const QStringView text = trimBlanks(line);
    const qsizetype equals = text.indexOf(u'=');
    if (text.startsWith(u';') || equals < 0)
        return std::nullopt;
    return trimBlanks(text.first(equals));
}

QString valueOf(QStringView line) {
    QStringView value = trimBlanks(line.sliced(line.indexOf(u'=') + 1));
    if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') && value.back() == value.front())
        value = value.sliced(1, value.size() - 2);
    return value.toString();
}

bool sameName(QStringView a, QStringView b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

Location locate(const QStringList& lines, QStringView section, QStringView key) {
    Location found;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (const auto name = sectionName(lines[i])) {
            if (found.section >= 0)
                break; // later sections of the same name are shadowed by the first
            if (sameName(*name, section))
                found.section = found.lastKey = i;
            continue;
        }
        if (found.section < 0)
            continue;
        if (const auto name = keyName(lines[i])) {
            found.lastKey = i;
            if (found.key < 0 && sameName(*name, key))
                found.key = i;
        }
    }
    return found;
}

// The longest start of text that fits in limit bytes of UTF-8 without splitting a character.
QByteArray utf8Prefix(const QString& text, qsizetype limit) {
    QByteArray bytes = text.toUtf8();
    if (bytes.size() <= limit)
        return bytes;
    qsizetype end = std::max<qsizetype>(limit, 0);
    while (end > 0 && (uchar(bytes.at(end)) & 0xC0) == 0x80)
        --end; // bytes[end] continues a character that started before the cut
    bytes.truncate(end);
    return bytes;
}

bool saveProfile(const ProfileText& text, const QString& file) {
    const QByteArray lineEnd = text.crlf ? QByteArrayLiteral("\r\n") : QByteArrayLiteral("\n");
    QByteArray bytes = text.hasBom ? utf8Bom : QByteArray();
    for (const QString& line : text.lines)
        bytes += line.toUtf8() + lineEnd;
    // Only ever replaced whole: a settings file rewritten in place and cut short by a full device would
    // lose what it held, and nobody would be told.
    AtomicFile output(file, AtomicFile::InPlace::Refused);
    if (!output.open(QIODevice::WriteOnly))
        return false;
    return output.write(bytes) == bytes.size() && output.commit();
}

} // namespace

Profile Profile::fromBytes(const QByteArray& bytes) {
    Profile profile;
    profile.m_lines = parseProfile(bytes).lines;
    return profile;
}

Profile Profile::fromFile(const QString& file) {
    const auto bytes = readFileBytes(file);
    return bytes ? fromBytes(*bytes) : Profile();
}

int Profile::value(const QString& section, const QString& key, const QString& defaultValue, QString& buffer,
                   int size) const {
    QString value = defaultValue;
    const Location at = locate(m_lines, section, key);
    if (at.key >= 0)
        value = valueOf(m_lines.at(at.key));
    const QByteArray cut = utf8Prefix(value, qsizetype(size) - 1);
    // Not fromUtf8, which drops a leading U+FEFF: a value may begin with one, and the count must match the text.
    buffer = QStringDecoder(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom).decode(cut);
    return int(cut.size());
}

int GetPrivateProfileString(const QString& section, const QString& key, const QString& defaultValue, QString& buffer,
                            int size, const QString& file) {
    return Profile::fromFile(file).value(section, key, defaultValue, buffer, size);
}

bool WritePrivateProfileString(const QString& section, const QString& key, const QString& value, const QString& file) {
    return WritePrivateProfileStrings({{section, key, value}}, file) == 1;
}

int WritePrivateProfileStrings(const QList<ProfileEntry>& entries, const QString& file) {
    // A line break would split the entry into lines that read back as something else, even as other keys.
    const auto hasLineBreak = [](const QString& text) { return text.contains(u'\n') || text.contains(u'\r'); };
    const auto writable = [&](const ProfileEntry& entry) {
        return !hasLineBreak(entry.section) && !hasLineBreak(entry.key) && !hasLineBreak(entry.value) &&
               !entry.key.contains(u'=');
    };

    ProfileText text;
    if (QFileInfo::exists(file)) {
        const auto bytes = readFileBytes(file);
        if (!bytes)
            return 0; // rewriting what could not be read would lose it
        text = parseProfile(*bytes);
        if (!text.lossless)
            return 0; // nor may bytes that could not be decoded be written back as U+FFFD
    }
    int set = 0;
    for (const ProfileEntry& entry : entries) {
        if (!writable(entry))
            continue;
        const Location at = locate(text.lines, entry.section, entry.key);
        const QString line = entry.key + u'=' + entry.value;
        if (at.key >= 0)
            text.lines[at.key] = line;
        else if (at.section >= 0)
            text.lines.insert(at.lastKey + 1, line);
        else
            text.lines << u'[' + entry.section + u']' << line;
        ++set;
    }
    if (set == 0)
        return 0;
    return saveProfile(text, file) ? set : 0;
}

} // namespace platform
