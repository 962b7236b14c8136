// The Glyph Bitmap Distribution Format: text lines of keywords. The header's properties describe the
// font; each glyph between STARTCHAR and ENDCHAR gives its code (ENCODING), its advance (DWIDTH), its
// grid and where it sits (BBX) and its rows in hexadecimal (BITMAP). Lines are read from the content
// only as far as they are needed: describing a font needs its header.

#include "dotfont/bitmapfont.h"
#include "dotfont/fontcontent.h"
#include "dotfont/properties.h"

#include <QList>

#include <algorithm>
#include <cctype>

namespace dotfont {

namespace {

constexpr qsizetype MaxLineBytes = 64 * 1024;
constexpr qsizetype ReadStep = 16 * 1024;

class BdfReader {
public:
    BdfReader(FontContent& content, QString& reason) : m_content(content), m_reason(reason) {}

    std::optional<BitmapFont> read(ReadDepth depth) {
        QByteArray line;
        if (!nextLine(line) || !line.startsWith("STARTFONT")) {
            refuse(QStringLiteral("not a BDF font"));
            return std::nullopt;
        }
        bool ascentSet = false, descentSet = false, boxSet = false;
        QString fontName;
        int boxHeight = 0, boxBottom = 0;
        while (nextLine(line)) {
            const QList<QByteArray> words = line.simplified().split(' ');
            const QByteArray& keyword = words[0];
            if (keyword == "FONT" && words.size() > 1) {
                fontName = QString::fromLatin1(line.simplified().mid(5));
            } else if (keyword == "FONTBOUNDINGBOX" && words.size() == 5) {
                boxSet = number(words[2], boxHeight) && number(words[4], boxBottom);
            } else if (keyword == "STARTPROPERTIES") {
                if (!readProperties(ascentSet, descentSet, fontName))
                    return std::nullopt;
            } else if (keyword == "CHARS") {
                break;
            } else if (keyword == "ENDFONT") {
                break;
            }
        }
        if (!m_reason.isEmpty())
            return std::nullopt;
        properties::completeFromFontName(m_font.info, fontName);
        if (!(ascentSet && descentSet)) {
            if (!boxSet) {
                refuse(QStringLiteral("damaged BDF font: no ascent and descent"));
                return std::nullopt;
            }
            m_font.info.ascent = boxHeight + boxBottom;
            m_font.info.descent = -boxBottom;
        }
        if (depth == ReadDepth::Glyphs && !readGlyphs())
            return std::nullopt;
        return std::move(m_font);
    }

private:
    bool refuse(const QString& why) {
        if (m_reason.isEmpty())
            m_reason = why;
        return false;
    }

    bool nextLine(QByteArray& line) {
        qsizetype end = -1;
        while ((end = m_content.bytes().indexOf('\n', m_position)) < 0 && !m_content.whole() &&
               m_content.bytes().size() - m_position <= MaxLineBytes)
            if (!m_content.reach(m_content.bytes().size() + ReadStep, m_reason))
                return false;
        const QByteArray& bytes = m_content.bytes();
        if (m_position >= bytes.size())
            return false;
        if (end < 0)
            end = bytes.size();
        if (end - m_position > MaxLineBytes)
            return refuse(QStringLiteral("damaged BDF font: a line is too long"));
        line = bytes.mid(m_position, end - m_position);
        if (line.endsWith('\r'))
            line.chop(1);
        m_position = end + 1;
        return true;
    }

    static bool number(const QByteArray& text, int& value) {
        bool ok = false;
        const int parsed = text.toInt(&ok);
        if (!ok || parsed < -MaxGlyphSide * 4 || parsed > MaxGlyphSide * 4)
            return false;
        value = parsed;
        return true;
    }

    bool readProperties(bool& ascentSet, bool& descentSet, QString& fontName) {
        QByteArray line;
        while (nextLine(line)) {
            const QByteArray trimmed = line.trimmed();
            if (trimmed == "ENDPROPERTIES")
                return true;
            const qsizetype space = trimmed.indexOf(' ');
            if (space < 0)
                continue;
            const QByteArray name = trimmed.left(space);
            QByteArray value = trimmed.mid(space + 1).trimmed();
            if (value.size() >= 2 && value.startsWith('"') && value.endsWith('"'))
                value = value.mid(1, value.size() - 2).replace("\"\"", "\"");
            if (name == "FONT")
                fontName = QString::fromLatin1(value);
            properties::apply(m_font.info, name, QString::fromLatin1(value), ascentSet, descentSet);
        }
        return refuse(QStringLiteral("damaged BDF font: properties without their end"));
    }

    bool readGlyphs() {
        QByteArray line;
        while (nextLine(line)) {
            const QByteArray trimmed = line.trimmed();
            if (trimmed == "ENDFONT")
                return true;
            if (trimmed.startsWith("STARTCHAR") && !readGlyph())
                return false;
        }
        return refuse(QStringLiteral("damaged BDF font: no ENDFONT"));
    }

    bool readGlyph() {
        if (m_font.glyphs.size() >= MaxGlyphs)
            return refuse(QStringLiteral("BDF font has too many glyphs"));
        int64_t encoding = -1;
        int advance = 0, width = -1, height = -1, left = 0, bottom = 0;
        QByteArray line;
        while (nextLine(line)) {
            const QList<QByteArray> words = line.simplified().split(' ');
            const QByteArray& keyword = words[0];
            if (keyword == "ENCODING" && words.size() >= 2) {
                bool ok = false;
                encoding = words[1].toLongLong(&ok);
                if (!ok)
                    return refuse(QStringLiteral("damaged BDF font: bad ENCODING"));
            } else if (keyword == "DWIDTH" && words.size() >= 2) {
                if (!number(words[1], advance))
                    return refuse(QStringLiteral("damaged BDF font: bad DWIDTH"));
            } else if (keyword == "BBX" && words.size() == 5) {
                if (!number(words[1], width) || !number(words[2], height) || !number(words[3], left) ||
                    !number(words[4], bottom) || width < 0 || width > MaxGlyphSide || height < 0 ||
                    height > MaxGlyphSide)
                    return refuse(QStringLiteral("damaged BDF font: bad BBX"));
            } else if (keyword == "BITMAP") {
                if (width < 0)
                    return refuse(QStringLiteral("damaged BDF font: BITMAP before BBX"));
                return readBitmap(encoding, advance, width, height, left, bottom);
            } else if (keyword == "ENDCHAR") {
                return refuse(QStringLiteral("damaged BDF font: a glyph without BITMAP"));
            }
        }
        return refuse(QStringLiteral("damaged BDF font: a glyph without its end"));
    }

    bool readBitmap(int64_t encoding, int advance, int width, int height, int left, int bottom) {
        Glyph glyph;
        glyph.left = int16_t(left);
        glyph.top = int16_t(height + bottom);
        glyph.width = uint16_t(width);
        glyph.height = uint16_t(height);
        glyph.advance = int16_t(advance);
        glyph.bits = uint32_t(m_font.bits.size());
        const int rowBytes = glyph.rowBytes();
        if (m_font.bits.size() + size_t(rowBytes) * size_t(height) > MaxGlyphBitsBytes)
            return refuse(QStringLiteral("BDF font too large"));
        QByteArray line;
        for (int row = 0; row < height; ++row) {
            if (!nextLine(line))
                return refuse(QStringLiteral("damaged BDF font: a bitmap ends early"));
            const QByteArray hex = line.trimmed();
            if (hex.size() < 2 * rowBytes || hex.size() % 2 != 0 ||
                !std::all_of(hex.begin(), hex.end(), [](char c) { return std::isxdigit(uchar(c)) != 0; }))
                return refuse(QStringLiteral("damaged BDF font: a bitmap row is too short or not hexadecimal"));
            const QByteArray bytes = QByteArray::fromHex(hex);
            m_font.bits.insert(m_font.bits.end(), bytes.begin(), bytes.begin() + rowBytes);
        }
        if (!nextLine(line) || line.trimmed() != "ENDCHAR")
            return refuse(QStringLiteral("damaged BDF font: a bitmap has too many rows"));
        // Unencoded glyphs (ENCODING -1) have no character to draw.
        if (encoding >= 0 && encoding <= 0x7FFFFFFF)
            m_font.byEncoding.emplace(uint32_t(encoding), uint32_t(m_font.glyphs.size()));
        m_font.glyphs.push_back(glyph);
        return true;
    }

    FontContent& m_content;
    QString& m_reason;
    qsizetype m_position = 0;
    BitmapFont m_font;
};

} // namespace

std::optional<BitmapFont> readBdf(FontContent& content, ReadDepth depth, QString& reason) {
    return BdfReader(content, reason).read(depth);
}

} // namespace dotfont
