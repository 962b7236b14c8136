#include "scroll/framesequence.h"
#include "scroll/writeanimation.h"
#include "tests/scrollsigns.h"
#include "tests/testfiles.h"

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
    const QByteArray bytes = testfiles::readAll(path);
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

Decoded decode(AnimationFormat format, const QString& path) {
    switch (format) {
    case AnimationFormat::Gif:
        return decodeGif(path);
    case AnimationFormat::WebP:
        return decodeWebp(path);
    default:
        return {};
    }
}

// What a delay becomes in the format: GIF counts hundredths of a second.
int writtenDelay(AnimationFormat format, int delayMs) {
    return format == AnimationFormat::Gif ? int(std::lround(delayMs / 10.0)) * 10 : delayMs;
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
        for (AnimationFormat format : {AnimationFormat::Gif, AnimationFormat::WebP}) {
            const char* name = format == AnimationFormat::Gif ? "gif" : "webp";
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
        const QString file = path(format == AnimationFormat::Gif ? "sign.gif" : "sign.webp");
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
        // 20 × 15 pixel cells of 300 colours each.
        scroll::Sign sign = scrollsigns::sign(6, 3);
        sign.litCell = manyColours(20, 15, true);
        sign.unlitCell = manyColours(20, 15, false);
        const AnimationSettings settings{4, 50, Direction::Left, 1, 0};
        QVERIFY(scroll::writeAnimation(sign, settings, path("many.gif"), AnimationFormat::Gif).ok());
        const QByteArray bytes = testfiles::readAll(path("many.gif"));
        QVERIFY(scroll::writeAnimation(sign, settings, path("again.gif"), AnimationFormat::Gif).ok());
        QCOMPARE(testfiles::readAll(path("again.gif")), bytes); // the palette is chosen the same every time

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
