#include "dotfont/bitmapfont.h"

#include "dotfont/charmap.h"
#include "dotfont/fontcontent.h"

#include <QBuffer>
#include <QFile>

#include <libdeflate.h>

#include <memory>

namespace dotfont {

namespace {

bool isGzip(const QByteArray& bytes) {
    return bytes.size() >= 18 && uchar(bytes[0]) == 0x1F && uchar(bytes[1]) == 0x8B;
}

// The whole stream, within MaxFontFileBytes. The size the gzip trailer gives is only a hint: a stream
// that claims less than it holds is refused when it overflows, never grown without bound.
std::optional<QByteArray> gunzip(const QByteArray& compressed, QString& reason) {
    const auto trailer = [&](int i) { return uint32_t(uchar(compressed[compressed.size() - 4 + i])); };
    const uint32_t claimed = trailer(0) | trailer(1) << 8 | trailer(2) << 16 | trailer(3) << 24;
    if (claimed > uint32_t(MaxFontFileBytes)) {
        reason = QStringLiteral("font file too large");
        return std::nullopt;
    }
    const std::unique_ptr<libdeflate_decompressor, decltype(&libdeflate_free_decompressor)> decompressor(
        libdeflate_alloc_decompressor(), libdeflate_free_decompressor);
    QByteArray out(qsizetype(claimed), Qt::Uninitialized);
    size_t actual = 0;
    if (!decompressor ||
        libdeflate_gzip_decompress(decompressor.get(), compressed.constData(), size_t(compressed.size()), out.data(),
                                   size_t(out.size()), &actual) != LIBDEFLATE_SUCCESS ||
        actual != claimed) {
        reason = QStringLiteral("damaged gzip stream");
        return std::nullopt;
    }
    return out;
}

std::optional<BitmapFont> readContent(FontContent& content, ReadDepth depth, QString& reason) {
    reason.clear();
    std::optional<BitmapFont> font;
    if (!content.reach(9, reason))
        return std::nullopt;
    const QByteArray& start = content.bytes();
    if (start.startsWith(QByteArray("\1fcp", 4)))
        font = readPcf(content, depth, reason);
    else if (start.startsWith("STARTFONT"))
        font = readBdf(content, depth, reason);
    else
        reason = QStringLiteral("not a PCF or BDF font");
    // Even a description alone is checked for a character set that can be mapped.
    if (font && !mapToUnicode(*font, reason))
        return std::nullopt;
    return font;
}

// The description from the start of the file or buffer; the glyphs from all of it, decompressed at once.
std::optional<BitmapFont> readDevice(QIODevice& device, ReadDepth depth, QString& reason) {
    if (depth == ReadDepth::InfoOnly) {
        FontContent content(device);
        return readContent(content, depth, reason);
    }
    const QByteArray bytes = device.readAll();
    std::optional<QByteArray> plain = bytes;
    if (isGzip(bytes))
        plain = gunzip(bytes, reason);
    if (!plain)
        return std::nullopt;
    FontContent content(std::move(*plain));
    return readContent(content, depth, reason);
}

} // namespace

const Glyph* BitmapFont::glyphFor(char32_t codePoint) const {
    const auto found = byCodePoint.find(codePoint);
    return found == byCodePoint.end() ? nullptr : &glyphs[found->second];
}

bool looksLikeBitmapFont(const QByteArray& head) {
    return head.startsWith(QByteArray("\1fcp", 4)) || head.startsWith("STARTFONT") ||
           (head.size() >= 2 && uchar(head[0]) == 0x1F && uchar(head[1]) == 0x8B);
}

std::optional<BitmapFont> readBitmapFontBytes(const QByteArray& bytes, ReadDepth depth, QString& reason) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return readDevice(buffer, depth, reason);
}

std::optional<BitmapFont> readBitmapFontFile(const QString& path, ReadDepth depth, QString& reason) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) { // read as asked, not 16 KB ahead
        reason = file.errorString();
        return std::nullopt;
    }
    // The description reads only the file's start; the glyphs read all of it.
    if (depth == ReadDepth::Glyphs && file.size() > MaxFontFileBytes) {
        reason = QStringLiteral("font file too large");
        return std::nullopt;
    }
    return readDevice(file, depth, reason);
}

} // namespace dotfont
