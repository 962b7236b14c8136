#include "scroll/framesequence.h"
#include "scroll/writeanimation.h"
#include "tests/animationdecoders.h"
#include "tests/scrollsigns.h"
#include "tests/testsupport.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <climits>
#include <cmath>
#include <cstring>

using scroll::AnimationFormat;
using scroll::AnimationSettings;
using scroll::Direction;
using namespace animationdecoders;

Q_DECLARE_METATYPE(scroll::Direction)
Q_DECLARE_METATYPE(scroll::AnimationFormat)

namespace {

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

    // Where no thread can start (a limit on processes or on memory), the WebP encoder compresses every
    // frame itself: the same file as with threads, and nothing left beside it.
    void webpWithoutThreadsIsTheSameFile() {
        const scroll::Sign sign = scrollsigns::sign(9, 4);
        const AnimationSettings settings{5, 50, Direction::Left, 1, 0};
        QVERIFY(scroll::writeAnimation(sign, settings, path("threads.webp"), AnimationFormat::WebP).ok());
        platform::Result result;
        {
            const testsupport::ThreadsCannotStart noThreads;
            QVERIFY(noThreads.applied());
            result = scroll::writeAnimation(sign, settings, path("alone.webp"), AnimationFormat::WebP);
        }
        QVERIFY2(result.ok(), qPrintable(result.detail));
        QCOMPARE(testsupport::readAll(path("alone.webp")), testsupport::readAll(path("threads.webp")));
        QCOMPARE(QDir(m_folder.path()).entryList({".alone.webp*"}, QDir::Hidden | QDir::Files), QStringList());
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
