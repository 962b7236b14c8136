// The X11 Portable Compiled Format: a table of contents, then tables (properties, metrics, bitmaps,
// encodings, accelerators...), each starting with its own format word that says its byte and bit
// order, its row padding and whether its metrics are compressed. Every count and offset is checked
// against the table that holds it before anything is read or allocated. A table is read from the
// content only when it is needed: describing a font needs the first kilobyte of the file.

#include "dotfont/bitmapfont.h"
#include "dotfont/fontcontent.h"
#include "dotfont/properties.h"

#include <algorithm>
#include <utility>

namespace dotfont {

namespace {

constexpr uint32_t Properties = 1 << 0;
constexpr uint32_t Accelerators = 1 << 1;
constexpr uint32_t Metrics = 1 << 2;
constexpr uint32_t Bitmaps = 1 << 3;
constexpr uint32_t Encodings = 1 << 5;
constexpr uint32_t BdfAccelerators = 1 << 8;

constexpr uint32_t GlyphPadMask = 3;        // rows padded to 1, 2, 4 or 8 bytes
constexpr uint32_t MostSignificantByte = 4; // multi-byte values are big-endian
constexpr uint32_t MostSignificantBit = 8;  // the leftmost pixel is a byte's high bit
constexpr uint32_t ScanUnitShift = 4;       // bytes are swapped in units of 1, 2, 4 or 8
constexpr uint32_t CompressedMetrics = 0x100;
constexpr int MaxTables = 64;
constexpr uint16_t NoGlyph = 0xFFFF;

// A bounded window on the file: every read is checked, a failed one sets the error once.
class Cursor {
public:
    Cursor(const QByteArray& bytes, qsizetype start, qsizetype size) : m_bytes(&bytes), m_start(start), m_size(size) {}

    void setBigEndian(bool bigEndian) { m_bigEndian = bigEndian; }
    bool ok() const { return m_ok; }
    qsizetype size() const { return m_size; }
    bool has(qsizetype offset, qsizetype count) const {
        return offset >= 0 && count >= 0 && offset <= m_size && count <= m_size - offset;
    }

    uint32_t u8(qsizetype offset) { return has(offset, 1) ? byte(offset) : fail(); }
    uint32_t u16(qsizetype offset) {
        if (!has(offset, 2))
            return fail();
        return m_bigEndian ? byte(offset) << 8 | byte(offset + 1) : byte(offset + 1) << 8 | byte(offset);
    }
    uint32_t u32(qsizetype offset) {
        if (!has(offset, 4))
            return fail();
        uint32_t value = 0;
        for (int i = 0; i < 4; ++i)
            value |= byte(offset + i) << (m_bigEndian ? 8 * (3 - i) : 8 * i);
        return value;
    }
    int32_t i16(qsizetype offset) { return int16_t(u16(offset)); }
    int32_t i32(qsizetype offset) { return int32_t(u32(offset)); }
    const uint8_t* data(qsizetype offset) const {
        return reinterpret_cast<const uint8_t*>(m_bytes->constData()) + m_start + offset;
    }

private:
    uint32_t byte(qsizetype offset) const { return uint8_t((*m_bytes)[m_start + offset]); }
    uint32_t fail() {
        m_ok = false;
        return 0;
    }

    const QByteArray* m_bytes;
    qsizetype m_start;
    qsizetype m_size;
    bool m_bigEndian = false;
    bool m_ok = true;
};

struct Table {
    uint32_t format = 0;
    qsizetype offset = 0;
    qsizetype size = 0;
};

struct Metric {
    int left = 0, right = 0, advance = 0, ascent = 0, descent = 0;
};

class PcfReader {
public:
    PcfReader(FontContent& content, QString& reason) : m_content(content), m_reason(reason) {}

    std::optional<BitmapFont> read(ReadDepth depth) {
        if (!readTableOfContents() || !readProperties() || !readAccelerators())
            return std::nullopt;
        if (depth == ReadDepth::Glyphs && (!readMetrics() || !readBitmaps() || !readEncodings()))
            return std::nullopt;
        return std::move(m_font);
    }

private:
    // The first reason stands: a table that cannot be read says why, not that it is missing.
    bool refuse(const QString& why) {
        if (m_reason.isEmpty())
            m_reason = why;
        return false;
    }
    bool failed() const { return !m_reason.isEmpty(); }

    // The table's window, its byte order taken from its own format word (which must match the
    // table of contents). Nothing when the file has no such table, or when it cannot be read (failed()).
    std::optional<Cursor> open(uint32_t type) {
        const auto found =
            std::find_if(m_tables.begin(), m_tables.end(), [type](const auto& t) { return t.first == type; });
        if (found == m_tables.end())
            return std::nullopt;
        Table table = found->second;
        if (!reachTable(table))
            return std::nullopt;
        Cursor cursor(m_content.bytes(), table.offset, table.size);
        const uint32_t format = cursor.u32(0); // the format word is always little-endian
        if (!cursor.ok() || format != table.format)
            return std::nullopt;
        cursor.setBigEndian(format & MostSignificantByte);
        return cursor;
    }
    // Reads the content as far as the table's end.
    bool reachTable(Table& table) {
        if (table.offset <= MaxFontFileBytes &&
            !m_content.reach(std::min(table.offset + table.size, MaxFontFileBytes), m_reason))
            return false;
        const qsizetype contentSize = m_content.bytes().size();
        if (table.offset > contentSize)
            return refuse(QStringLiteral("damaged PCF font: a table lies outside the file"));
        // The font compiler may declare the last table longer than the file (its padding not written).
        table.size = std::min(table.size, contentSize - table.offset);
        return true;
    }
    uint32_t formatOf(uint32_t type) const {
        for (const auto& [t, table] : m_tables)
            if (t == type)
                return table.format;
        return 0;
    }

    // Where each table lies, as the file declares it; open() checks it against the file.
    bool readTableOfContents() {
        if (!m_content.reach(8, m_reason))
            return false;
        Cursor start(m_content.bytes(), 0, m_content.bytes().size());
        if (start.u32(0) != 0x70636601) // "\1fcp"
            return refuse(QStringLiteral("not a PCF font"));
        const uint32_t count = start.u32(4);
        if (!start.ok() || count > MaxTables)
            return refuse(QStringLiteral("damaged PCF font: bad table count"));
        if (!m_content.reach(8 + qsizetype(count) * 16, m_reason))
            return false;
        Cursor file(m_content.bytes(), 0, m_content.bytes().size());
        for (uint32_t i = 0; i < count; ++i) {
            const qsizetype entry = 8 + qsizetype(i) * 16;
            const uint32_t type = file.u32(entry);
            const Table table{file.u32(entry + 4), qsizetype(file.u32(entry + 12)), qsizetype(file.u32(entry + 8))};
            if (!file.ok())
                return refuse(QStringLiteral("damaged PCF font: the table of contents is cut short"));
            m_tables.emplace_back(type, table);
        }
        return true;
    }

    bool readProperties() {
        auto table = open(Properties);
        if (!table)
            return refuse(QStringLiteral("damaged PCF font: no properties"));
        Cursor& t = *table;
        const uint32_t count = t.u32(4);
        const qsizetype entries = 8;
        if (!t.ok() || !t.has(entries, qsizetype(count) * 9))
            return refuse(QStringLiteral("damaged PCF font: bad property count"));
        const qsizetype padded = entries + qsizetype(count) * 9 + ((count & 3) ? 4 - (count & 3) : 0);
        const uint32_t stringsSize = t.u32(padded);
        const qsizetype strings = padded + 4;
        if (!t.ok() || !t.has(strings, stringsSize))
            return refuse(QStringLiteral("damaged PCF font: bad property strings"));
        const auto stringAt = [&](uint32_t offset) -> std::optional<QByteArray> {
            if (offset >= stringsSize)
                return std::nullopt;
            const char* start = reinterpret_cast<const char*>(t.data(strings + offset));
            const qsizetype room = stringsSize - offset;
            const qsizetype length = qstrnlen(start, size_t(room));
            if (length == room)
                return std::nullopt; // no terminating zero inside the table
            return QByteArray(start, length);
        };
        bool ascentSet = false, descentSet = false;
        QString fontName;
        for (uint32_t i = 0; i < count; ++i) {
            const qsizetype entry = entries + qsizetype(i) * 9;
            const auto name = stringAt(t.u32(entry));
            const bool isString = t.u8(entry + 4) != 0;
            const int32_t value = t.i32(entry + 5);
            if (!name)
                return refuse(QStringLiteral("damaged PCF font: a property name lies outside its table"));
            QString text;
            if (isString) {
                const auto string = stringAt(uint32_t(value));
                if (!string)
                    return refuse(QStringLiteral("damaged PCF font: a property value lies outside its table"));
                text = QString::fromLatin1(*string);
            } else {
                text = QString::number(value);
            }
            if (*name == "FONT")
                fontName = text;
            properties::apply(m_font.info, *name, text, ascentSet, descentSet);
        }
        properties::completeFromFontName(m_font.info, fontName);
        m_hasLineMetrics = ascentSet && descentSet;
        return true;
    }

    // The accelerators carry the font's ascent and descent where the properties do not. The font
    // compiler writes the same ones in both tables; the plain table lies right after the properties,
    // the other at the end of the file.
    bool readAccelerators() {
        if (m_hasLineMetrics)
            return true;
        auto table = open(Accelerators);
        if (!table && !failed())
            table = open(BdfAccelerators);
        if (!table)
            return refuse(QStringLiteral("damaged PCF font: no ascent and descent"));
        const int32_t ascent = table->i32(12);
        const int32_t descent = table->i32(16);
        if (!table->ok() || ascent < -MaxGlyphSide || ascent > MaxGlyphSide || descent < -MaxGlyphSide ||
            descent > MaxGlyphSide)
            return refuse(QStringLiteral("damaged PCF font: bad ascent or descent"));
        m_font.info.ascent = ascent;
        m_font.info.descent = descent;
        return true;
    }

    bool readMetrics() {
        auto table = open(Metrics);
        if (!table)
            return refuse(QStringLiteral("damaged PCF font: no metrics"));
        Cursor& t = *table;
        const bool compressed = formatOf(Metrics) & CompressedMetrics;
        const uint32_t count = compressed ? t.u16(4) : t.u32(4);
        const qsizetype first = compressed ? 6 : 8;
        const qsizetype entrySize = compressed ? 5 : 12;
        if (!t.ok() || count > MaxGlyphs || !t.has(first, qsizetype(count) * entrySize))
            return refuse(QStringLiteral("damaged PCF font: bad glyph count"));
        m_metrics.resize(count);
        for (uint32_t i = 0; i < count; ++i) {
            const qsizetype at = first + qsizetype(i) * entrySize;
            Metric& m = m_metrics[i];
            if (compressed) {
                const auto value = [&](int k) { return int(t.u8(at + k)) - 0x80; };
                m = {value(0), value(1), value(2), value(3), value(4)};
            } else {
                m = {t.i16(at), t.i16(at + 2), t.i16(at + 4), t.i16(at + 6), t.i16(at + 8)};
            }
            const int width = m.right - m.left, height = m.ascent + m.descent;
            if (width < 0 || width > MaxGlyphSide || height < 0 || height > MaxGlyphSide)
                return refuse(QStringLiteral("damaged PCF font: a glyph has an impossible size"));
        }
        return true;
    }

    bool readBitmaps() {
        auto table = open(Bitmaps);
        if (!table)
            return refuse(QStringLiteral("damaged PCF font: no bitmaps"));
        Cursor& t = *table;
        const uint32_t format = formatOf(Bitmaps);
        const uint32_t count = t.u32(4);
        if (!t.ok() || count != m_metrics.size() || !t.has(8, qsizetype(count) * 4 + 16))
            return refuse(QStringLiteral("damaged PCF font: bitmaps and metrics disagree"));
        const qsizetype data = 8 + qsizetype(count) * 4 + 16;
        const uint32_t dataSize = t.u32(8 + qsizetype(count) * 4 + 4 * (format & GlyphPadMask));
        if (!t.ok() || !t.has(data, dataSize))
            return refuse(QStringLiteral("damaged PCF font: bitmap data lies outside its table"));
        const int pad = 1 << (format & GlyphPadMask);
        const int unit = 1 << ((format >> ScanUnitShift) & 3);
        const bool swapBytes = bool(format & MostSignificantByte) != bool(format & MostSignificantBit);
        const bool reverseBits = !(format & MostSignificantBit);

        const uint8_t* source = t.data(data); // dataSize bytes, checked above
        m_font.glyphs.resize(count);
        m_font.bits.reserve(std::min(size_t(dataSize), MaxGlyphBitsBytes));
        for (uint32_t i = 0; i < count; ++i) {
            const Metric& m = m_metrics[i];
            Glyph& glyph = m_font.glyphs[i];
            glyph.left = int16_t(m.left);
            glyph.top = int16_t(m.ascent);
            glyph.width = uint16_t(m.right - m.left);
            glyph.height = uint16_t(m.ascent + m.descent);
            glyph.advance = int16_t(m.advance);
            const qsizetype rowBytes = glyph.rowBytes();
            const qsizetype stride = (rowBytes + pad - 1) / pad * pad;
            const uint32_t offset = t.u32(8 + qsizetype(i) * 4);
            if (!t.ok() || offset > dataSize || stride * glyph.height > qsizetype(dataSize - offset))
                return refuse(QStringLiteral("damaged PCF font: a glyph's bitmap lies outside its table"));
            if (m_font.bits.size() + size_t(rowBytes * glyph.height) > MaxGlyphBitsBytes)
                return refuse(QStringLiteral("PCF font too large"));
            glyph.bits = uint32_t(m_font.bits.size());
            for (int row = 0; row < glyph.height; ++row) {
                const qsizetype start = qsizetype(offset) + row * stride;
                if (!swapBytes) {
                    m_font.bits.insert(m_font.bits.end(), source + start, source + start + rowBytes);
                    continue;
                }
                for (qsizetype b = 0; b < rowBytes; ++b) {
                    // Bytes are swapped within scan units of the whole bitmap data, as the X server does.
                    const qsizetype at = start + b;
                    const qsizetype from = at / unit * unit + (unit - 1 - at % unit);
                    if (from >= qsizetype(dataSize))
                        return refuse(QStringLiteral("damaged PCF font: a glyph's bitmap lies outside its table"));
                    m_font.bits.push_back(source[from]);
                }
            }
            if (reverseBits)
                std::for_each(m_font.bits.begin() + glyph.bits, m_font.bits.end(),
                              [](uint8_t& value) { value = reversed(value); });
        }
        return true;
    }

    bool readEncodings() {
        auto table = open(Encodings);
        if (!table)
            return refuse(QStringLiteral("damaged PCF font: no encodings"));
        Cursor& t = *table;
        const int firstColumn = t.i16(4), lastColumn = t.i16(6), firstRow = t.i16(8), lastRow = t.i16(10);
        if (!t.ok() || firstColumn < 0 || lastColumn > 255 || firstColumn > lastColumn || firstRow < 0 ||
            lastRow > 255 || firstRow > lastRow)
            return refuse(QStringLiteral("damaged PCF font: bad encoding range"));
        const int columns = lastColumn - firstColumn + 1;
        const qsizetype indices = 14;
        m_font.byEncoding.reserve(std::min(size_t(columns) * size_t(lastRow - firstRow + 1), m_font.glyphs.size()));
        if (!t.has(indices, qsizetype(columns) * (lastRow - firstRow + 1) * 2))
            return refuse(QStringLiteral("damaged PCF font: encodings lie outside their table"));
        for (int row = firstRow; row <= lastRow; ++row) {
            for (int column = firstColumn; column <= lastColumn; ++column) {
                const uint32_t index =
                    t.u16(indices + 2 * (qsizetype(row - firstRow) * columns + (column - firstColumn)));
                if (index != NoGlyph && index < m_font.glyphs.size())
                    m_font.byEncoding.emplace(uint32_t(row << 8 | column), index);
            }
        }
        return true;
    }

    static uint8_t reversed(uint8_t value) {
        value = uint8_t((value & 0xF0) >> 4 | (value & 0x0F) << 4);
        value = uint8_t((value & 0xCC) >> 2 | (value & 0x33) << 2);
        return uint8_t((value & 0xAA) >> 1 | (value & 0x55) << 1);
    }

    FontContent& m_content;
    QString& m_reason;
    std::vector<std::pair<uint32_t, Table>> m_tables;
    std::vector<Metric> m_metrics;
    BitmapFont m_font;
    bool m_hasLineMetrics = false;
};

} // namespace

std::optional<BitmapFont> readPcf(FontContent& content, ReadDepth depth, QString& reason) {
    return PcfReader(content, reason).read(depth);
}

} // namespace dotfont
