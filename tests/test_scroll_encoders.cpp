#include "scroll/framesequence.h"
#include "scroll/writeanimation.h"
#include "tests/scrollsigns.h"
#include "tests/testsupport.h"

#include <QTemporaryDir>
#include <QTest>

#include <gif_lib.h>
#include <webp/demux.h>

#include <climits>
#include <cmath>
#include <cstring>

using scroll::AnimationFormat;
using scroll::AnimationSettings;
using scroll::Direction;

Q_DECLARE_METATYPE(scroll::Direction)
Q_DECLARE_METATYPE(scroll::AnimationFormat)

namespace {

// An animation as a viewer shows it: every frame's whole picture, how long it stays, how often it plays.
struct Decoded {
    QList<QImage> frames; // Format_RGB32
    QList<int> delaysMs;
    int plays = -1; // 0 = forever
    QString problem;
};

Decoded decodeGif(const QString& path) {
    Decoded decoded;
    int error = 0;
    GifFileType* gif = DGifOpenFileName(QFile::encodeName(path).constData(), &error);
    if (!gif || DGifSlurp(gif) != GIF_OK) {
        decoded.problem = QStringLiteral("giflib cannot read it");
        if (gif)
            DGifCloseFile(gif, &error);
        return decoded;
    }
    // Without a NETSCAPE2.0 block a GIF plays once; its count is of repeats after the first play.
    decoded.plays = 1;
    const SavedImage& first = gif->SavedImages[0];
    for (int i = 0; i + 1 < first.ExtensionBlockCount; ++i) {
        const ExtensionBlock& block = first.ExtensionBlocks[i];
        const ExtensionBlock& data = first.ExtensionBlocks[i + 1];
        if (block.Function == APPLICATION_EXT_FUNC_CODE && block.ByteCount == 11 &&
            std::memcmp(block.Bytes, "NETSCAPE2.0", 11) == 0 && data.ByteCount == 3 && data.Bytes[0] == 1) {
            const int repeats = data.Bytes[1] | data.Bytes[2] << 8;
            decoded.plays = repeats == 0 ? 0 : repeats + 1;
        }
    }
    QImage canvas(gif->SWidth, gif->SHeight, QImage::Format_RGB32);
    for (int k = 0; k < gif->ImageCount; ++k) {
        const SavedImage& image = gif->SavedImages[k];
        const GifImageDesc& desc = image.ImageDesc;
        GraphicsControlBlock control{};
        DGifSavedExtensionToGCB(gif, k, &control);
        const ColorMapObject* map = desc.ColorMap ? desc.ColorMap : gif->SColorMap;
        if ((k == 0 && (desc.Width != gif->SWidth || desc.Height != gif->SHeight)) || control.DisposalMode > 1) {
            decoded.problem = QStringLiteral("frame %1 needs more than drawing over the last").arg(k);
            break;
        }
        for (int y = 0; y < desc.Height; ++y) {
            for (int x = 0; x < desc.Width; ++x) {
                const int index = image.RasterBits[y * desc.Width + x];
                if (index == control.TransparentColor)
                    continue;
                const GifColorType c = map->Colors[index];
                canvas.setPixel(desc.Left + x, desc.Top + y, qRgb(c.Red, c.Green, c.Blue));
            }
        }
        decoded.frames.append(canvas.copy());
        decoded.delaysMs.append(control.DelayTime * 10);
    }
    DGifCloseFile(gif, &error);
    return decoded;
}

Decoded decodeWebp(const QString& path) {
    Decoded decoded;
    const QByteArray bytes = testsupport::readAll(path);
    const WebPData data{reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size())};
    WebPAnimDecoderOptions options;
    WebPAnimDecoderOptionsInit(&options);
    options.color_mode = MODE_BGRA; // in memory the words of QImage::Format_ARGB32
    WebPAnimDecoder* decoder = WebPAnimDecoderNew(&data, &options);
    WebPAnimInfo info;
    if (!decoder || !WebPAnimDecoderGetInfo(decoder, &info)) {
        decoded.problem = QStringLiteral("libwebp cannot read it");
        WebPAnimDecoderDelete(decoder);
        return decoded;
    }
    decoded.plays = int(info.loop_count);
    int before = 0;
    while (WebPAnimDecoderHasMoreFrames(decoder)) {
        uint8_t* pixels = nullptr;
        int timestamp = 0; // when the frame ends
        if (!WebPAnimDecoderGetNext(decoder, &pixels, &timestamp)) {
            decoded.problem = QStringLiteral("frame %1 cannot be read").arg(decoded.frames.size());
            break;
        }
        const QImage canvas(pixels, int(info.canvas_width), int(info.canvas_height), QImage::Format_ARGB32);
        decoded.frames.append(canvas.convertToFormat(QImage::Format_RGB32));
        decoded.delaysMs.append(timestamp - before);
        before = timestamp;
    }
    WebPAnimDecoderDelete(decoder);
    return decoded;
}

uint32_t bigEndian(const char* bytes) {
    const auto* b = reinterpret_cast<const uchar*>(bytes);
    return uint32_t(b[0]) << 24 | uint32_t(b[1]) << 16 | uint32_t(b[2]) << 8 | b[3];
}

QByteArray bigEndianBytes(uint32_t value) {
    const char bytes[] = {char(value >> 24), char(value >> 16), char(value >> 8), char(value)};
    return QByteArray(bytes, 4);
}

uint32_t crc32(const QByteArray& bytes) {
    uint32_t crc = 0xffffffffu;
    for (const char byte : bytes) {
        crc ^= uchar(byte);
        for (int bit = 0; bit < 8; ++bit)
            crc = crc & 1 ? (crc >> 1) ^ 0xedb88320u : crc >> 1;
    }
    return ~crc;
}

QByteArray chunk(const QByteArray& type, const QByteArray& data) {
    return bigEndianBytes(uint32_t(data.size())) + type + data + bigEndianBytes(crc32(type + data));
}

// Each APNG frame becomes a PNG of its own (the picture's IHDR with the frame's size, PLTE and tRNS,
// its IDAT or its fdAT as IDAT) that QImage decodes; the frames are then drawn as a viewer draws them.
Decoded decodeApng(const QString& path) {
    Decoded decoded;
    const QByteArray png = testsupport::readAll(path);
    if (!png.startsWith("\x89PNG\r\n\x1a\n")) {
        decoded.problem = QStringLiteral("no PNG signature");
        return decoded;
    }
    QByteArray header;  // IHDR's data
    QByteArray colours; // PLTE and tRNS chunks as they stand
    struct Part {
        QRect area;
        int delayMs;
        bool over;
        QByteArray data;
    };
    QList<Part> parts;
    int frameCount = -1;
    for (qsizetype at = 8; at + 12 <= png.size();) {
        const qsizetype length = bigEndian(png.constData() + at);
        const QByteArray type = png.mid(at + 4, 4);
        const QByteArray data = png.mid(at + 8, length);
        at += 12 + length;
        if (type == "IHDR") {
            header = data;
        } else if (type == "PLTE" || type == "tRNS") {
            colours += chunk(type, data);
        } else if (type == "acTL") {
            frameCount = int(bigEndian(data.constData()));
            decoded.plays = int(bigEndian(data.constData() + 4));
        } else if (type == "fcTL") {
            const auto field = [&](int offset) { return int(bigEndian(data.constData() + offset)); };
            const int numerator = uchar(data[20]) << 8 | uchar(data[21]);
            const int denominator = uchar(data[22]) << 8 | uchar(data[23]);
            if (data[24] != 0) {
                decoded.problem = QStringLiteral("a frame is disposed of");
                return decoded;
            }
            parts.append(
                {QRect(field(12), field(16), field(4), field(8)), numerator * 1000 / denominator, data[25] == 1, {}});
        } else if ((type == "IDAT" || type == "fdAT") && !parts.isEmpty()) {
            parts.last().data += type == "IDAT" ? data : data.mid(4);
        }
    }
    if (frameCount != parts.size()) {
        decoded.problem = QStringLiteral("acTL counts %1 frames, there are %2").arg(frameCount).arg(parts.size());
        return decoded;
    }
    QImage canvas(int(bigEndian(header.constData())), int(bigEndian(header.constData() + 4)), QImage::Format_RGB32);
    for (const Part& part : parts) {
        QByteArray frameHeader = header;
        frameHeader.replace(0, 8,
                            bigEndianBytes(uint32_t(part.area.width())) + bigEndianBytes(uint32_t(part.area.height())));
        const QByteArray single =
            png.left(8) + chunk("IHDR", frameHeader) + colours + chunk("IDAT", part.data) + chunk("IEND", {});
        const QImage image = QImage::fromData(single, "PNG").convertToFormat(QImage::Format_ARGB32);
        if (image.size() != part.area.size()) {
            decoded.problem = QStringLiteral("frame %1 cannot be decoded").arg(decoded.frames.size());
            return decoded;
        }
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QRgb pixel = image.pixel(x, y);
                if (!part.over || qAlpha(pixel) == 255)
                    canvas.setPixel(part.area.left() + x, part.area.top() + y, pixel);
                else if (qAlpha(pixel) != 0)
                    decoded.problem = QStringLiteral("a pixel is partly transparent");
            }
        }
        decoded.frames.append(canvas.copy());
        decoded.delaysMs.append(part.delayMs);
    }
    return decoded;
}

Decoded decode(AnimationFormat format, const QString& path) {
    switch (format) {
    case AnimationFormat::Gif:
        return decodeGif(path);
    case AnimationFormat::WebP:
        return decodeWebp(path);
    case AnimationFormat::Apng:
        return decodeApng(path);
    default:
        return {};
    }
}

// What a delay becomes in the format: GIF counts hundredths of a second.
int writtenDelay(AnimationFormat format, int delayMs) {
    return format == AnimationFormat::Gif ? int(std::lround(delayMs / 10.0)) * 10 : delayMs;
}

const char* extension(AnimationFormat format) {
    return format == AnimationFormat::Gif ? "gif" : format == AnimationFormat::WebP ? "webp" : "png";
}

int squaredDistance(QRgb a, QRgb b) {
    const int dr = qRed(a) - qRed(b);
    const int dg = qGreen(a) - qGreen(b);
    const int db = qBlue(a) - qBlue(b);
    return dr * dr + dg * dg + db * db;
}

// A cell picture of width × height pixels in as many colours, none shared with the other state's.
QImage manyColours(int width, int height, bool lit) {
    QImage picture(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            picture.setPixel(x, y, qRgb(x * 12, y * 16, lit ? 255 - x - y : x + y));
    }
    return picture;
}

} // namespace

class TestScrollEncoders : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_folder;
    QString path(const QString& name) const { return m_folder.filePath(name); }

private slots:
    void decodedFramesAreThePanels_data() {
        QTest::addColumn<AnimationFormat>("format");
        QTest::addColumn<scroll::Sign>("sign");
        QTest::addColumn<int>("panel");
        QTest::addColumn<Direction>("direction");
        QTest::addColumn<int>("step");
        QTest::addColumn<int>("delay");
        QTest::addColumn<int>("loop");
        const scroll::Sign wide = scrollsigns::sign(9, 4);
        const scroll::Sign narrow = scrollsigns::sign(4, 3);
        scroll::Sign blank = scrollsigns::sign(4, 2);
        std::fill(blank.cells.lit.begin(), blank.cells.lit.end(), 0);
        // 16 × 8 pixel cells of 128 colours each: 256 in all, no colour left for transparency.
        scroll::Sign full = scrollsigns::sign(5, 2);
        full.litCell = manyColours(16, 8, true);
        full.unlitCell = manyColours(16, 8, false);
        // 20 × 15 pixel cells of 300 colours each: true colour.
        scroll::Sign many = scrollsigns::sign(6, 3);
        many.litCell = manyColours(20, 15, true);
        many.unlitCell = manyColours(20, 15, false);
        for (AnimationFormat format : {AnimationFormat::Gif, AnimationFormat::WebP, AnimationFormat::Apng}) {
            const char* name = extension(format);
            QTest::addRow("%s: wider than the panel, left, forever", name)
                << format << wide << 5 << Direction::Left << 1 << 50 << 0;
            QTest::addRow("%s: narrower than the panel, right, 3 plays", name)
                << format << narrow << 7 << Direction::Right << 1 << 130 << 3;
            QTest::addRow("%s: down by 2, once, 25 ms", name)
                << format << scrollsigns::sign(5, 4) << 0 << Direction::Down << 2 << 25 << 1;
            QTest::addRow("%s: up, twice, longest delay", name)
                << format << wide << 0 << Direction::Up << 1 << 5000 << 2;
            QTest::addRow("%s: nothing changes", name) << format << blank << 0 << Direction::Left << 1 << 50 << 0;
            QTest::addRow("%s: 256 colours", name) << format << full << 3 << Direction::Left << 1 << 50 << 0;
            if (format != AnimationFormat::Gif)
                QTest::addRow("%s: 600 colours", name) << format << many << 4 << Direction::Left << 1 << 50 << 0;
        }
    }
    void decodedFramesAreThePanels() {
        QFETCH(AnimationFormat, format);
        QFETCH(scroll::Sign, sign);
        QFETCH(int, panel);
        QFETCH(Direction, direction);
        QFETCH(int, step);
        QFETCH(int, delay);
        QFETCH(int, loop);
        AnimationSettings settings{panel, delay, direction, step, loop};
        const QString file = path(QStringLiteral("sign.") + extension(format));
        const platform::Result result = scroll::writeAnimation(sign, settings, file, format);
        QVERIFY2(result.ok(), qPrintable(result.detail));

        const Decoded decoded = decode(format, file);
        QVERIFY2(decoded.problem.isEmpty(), qPrintable(decoded.problem));
        const scroll::FrameSequence sequence(sign, settings);
        QCOMPARE(decoded.frames.size(), sequence.frameCount());
        QCOMPARE(decoded.plays, loop);
        QImage expected;
        for (int k = 0; k < sequence.frameCount(); ++k) {
            sequence.drawFrame(k, expected);
            QCOMPARE(decoded.frames[k], expected);
            QCOMPARE(decoded.delaysMs[k], writtenDelay(format, delay));
        }
    }

    void gifOfManyColoursShowsTheNearestOfItsPalette() {
        // 20 × 15 pixel cells of 300 colours each, 600 in all.
        scroll::Sign sign = scrollsigns::sign(30, 6);
        sign.litCell = manyColours(20, 15, true);
        sign.unlitCell = manyColours(20, 15, false);
        // Frames of 600 × 90 pixels: enough to fill the compressor's table of 4096 codes.
        const AnimationSettings settings{0, 50, Direction::Left, 10, 0};
        QVERIFY(scroll::writeAnimation(sign, settings, path("many.gif"), AnimationFormat::Gif).ok());
        const QByteArray bytes = testsupport::readAll(path("many.gif"));
        QVERIFY(scroll::writeAnimation(sign, settings, path("again.gif"), AnimationFormat::Gif).ok());
        QCOMPARE(testsupport::readAll(path("again.gif")), bytes); // the palette is chosen the same every time

        int error = 0;
        GifFileType* gif = DGifOpenFileName(QFile::encodeName(path("many.gif")).constData(), &error);
        QVERIFY(gif && DGifSlurp(gif) == GIF_OK);
        QList<QRgb> palette;
        for (int i = 0; i < gif->SColorMap->ColorCount; ++i) {
            const GifColorType c = gif->SColorMap->Colors[i];
            palette.append(qRgb(c.Red, c.Green, c.Blue));
        }
        DGifCloseFile(gif, &error);
        QCOMPARE(palette.size(), 256);

        const Decoded decoded = decodeGif(path("many.gif"));
        const scroll::FrameSequence sequence(sign, settings);
        QCOMPARE(decoded.frames.size(), sequence.frameCount());
        QImage exact;
        for (int k = 0; k < sequence.frameCount(); ++k) {
            sequence.drawFrame(k, exact);
            for (int y = 0; y < exact.height(); ++y) {
                for (int x = 0; x < exact.width(); ++x) {
                    const QRgb wanted = exact.pixel(x, y);
                    int best = INT_MAX;
                    for (QRgb colour : palette)
                        best = std::min(best, squaredDistance(wanted, colour));
                    QCOMPARE(squaredDistance(wanted, decoded.frames[k].pixel(x, y)), best);
                }
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestScrollEncoders)
#include "test_scroll_encoders.moc"
