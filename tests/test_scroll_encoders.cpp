#include "scroll/framesequence.h"
#include "scroll/webppalette.h"
#include "scroll/writeanimation.h"
#include "tests/animationdecoders.h"
#include "tests/scrollsigns.h"
#include "tests/testsupport.h"

#include <QDir>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include <webp/decode.h>

#include <climits>
#include <cmath>
#include <cstring>
#include <random>

using scroll::AnimationFormat;
using scroll::AnimationSettings;
using scroll::Direction;
using namespace animationdecoders;

Q_DECLARE_METATYPE(scroll::Direction)
Q_DECLARE_METATYPE(scroll::AnimationFormat)
Q_DECLARE_METATYPE(scroll::CHeaderOptions)

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

// Each cell of a decoded frame: 1 where its pixels are the lit picture's, 0 where they are the unlit's,
// '?' where they are neither; one line of text a row.
QByteArray cellsOf(const QImage& frame, const scroll::Sign& sign) {
    const QSize cell = sign.litCell.size();
    QByteArray text;
    for (int r = 0; r < frame.height() / cell.height(); ++r) {
        for (int c = 0; c < frame.width() / cell.width(); ++c) {
            const QImage part = frame.copy(QRect(QPoint(c * cell.width(), r * cell.height()), cell));
            text += part == sign.litCell ? '1' : part == sign.unlitCell ? '0' : '?';
        }
        text += '\n';
    }
    return text;
}

// A sign whose lit cells take colours 1 .. litColours in turn, each colour's picture unlike every other's.
scroll::Sign colouredSign(int columns, int rows, int litColours) {
    scroll::Sign sign = scrollsigns::sign(columns, rows, 5);
    int next = 0;
    for (uint8_t& cell : sign.cells.lit)
        if (cell != 0)
            cell = uint8_t(1 + next++ % litColours);
    for (int colour = 2; colour <= litColours; ++colour) {
        QImage picture = sign.litCell.copy();
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x)
                picture.setPixel(x, y, qRgb(colour * 15, 255 - colour * 7 - x, colour * 3 + y * 40));
        sign.colourCells.push_back(picture);
    }
    return sign;
}

// Compiles a C99 program that includes the headers and prints, for every frame, its delay and its cells
// from the first header's accessors (each as cellPrint prints it, given p the data prefix and f, x, y),
// then what epilogue prints; runs it and returns what it printed, or why it could not.
QString runCProgram(const QString& folder, const QStringList& headers, const QString& prefix, QByteArray& printed,
                    const QByteArray& cellPrint = "putchar('0' + p_cell(f, x, y));", const QByteArray& epilogue = {}) {
    QByteArray source = "#include <stdio.h>\n";
    for (const QString& header : headers)
        source += "#include \"" + header.toUtf8() + "\"\n";
    const QByteArray p = prefix.toLower().toLatin1();
    const QByteArray macro = prefix.toUpper().toLatin1();
    source += "int main(void) {\n"
              "    unsigned long f;\n"
              "    unsigned x, y;\n"
              "    for (f = 0; f < " +
              macro +
              "_FRAMES; ++f) {\n"
              "        printf(\"%lu\\n\", (unsigned long)" +
              p +
              "_delay(f));\n"
              "        for (y = 0; y < " +
              macro +
              "_HEIGHT; ++y) {\n"
              "            for (x = 0; x < " +
              macro +
              "_WIDTH; ++x)\n"
              "                " +
              QByteArray(cellPrint).replace("p_", p + '_') +
              "\n"
              "            putchar('\\n');\n"
              "        }\n"
              "    }\n" +
              QByteArray(epilogue).replace("p_", p + '_').replace("P_", macro + '_') +
              "    return 0;\n"
              "}\n";
    if (!testsupport::writeAll(folder + QStringLiteral("/show.c"), source))
        return QStringLiteral("cannot write show.c");
    QProcess compiler;
    compiler.setWorkingDirectory(folder);
    compiler.start(QStringLiteral(LUMIDOT_HOST_CC),
                   {QStringLiteral("-std=c99"), QStringLiteral("-pedantic"), QStringLiteral("-Wall"),
                    QStringLiteral("-Wextra"), QStringLiteral("-Werror"), QStringLiteral("show.c"),
                    QStringLiteral("-o"), QStringLiteral("show")});
    if (!compiler.waitForFinished(60000) || compiler.exitCode() != 0)
        return QString::fromUtf8(compiler.readAllStandardError());
    QProcess program;
    program.start(folder + QStringLiteral("/show"), QStringList());
    if (!program.waitForFinished(60000) || program.exitCode() != 0)
        return QStringLiteral("the program failed");
    printed = program.readAllStandardOutput();
    return {};
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
        QTest::addColumn<int>("hold"); // of frame 0 (moving left, the first column at the left edge)
        QTest::addColumn<int>("blinks");
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
                << format << wide << 5 << Direction::Left << 1 << 50 << 0 << 0 << 0;
            QTest::addRow("%s: narrower than the panel, right, 3 plays", name)
                << format << narrow << 7 << Direction::Right << 1 << 130 << 3 << 0 << 0;
            QTest::addRow("%s: down by 2, once, 25 ms", name)
                << format << scrollsigns::sign(5, 4) << 0 << Direction::Down << 2 << 25 << 1 << 0 << 0;
            QTest::addRow("%s: up, twice, longest delay", name)
                << format << wide << 0 << Direction::Up << 1 << 5000 << 2 << 0 << 0;
            QTest::addRow("%s: nothing changes", name)
                << format << blank << 0 << Direction::Left << 1 << 50 << 0 << 0 << 0;
            QTest::addRow("%s: 256 colours", name) << format << full << 3 << Direction::Left << 1 << 50 << 0 << 0 << 0;
            if (format != AnimationFormat::Gif)
                QTest::addRow("%s: 600 colours", name)
                    << format << many << 4 << Direction::Left << 1 << 50 << 0 << 0 << 0;
            QTest::addRow("%s: held a second, blinking three times", name)
                << format << wide << 5 << Direction::Left << 1 << 50 << 0 << 1000 << 3;
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
        QFETCH(int, hold);
        QFETCH(int, blinks);
        AnimationSettings settings{panel, delay, direction, step, loop};
        settings.holdMs = hold;
        settings.blinks = blinks;
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
            QCOMPARE(decoded.delaysMs[k], writtenDelay(format, k == 0 && hold > 0 ? hold : delay));
        }
    }

    // Where no thread can start (a limit on processes or on memory), the WebP encoder compresses every
    // frame itself: the same file as with threads, and nothing left beside it.
    // Palette images through the WebP palette encoder, read back by libwebp's own decoder: every packing
    // of indices, odd widths, runs longer than a copy can be, and symbol counts so uneven that a plain
    // Huffman tree would be deeper than the format allows.
    void paletteWebpDecodesToItsColours_data() {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("colours");
        QTest::addColumn<int>("pattern"); // 0 uniform noise, 1 mostly the first colour, 2 Fibonacci frequencies
        QTest::newRow("one colour") << 5 << 3 << 1 << 0;
        QTest::newRow("two colours, 8 a byte, 13 wide") << 13 << 7 << 2 << 0;
        QTest::newRow("three colours, 4 a byte") << 10 << 9 << 3 << 0;
        QTest::newRow("sixteen colours, 2 a byte, 33 wide") << 33 << 5 << 16 << 0;
        QTest::newRow("seventeen colours, 1 a byte") << 20 << 20 << 17 << 0;
        QTest::newRow("long runs and repeats") << 700 << 300 << 2 << 1;
        QTest::newRow("uneven counts") << 1000 << 600 << 256 << 2;
        QTest::newRow("widest") << 16384 << 2 << 5 << 1;
    }
    void paletteWebpDecodesToItsColours() {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(int, colours);
        QFETCH(int, pattern);
        std::mt19937 random(uint32_t(width * 131 + colours));
        QList<QRgb> palette;
        for (int n = 0; n < colours; ++n)
            palette.append(qRgb(int(random() % 256), int(random() % 256), int(random() % 256)));
        const size_t stride = size_t(width) + 3; // rows need not follow each other
        std::vector<uint8_t> indices(stride * size_t(height), 0xee);
        std::vector<double> fibonacci{1, 1};
        while (fibonacci.size() < 26)
            fibonacci.insert(fibonacci.begin(), fibonacci[0] + fibonacci[1]);
        std::discrete_distribution<uint32_t> uneven(fibonacci.begin(), fibonacci.end());
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                uint32_t index = uint32_t(random() % uint32_t(colours));
                if (pattern == 1)
                    index = random() % 200 == 0 ? index : 0;
                else if (pattern == 2)
                    index = uneven(random);
                indices[size_t(y) * stride + size_t(x)] = uint8_t(index);
            }
        }
        const std::vector<uint8_t> stream = scroll::encodePaletteWebp(indices.data(), width, height, stride, palette);
        int decodedWidth = 0;
        int decodedHeight = 0;
        uint8_t* argb = WebPDecodeBGRA(stream.data(), stream.size(), &decodedWidth, &decodedHeight);
        QVERIFY(argb);
        const QImage decoded = QImage(argb, decodedWidth, decodedHeight, QImage::Format_ARGB32).copy();
        WebPFree(argb);
        QCOMPARE(decoded.size(), QSize(width, height));
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const QRgb expected = palette[indices[size_t(y) * stride + size_t(x)]];
                if (decoded.pixel(x, y) != expected)
                    QFAIL(qPrintable(QStringLiteral("pixel %1, %2 is %3, not %4")
                                         .arg(x)
                                         .arg(y)
                                         .arg(decoded.pixel(x, y), 8, 16)
                                         .arg(expected, 8, 16)));
            }
        }
    }

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

    void headerCellsAreTheGifFrames_data() {
        QTest::addColumn<Direction>("direction");
        QTest::addColumn<scroll::CHeaderOptions>("options");
        QTest::addColumn<int>("hold");
        QTest::addColumn<int>("blinks");
        using Layout = scroll::CHeaderOptions::Layout;
        using Scan = scroll::CHeaderOptions::Scan;
        const struct {
            const char* name;
            scroll::CHeaderOptions options;
        } layouts[] = {
            {"strip by columns", {Layout::Strip, Scan::Columns, QStringLiteral("sign"), false}},
            {"strip by rows", {Layout::Strip, Scan::Rows, QStringLiteral("Panel_2"), true}},
            {"frames", {Layout::Frames, Scan::Columns, QStringLiteral("sign"), true}},
        };
        for (const auto& layout : layouts) {
            for (Direction direction : {Direction::Left, Direction::Right, Direction::Up, Direction::Down}) {
                QTest::addRow("%s, %s", layout.name, qPrintable(scroll::directionName(direction)))
                    << direction << layout.options << 0 << 0;
            }
            QTest::addRow("%s, held and blinking", layout.name) << Direction::Right << layout.options << 700 << 2;
        }
    }
    void headerCellsAreTheGifFrames() {
        QFETCH(Direction, direction);
        QFETCH(scroll::CHeaderOptions, options);
        QFETCH(int, hold);
        QFETCH(int, blinks);
        // 11 × 9 cells on an 8-cell panel, two cells a frame: rows take two bytes, columns one and a half.
        const scroll::Sign sign = scrollsigns::sign(11, 9, 3);
        AnimationSettings settings{8, 40, direction, 1, 0};
        settings.gap = 5;
        settings.holdMs = hold;
        settings.blinks = blinks;
        QTemporaryDir folder;
        const QString gif = folder.filePath(QStringLiteral("sign.gif"));
        QVERIFY(scroll::writeAnimation(sign, settings, gif, AnimationFormat::Gif).ok());
        QVERIFY(scroll::writeAnimation(sign, settings, folder.filePath(QStringLiteral("sign.h")),
                                       AnimationFormat::CHeader, options)
                    .ok());
        // A second sign under another name goes into the same program.
        scroll::CHeaderOptions other = options;
        other.name = QStringLiteral("other");
        QVERIFY(scroll::writeAnimation(scrollsigns::sign(5, 2), {}, folder.filePath(QStringLiteral("other.h")),
                                       AnimationFormat::CHeader, other)
                    .ok());

        QByteArray printed;
        const QString failure =
            runCProgram(folder.path(), {QStringLiteral("sign.h"), QStringLiteral("other.h")}, options.name, printed);
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
        const Decoded decoded = decodeGif(gif);
        QByteArray expected;
        for (int k = 0; k < decoded.frames.size(); ++k)
            expected += QByteArray::number(decoded.delaysMs[k]) + '\n' + cellsOf(decoded.frames[k], sign);
        // GIF counts hundredths: the header's 40 and 700 ms read back as they are.
        QCOMPARE(printed, expected);
    }

    // A sign of several colours: the header's colour number of each cell names the picture the GIF shows
    // there, and its palette the colour the cell's middle pixel shows, in RGB888 and RGB565.
    void colouredHeaderCellsAreTheGifColours_data() {
        QTest::addColumn<scroll::CHeaderOptions>("options");
        QTest::addColumn<int>("litColours");
        QTest::addColumn<int>("bits");
        using Layout = scroll::CHeaderOptions::Layout;
        using Scan = scroll::CHeaderOptions::Scan;
        const scroll::CHeaderOptions columns{Layout::Strip, Scan::Columns, QStringLiteral("sign"), false};
        const scroll::CHeaderOptions rows{Layout::Strip, Scan::Rows, QStringLiteral("sign"), true};
        const scroll::CHeaderOptions frames{Layout::Frames, Scan::Columns, QStringLiteral("sign"), false};
        QTest::newRow("strip by columns, 2 colours") << columns << 2 << 2;
        QTest::newRow("strip by rows, 3 colours") << rows << 3 << 2;
        QTest::newRow("frames, 3 colours") << frames << 3 << 2;
        QTest::newRow("strip by columns, 4 colours") << columns << 4 << 4;
        QTest::newRow("strip by rows, 15 colours") << rows << 15 << 4;
        QTest::newRow("frames, 16 colours") << frames << 16 << 8;
        QTest::newRow("strip by columns, 20 colours") << columns << 20 << 8;
    }
    void colouredHeaderCellsAreTheGifColours() {
        QFETCH(scroll::CHeaderOptions, options);
        QFETCH(int, litColours);
        QFETCH(int, bits);
        // 13 × 7 cells on a 9-cell panel: a column of 7 cells at 2 bits takes two bytes, rows pad their last.
        const scroll::Sign sign = colouredSign(13, 7, litColours);
        AnimationSettings settings{9, 40, Direction::Left, 1, 0};
        settings.holdMs = 500;
        settings.blinks = 1;
        QTemporaryDir folder;
        const QString gif = folder.filePath(QStringLiteral("sign.gif"));
        const QString header = folder.filePath(QStringLiteral("sign.h"));
        QVERIFY(scroll::writeAnimation(sign, settings, gif, AnimationFormat::Gif).ok());
        QVERIFY(scroll::writeAnimation(sign, settings, header, AnimationFormat::CHeader, options).ok());
        const QByteArray text = testsupport::readAll(header);
        QVERIFY(text.contains("#define SIGN_COLORS " + QByteArray::number(litColours + 1) + ' '));
        QVERIFY(text.contains("#define SIGN_CELL_BITS " + QByteArray::number(bits) + ' '));

        QByteArray printed;
        const QString failure = runCProgram(folder.path(), {QStringLiteral("sign.h")}, options.name, printed,
                                            "printf(\"%u \", (unsigned)p_cell(f, x, y));",
                                            "    for (x = 0; x < P_COLORS; ++x)\n"
                                            "        printf(\"%06lx %04x\\n\", (unsigned long)p_rgb888((uint8_t)x), "
                                            "(unsigned)p_rgb565((uint8_t)x));\n");
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
        QList<QByteArray> lines = printed.split('\n');
        QList<QByteArray> palette = lines.mid(lines.size() - 1 - (litColours + 1), litColours + 1);

        const Decoded decoded = decodeGif(gif);
        const QSize cell = sign.litCell.size();
        int line = 0;
        QSet<int> shown;
        for (const QImage& frame : decoded.frames) {
            ++line; // the delay
            for (int r = 0; r < frame.height() / cell.height(); ++r) {
                const QList<QByteArray> numbers = lines[line++].split(' ');
                for (int c = 0; c < frame.width() / cell.width(); ++c) {
                    const int colour = numbers[c].toInt();
                    QVERIFY(colour <= litColours);
                    shown.insert(colour);
                    const QImage part = frame.copy(QRect(QPoint(c * cell.width(), r * cell.height()), cell));
                    QCOMPARE(part, sign.cellPicture(uint8_t(colour)));
                    const QRgb middle = part.pixel((cell.width() - 1) / 2, (cell.height() - 1) / 2);
                    const uint rgb565 =
                        uint(qRed(middle) >> 3) << 11 | uint(qGreen(middle) >> 2) << 5 | uint(qBlue(middle) >> 3);
                    QCOMPARE(palette[colour], QString::asprintf("%06x %04x", middle & 0xffffffu, rgb565).toLatin1());
                }
            }
        }
        QCOMPARE(shown.size(), litColours + 1); // every colour was read back
    }
};

QTEST_GUILESS_MAIN(TestScrollEncoders)
#include "test_scroll_encoders.moc"
