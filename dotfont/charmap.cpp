#include "dotfont/charmap.h"

#include <QByteArray>

#include <iconv.h>

#include <array>
#include <memory>

namespace dotfont {

namespace {

// How a character set's codes become bytes the C library's converter reads.
enum class Form {
    Unicode,     // the code is the code point
    Latin1,      // likewise, for codes up to 0xFF
    EucTwoBytes, // row and cell of a 94 × 94 set, each with the high bit set
    EucJisRoman, // JIS X 0201: kana as EUC-JP's 0x8E prefix, the Roman half as one byte
    OneByte,     // a one-byte set the converter knows by the font's own name
};

struct Charset {
    const char* registryPrefix;
    Form form;
    const char* converterName; // nullptr: the font's "REGISTRY-ENCODING"
};

const Charset Charsets[] = {
    {"ISO10646", Form::Unicode, nullptr},      {"ISO8859-1", Form::Latin1, nullptr},
    {"JISX0208", Form::EucTwoBytes, "EUC-JP"}, {"JISX0201", Form::EucJisRoman, "EUC-JP"},
    {"GB2312", Form::EucTwoBytes, "EUC-CN"},   {"KSC5601", Form::EucTwoBytes, "EUC-KR"},
};

// A character's code in the converter's form: one or two bytes.
struct Bytes {
    std::array<char, 2> bytes{};
    size_t size = 0;
};

class Converter {
public:
    explicit Converter(const QByteArray& from) : m_handle(iconv_open("UTF-32LE", from.constData())) {}
    ~Converter() {
        if (valid())
            iconv_close(m_handle);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool valid() const { return m_handle != iconv_t(-1); }

    // The one character the bytes spell, or nothing.
    std::optional<char32_t> decode(const Bytes& bytes) {
        iconv(m_handle, nullptr, nullptr, nullptr, nullptr); // back to the initial state
        std::array<char, 8> out{};
        std::array<char, 2> input = bytes.bytes;
        char* in = input.data();
        size_t inLeft = bytes.size;
        char* outPtr = out.data();
        size_t outLeft = out.size();
        if (iconv(m_handle, &in, &inLeft, &outPtr, &outLeft) == size_t(-1) || inLeft != 0 || outLeft != 4)
            return std::nullopt;
        const auto byte = [&](int i) { return char32_t(uchar(out[size_t(i)])); };
        return byte(0) | byte(1) << 8 | byte(2) << 16 | byte(3) << 24;
    }

private:
    iconv_t m_handle;
};

Bytes twoBytes(uint32_t first, uint32_t second) {
    return {{char(first), char(second)}, 2};
}

Bytes oneByte(uint32_t code) {
    return {{char(code), 0}, 1};
}

std::optional<Bytes> bytesOf(Form form, uint32_t code) {
    const uint32_t row = code >> 8, cell = code & 0xFF;
    switch (form) {
    case Form::EucTwoBytes:
        if (row < 0x21 || row > 0x7E || cell < 0x21 || cell > 0x7E)
            return std::nullopt;
        return twoBytes(row | 0x80, cell | 0x80);
    case Form::EucJisRoman:
        if (code >= 0xA1 && code <= 0xDF)
            return twoBytes(0x8E, code);
        if (code >= 0x20 && code <= 0x7E)
            return oneByte(code);
        return std::nullopt;
    case Form::OneByte:
        if (code > 0xFF)
            return std::nullopt;
        return oneByte(code);
    default:
        return std::nullopt;
    }
}

// Two codes for one character (a converter may fold them) keep the lower glyph, so the choice does
// not depend on the order the map is walked in.
void keep(BitmapFont& font, char32_t codePoint, uint32_t glyph) {
    const auto [place, added] = font.byCodePoint.emplace(codePoint, glyph);
    if (!added && glyph < place->second)
        place->second = glyph;
}

} // namespace

bool mapToUnicode(BitmapFont& font, QString& reason) {
    const QString charset = font.info.charsetRegistry + QLatin1Char('-') + font.info.charsetEncoding;
    const Charset* known = nullptr;
    for (const Charset& entry : Charsets) {
        // "JISX0208" names "JISX0208.1990-0"; "ISO8859-1" does not name "ISO8859-15".
        const QLatin1String prefix(entry.registryPrefix);
        if (charset.startsWith(prefix, Qt::CaseInsensitive) &&
            (charset.size() == prefix.size() || !charset[prefix.size()].isDigit()))
            known = &entry;
    }
    const Form form = known ? known->form : Form::OneByte;
    font.byCodePoint.clear();
    font.byCodePoint.reserve(font.byEncoding.size());
    if (form == Form::Unicode || form == Form::Latin1) {
        for (const auto& [code, glyph] : font.byEncoding)
            if (code <= (form == Form::Latin1 ? 0xFFu : 0x10FFFFu))
                keep(font, char32_t(code), glyph);
        return true;
    }
    Converter converter(known ? QByteArray(known->converterName) : charset.toLatin1());
    if (!converter.valid()) {
        reason = QStringLiteral("unknown character set %1").arg(charset);
        return false;
    }
    for (const auto& [code, glyph] : font.byEncoding) {
        const auto bytes = bytesOf(form, code);
        if (!bytes)
            continue;
        if (const auto codePoint = converter.decode(*bytes))
            keep(font, *codePoint, glyph);
    }
    return true;
}

} // namespace dotfont
