#include "codec/TransG32.h"
#include "platform/surface.h"

#include <QBuffer>
#include <QDir>
#include <QImage>
#include <QImageWriter>
#include <QTemporaryDir>
#include <QTest>

#include "tests/testsupport.h"

#include <cerrno>

using platform::Failure;

namespace {

// A surface of width × height pixels in colours different pixels, spread so that no pattern repeats.
platform::Surface surfaceOf(int width, int height, int colours) {
    platform::Surface surface(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const uint32_t n = uint32_t(x * 7 + y * 13) % uint32_t(colours);
            surface.image().setPixel(x, y, qRgb(int(n * 97 % 256), int(n * 31 % 256), int(n / 256 * 50 + n % 7)));
        }
    return surface;
}

} // namespace

class TestCodec : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_folder;
    QString path(const QString& name) const { return m_folder.filePath(name); }

private slots:
    // The platform's picture writer made these files before; they stay byte for byte the same.
    void bitmapsAreTheBytesQtsWriterMakes_data() {
        QTest::addColumn<int>("width");
        QTest::newRow("no row padding") << 4;
        QTest::newRow("1 byte of padding") << 5;
        QTest::newRow("2 bytes") << 6;
        QTest::newRow("3 bytes") << 7;
        QTest::newRow("rows longer than a write") << 400000;
    }
    void bitmapsAreTheBytesQtsWriterMakes() {
        QFETCH(int, width);
        const platform::Surface surface = surfaceOf(width, 5, 1000);
        QBuffer expected;
        expected.open(QIODevice::WriteOnly);
        QVERIFY(QImageWriter(&expected, "bmp").write(surface.image()));
        QVERIFY(codec::SavePicture(surface, path("qt.bmp")).ok());
        QCOMPARE(testsupport::readAll(path("qt.bmp")), expected.data());
    }

    void pngsHoldTheAreasPixelsExactly_data() {
        QTest::addColumn<int>("colours");
        QTest::addColumn<int>("setting");
        QTest::addColumn<int>("colorType");
        QTest::addColumn<int>("lateColours");
        QTest::addColumn<int>("bitDepth");
        QTest::newRow("2 colours, fastest") << 2 << 1 << 3 << 0 << 1;
        QTest::newRow("14 colours, default") << 14 << 0 << 3 << 0 << 4;
        QTest::newRow("256 colours, smallest") << 256 << 2 << 3 << 0 << 8;
        QTest::newRow("257 colours") << 257 << 0 << 2 << 0 << 8;
        // Colours first met in the last row: the indices take more bits than the rows above needed.
        QTest::newRow("a third colour at the end") << 2 << 0 << 3 << 1 << 2;
        QTest::newRow("a 17th colour at the end") << 2 << 0 << 3 << 15 << 8;
        QTest::newRow("a 257th colour at the end") << 2 << 0 << 2 << 255 << 8;
    }
    void pngsHoldTheAreasPixelsExactly() {
        QFETCH(int, colours);
        QFETCH(int, setting);
        QFETCH(int, colorType);
        QFETCH(int, lateColours);
        QFETCH(int, bitDepth);
        platform::Surface surface = surfaceOf(61, 40, colours);
        for (int i = 0; i < lateColours; ++i)
            surface.image().setPixel(59 - i % 60, 38 - i / 60, qRgb(i, 255 - i, 128));
        // An area smaller than the surface: the pixels outside it stay out of the file and its palette.
        QVERIFY(codec::DCSavetoPNG(surface, 60, 39, path("area.png"), uint8_t(setting)).ok());
        const QByteArray png = testsupport::readAll(path("area.png"));
        QCOMPARE(int(png[24]), bitDepth);
        QCOMPARE(int(png[25]), colorType);
        QCOMPARE(QImage::fromData(png, "png").convertToFormat(QImage::Format_RGB32),
                 surface.image().copy(0, 0, 60, 39));
    }

    void failuresSayWhyAndKeepTheEarlierFile_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("failure");
        QTest::addColumn<int>("systemError");
        QTest::newRow("no pixels") << "kept.png" << 0 << int(Failure::NothingToWrite) << 0;
        QTest::newRow("wider than the surface") << "kept.png" << 9 << int(Failure::NothingToWrite) << 0;
        QTest::newRow("a folder") << "folder" << 8 << int(Failure::NotRegularFile) << 0;
        QTest::newRow("a missing folder") << "missing/x.png" << 8 << int(Failure::SystemError) << ENOENT;
    }
    void failuresSayWhyAndKeepTheEarlierFile() {
        QFETCH(QString, name);
        QFETCH(int, width);
        QFETCH(int, failure);
        QFETCH(int, systemError);
        QVERIFY(QDir(m_folder.path()).mkpath("folder"));
        QVERIFY(testsupport::writeAll(path("kept.png"), "earlier"));
        const platform::Surface surface = surfaceOf(8, 8, 3);
        for (const platform::Result& result : {codec::DCSavetoPNG(surface, width, 8, path(name), 0),
                                               codec::DCSavetoJPEG(surface, width, 8, path(name), 75, 0)}) {
            QCOMPARE(int(result.failure), failure);
            QCOMPARE(result.file, path(name));
            QCOMPARE(result.systemError, systemError);
        }
        QCOMPARE(testsupport::readAll(path("kept.png")), QByteArray("earlier"));
    }
};

QTEST_MAIN(TestCodec)
#include "test_codec.moc"
