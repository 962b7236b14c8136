#include "tests/testsupport.h"
#include "board/DrawBoard.h"
#include "dots/LoadDotImage.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

using board::BoardState;
using dots::LoadDotImage;
using platform::Surface;

namespace {

// Four flat quadrants of different colours.
QImage quadrants(int width, int height) {
    QImage image(width, height, QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y,
                           x < width / 2 ? (y < height / 2 ? qRgb(200, 30, 30) : qRgb(30, 200, 30))
                                         : (y < height / 2 ? qRgb(30, 30, 200) : qRgb(220, 220, 40)));
    return image;
}

QByteArray encoded(const QImage& image, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format, 100);
    return bytes;
}

int32_t redLow(QRgb rgb) {
    return qRed(rgb) | (qGreen(rgb) << 8) | (qBlue(rgb) << 16);
}

bool close(int32_t got, int32_t want, int tolerance) {
    for (int shift = 0; shift < 24; shift += 8)
        if (std::abs(((got >> shift) & 0xFF) - ((want >> shift) & 0xFF)) > tolerance)
            return false;
    return true;
}

// Whether the box holds the image's size and, within tolerance per channel, its pixels.
bool holds(const Surface& box, const QImage& image, int tolerance = 0) {
    if (box.ScaleWidth() != image.width() || box.ScaleHeight() != image.height())
        return false;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (!close(box.Point(x, y), redLow(image.pixel(x, y)), tolerance))
                return false;
    return true;
}

quint32 crc32(const QByteArray& bytes) {
    quint32 crc = 0xFFFFFFFF;
    for (const char byte : bytes) {
        crc ^= quint8(byte);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320 & (0 - (crc & 1)));
    }
    return ~crc;
}

// A real PNG whose IHDR claims another size, checksum mended so that a decoder believes it.
QByteArray forgedPng(quint32 width, quint32 height) {
    QByteArray png = encoded(quadrants(2, 2), "PNG");
    qToBigEndian(width, png.data() + 16);
    qToBigEndian(height, png.data() + 20);
    qToBigEndian(crc32(png.mid(12, 17)), png.data() + 29);
    return png;
}

// A 3 × 2 BMP stored top row first (a negative height), written byte by byte: red, green, blue over
// white, black and (10, 20, 30).
QByteArray topDownBmp() {
    QByteArray bmp("BM\x4e\0\0\0\0\0\0\0\x36\0\0\0", 14);                      // 78 bytes, pixels at 54
    bmp += QByteArray("\x28\0\0\0\x03\0\0\0\xfe\xff\xff\xff\x01\0\x18\0", 16); // 3 × -2, 24 bits
    bmp += QByteArray(24, '\0');                                               // no compression, sizes
    bmp += QByteArray("\0\0\xff\0\xff\0\xff\0\0\0\0\0", 12);                   // B G R, 3 bytes of padding
    bmp += QByteArray("\xff\xff\xff\0\0\0\x1e\x14\x0a\0\0\0", 12);
    return bmp;
}

QImage topDownPixels() {
    QImage image(3, 2, QImage::Format_RGB32);
    const QRgb pixels[] = {qRgb(255, 0, 0),     qRgb(0, 255, 0), qRgb(0, 0, 255),
                           qRgb(255, 255, 255), qRgb(0, 0, 0),   qRgb(10, 20, 30)};
    for (int i = 0; i < 6; ++i)
        image.setPixel(i % 3, i / 3, pixels[i]);
    return image;
}

QByteArray forgedBmp(qint32 width, qint32 height) {
    QByteArray bmp = encoded(quadrants(2, 2), "BMP");
    qToLittleEndian(width, bmp.data() + 18);
    qToLittleEndian(height, bmp.data() + 22);
    return bmp;
}

} // namespace

class TestDotImages : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_folder;

    QString write(const QString& name, const QByteArray& bytes) {
        const QString path = m_folder.filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }

private slots:
    void loadsEachFormat_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QImage>("image");
        QTest::addColumn<int>("tolerance");
        const QImage image = quadrants(12, 10);
        QImage flat(32, 24, QImage::Format_RGB32); // JPEG smears colour edges, so one colour all over
        flat.fill(qRgb(200, 30, 60));
        QTest::newRow("BMP") << "dot.bmp" << encoded(image, "BMP") << image << 0;
        QTest::newRow("ICO") << "dot.ico" << encoded(image, "ICO") << image << 0;
        QTest::newRow("JPEG") << "dot.jpg" << encoded(flat, "JPEG") << flat << 4;
        QTest::newRow("PNG, upper-case name") << "DOT.PNG" << encoded(image, "PNG") << image << 0;
        QTest::newRow("BMP content named .jpg") << "bmp.jpg" << encoded(image, "BMP") << image << 0;
        QTest::newRow("BMP stored top row first") << "top-down.bmp" << topDownBmp() << topDownPixels() << 0;
    }

    void loadsEachFormat() {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(QImage, image);
        QFETCH(int, tolerance);
        BoardState state = testsupport::windowBoard();
        QCOMPARE(LoadDotImage(state, write(name, bytes), 1), int16_t(0));
        QVERIFY(holds(state.Dot[1], image, tolerance));
    }

    // Only the lit dot sets the cell size, which must fit in 16 bits; the unlit dot may be as large as the
    // surface limit allows, in every format, and is cut to the cell.
    void unlitDotBeyond16BitsLoadsAndRenders_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("format");
        QTest::addColumn<QSize>("size");
        QTest::newRow("PNG 40000 x 2") << "wide.png" << QByteArray("PNG") << QSize(40000, 2);
        QTest::newRow("BMP 40000 x 2") << "wide.bmp" << QByteArray("BMP") << QSize(40000, 2);
        QTest::newRow("PNG 2 x 40000") << "tall.png" << QByteArray("PNG") << QSize(2, 40000);
    }

    void unlitDotBeyond16BitsLoadsAndRenders() {
        QFETCH(QString, name);
        QFETCH(QByteArray, format);
        QFETCH(QSize, size);
        const QImage image = quadrants(size.width(), size.height());
        const QString path = write(name, encoded(image, format));
        BoardState state = testsupport::windowBoard();
        QCOMPARE(LoadDotImage(state, path, 1), int16_t(0));
        QVERIFY(holds(state.Dot[1], image));
        board::DrawBoard(state, QStringLiteral("Hi"));
        QCOMPARE(int(state.CellWidth), 8); // the built-in lit dot's
        QCOMPARE(state.Board.Point(0, 0), redLow(image.pixel(0, 0)));
    }

    // dot.gif was made with ImageMagick: a red, a green and a blue pixel over a white, a black and a
    // transparent one. Transparent pixels show the box's background, in GIF as in ICO.
    void transparentPixelsShowTheBackground() {
        BoardState state = testsupport::windowBoard();
        state.Dot[0].setBackColor(qRgb(10, 20, 30));
        QCOMPARE(LoadDotImage(state, QStringLiteral(LUMIDOT_TEST_DATA "/dot.gif"), 0), int16_t(0));
        QImage expected(3, 2, QImage::Format_RGB32);
        const QRgb pixels[] = {qRgb(255, 0, 0),     qRgb(0, 255, 0), qRgb(0, 0, 255),
                               qRgb(255, 255, 255), qRgb(0, 0, 0),   qRgb(10, 20, 30)};
        for (int i = 0; i < 6; ++i)
            expected.setPixel(i % 3, i / 3, pixels[i]);
        QVERIFY(holds(state.Dot[0], expected));

        QImage icon = quadrants(4, 4);
        icon.setPixel(3, 3, qRgba(0, 0, 0, 0));
        QCOMPARE(LoadDotImage(state, write("clear.ico", encoded(icon, "ICO")), 0), int16_t(0));
        QCOMPARE(state.Dot[0].Point(3, 3), redLow(qRgb(10, 20, 30)));
        QCOMPARE(state.Dot[0].Point(0, 0), redLow(icon.pixel(0, 0)));
    }

    // A PNG's clear pixels show the box's back colour, as every other format's do, never the dot before it.
    void pngComposesOverTheBackColour() {
        BoardState state = testsupport::windowBoard();
        const QRgb back = state.Dot[0].backColor();
        QImage png = quadrants(10, 10);
        png.setPixel(2, 1, qRgba(0, 0, 0, 0));     // inside the old picture
        png.setPixel(9, 9, qRgba(0, 0, 0, 0));     // beyond it
        png.setPixel(3, 2, qRgba(0, 0, 255, 128)); // half blue
        QCOMPARE(LoadDotImage(state, write("alpha.png", encoded(png, "PNG")), 0), int16_t(0));
        const Surface& box = state.Dot[0];
        QCOMPARE(QSize(box.ScaleWidth(), box.ScaleHeight()), QSize(10, 10));
        QCOMPARE(box.Point(2, 1), redLow(back));
        QCOMPARE(box.Point(9, 9), redLow(back));
        QVERIFY(close(box.Point(3, 2), redLow(qRgb(qRed(back) / 2, qGreen(back) / 2, (qBlue(back) + 255) / 2)), 2));
        QCOMPARE(box.Point(0, 0), redLow(png.pixel(0, 0)));
    }

    // Into the lit dot, whose size must fit a cell.
    void unsafeFilesLeaveTheBoxAlone_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        const QByteArray png = encoded(quadrants(20, 20), "PNG");
        QByteArray corrupt = png;
        corrupt.replace(60, 20, QByteArray(20, '\x55'));
        QTest::newRow("BMP data named .png") << "bmp.png" << encoded(quadrants(4, 4), "BMP");
        QTest::newRow("IHDR of 65535 x 65535") << "forged.png" << forgedPng(65535, 65535);
        QTest::newRow("IHDR of 65544 x 1, not 8 x 1") << "wide.png" << encoded(quadrants(65544, 1), "PNG");
        QTest::newRow("IHDR of 65536 x 8, not 0 x 8") << "wide.png" << encoded(quadrants(65536, 8), "PNG");
        QTest::newRow("PNG cut short") << "short.png" << png.left(png.size() / 2);
        QTest::newRow("PNG with corrupt data") << "corrupt.png" << corrupt;
        QTest::newRow("PNG signature only") << "signature.png" << png.left(8);
        QTest::newRow("BMP of 60000 x 60000") << "huge.bmp" << forgedBmp(60000, 60000);
        QTest::newRow("PNG data named .bmp") << "png.bmp" << png;
        QTest::newRow("empty .png") << "empty.png" << QByteArray();
        QTest::newRow("empty .bmp") << "empty.bmp" << QByteArray();
        QTest::newRow("text named .jpg") << "text.jpg" << QByteArray("not a picture");
        QTest::newRow("JPEG cut short") << "short.jpg" << encoded(quadrants(64, 64), "JPEG").left(200);
        QTest::newRow("missing .png") << "missing.png" << QByteArray();
        QTest::newRow("missing .ico") << "missing.ico" << QByteArray();
        QTest::newRow("folder named .png") << "folder.png" << QByteArray();
        QTest::newRow("folder named .bmp") << "folder.bmp" << QByteArray();
    }

    void unsafeFilesLeaveTheBoxAlone() {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        const QString path = m_folder.filePath(name);
        if (name.startsWith(QLatin1String("folder")))
            QVERIFY(QDir(m_folder.path()).mkpath(name));
        else if (!name.startsWith(QLatin1String("missing")))
            write(name, bytes);
        BoardState state = testsupport::windowBoard();
        const QImage before = state.Dot[0].image().copy();
        QCOMPARE(LoadDotImage(state, path, 0), int16_t(1));
        QCOMPARE(state.Dot[0].image(), before);
        QCOMPARE(QSize(state.Dot[0].ScaleWidth(), state.Dot[0].ScaleHeight()), before.size());
    }

    // Each image has its own size, so the box's size tells which file was loaded (8 × 8: none).
    void dropWalk_data() {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<int>("gif");
        QTest::addColumn<QSize>("loaded");
        const QSize none(8, 8);
        QTest::newRow("text, then BMP") << QStringList{"note.txt", "five.bmp"} << 1 << QSize(5, 5);
        QTest::newRow("two images: the first") << QStringList{"five.bmp", "six.png"} << 1 << QSize(5, 5);
        QTest::newRow("a failing image is passed over") << QStringList{"bad.png", "six.png"} << 1 << QSize(6, 6);
        QTest::newRow(".jpeg is skipped") << QStringList{"seven.jpeg"} << 1 << none;
        QTest::newRow("mixed-case .Png is a PNG") << QStringList{"nine.Png"} << 1 << QSize(9, 9);
        QTest::newRow("GIF with Gif 1") << QStringList{"dot.gif"} << 1 << QSize(3, 2);
        QTest::newRow("GIF with Gif 0") << QStringList{"dot.gif"} << 0 << none;
        QTest::newRow("GIF with Gif 2") << QStringList{"dot.gif", "note.txt"} << 2 << none;
    }

    void dropWalk() {
        QFETCH(QStringList, files);
        QFETCH(int, gif);
        QFETCH(QSize, loaded);
        write("note.txt", "hello");
        write("five.bmp", encoded(quadrants(5, 5), "BMP"));
        write("six.png", encoded(quadrants(6, 6), "PNG"));
        write("bad.png", encoded(quadrants(4, 4), "PNG").left(40));
        write("seven.jpeg", encoded(quadrants(7, 7), "JPEG"));
        write("nine.Png", encoded(quadrants(9, 9), "PNG"));
        QFile::copy(QStringLiteral(LUMIDOT_TEST_DATA "/dot.gif"), m_folder.filePath("dot.gif"));
        QStringList paths;
        for (const QString& file : files)
            paths << m_folder.filePath(file);
        BoardState state = testsupport::windowBoard();
        dots::loadDroppedDotFiles(state, paths, 1, gif == 1); // the drop rule: GIF only when the setting is 1
        QCOMPARE(QSize(state.Dot[1].ScaleWidth(), state.Dot[1].ScaleHeight()), loaded);
        QCOMPARE(QSize(state.Dot[0].ScaleWidth(), state.Dot[0].ScaleHeight()), QSize(8, 8)); // the other dot stays
    }
};

QTEST_MAIN(TestDotImages)
#include "test_dotimages.moc"
