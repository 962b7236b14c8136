#include "platform/errors.h"
#include "platform/surface.h"

#include <QGuiApplication>
#include <QTest>

using namespace platform;

namespace {
// A surface whose every pixel has its own colour, so any misplaced copy shows.
Surface numbered(int width, int height) {
    Surface surface(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            surface.image().setPixel(x, y, qRgb(x, y, 100));
    return surface;
}
} // namespace

class TestSurface : public QObject {
    Q_OBJECT

private slots:
    void pointGivesRedInTheLowByte() {
        Surface surface(2, 1);
        surface.image().setPixel(0, 0, qRgb(0x12, 0x34, 0x56));
        QCOMPARE(surface.Point(0, 0), 0x563412);
        QCOMPARE(surface.Point(2, 0), -1);
        QCOMPARE(surface.Point(0, -1), -1);
    }

    void bitBltCopiesOneRectangle() {
        const Surface source = numbered(10, 10);
        Surface target(10, 10, qRgb(255, 255, 255));
        QVERIFY(BitBlt(target, 1, 2, 3, 4, source, 5, 6));
        for (int y = 0; y < 10; ++y) {
            for (int x = 0; x < 10; ++x) {
                const bool inside = x >= 1 && x < 4 && y >= 2 && y < 6;
                const QRgb expected = inside ? qRgb(x + 4, y + 4, 100) : qRgb(255, 255, 255);
                QCOMPARE(target.image().pixel(x, y), expected);
            }
        }
    }

    void bitBltClipsToBothSurfaces() {
        const Surface source = numbered(4, 4);
        Surface target(6, 6, qRgb(255, 255, 255));
        // Starts left of and above the source, and runs past the target's right and bottom edges.
        QVERIFY(BitBlt(target, 3, 3, 10, 10, source, -1, -1));
        QCOMPARE(target.image().pixel(3, 3), qRgb(255, 255, 255)); // no source pixel at (-1, -1)
        QCOMPARE(target.image().pixel(4, 4), qRgb(0, 0, 100));
        QCOMPARE(target.image().pixel(5, 5), qRgb(1, 1, 100));
        QCOMPARE(target.image().pixel(2, 2), qRgb(255, 255, 255));
        QVERIFY(!BitBlt(target, 0, 0, 0, 5, source, 0, 0));
        QVERIFY(!BitBlt(target, 0, 0, -3, 5, source, 0, 0));
        QVERIFY(!BitBlt(target, 6, 0, 5, 5, source, 0, 0));
    }

    void bitBltOntoItselfReadsTheOriginal() {
        Surface surface = numbered(8, 1);
        QVERIFY(BitBlt(surface, 1, 0, 7, 1, surface, 0, 0));
        for (int x = 1; x < 8; ++x)
            QCOMPARE(surface.image().pixel(x, 0), qRgb(x - 1, 0, 100));
    }

    void resizeKeepsTheTopLeftAndFillsWithTheBackground() {
        Surface surface = numbered(4, 4);
        surface.setBackColor(qRgb(9, 9, 9));
        surface.image().setPixel(1, 1, qRgb(1, 2, 3));
        surface.resize(6, 2);
        QCOMPARE(surface.ScaleWidth(), 6);
        QCOMPARE(surface.ScaleHeight(), 2);
        QCOMPARE(surface.image().pixel(1, 1), qRgb(1, 2, 3));
        QCOMPARE(surface.image().pixel(5, 1), qRgb(9, 9, 9));
        surface.resize(-5, 0);
        QCOMPARE(surface.ScaleWidth(), 0);
    }

    void aSurfaceBeyondTheLimitIsRefusedAndUnchanged() {
        Surface surface = numbered(3, 3);
        try {
            surface.resize(1 << 14, (1 << 13) + 1);
            QFAIL("no error raised");
        } catch (const RuntimeError& error) {
            QCOMPARE(error.number(), int(ErrOutOfMemory));
        }
        QCOMPARE(surface.ScaleWidth(), 3);
        QCOMPARE(surface.image().pixel(2, 2), qRgb(2, 2, 100));
        QVERIFY(surfaceSizeAllowed(1 << 14, 1 << 13));
    }

    void printLeavesOnlyExactTextAndBackgroundColours() {
        Surface surface(200, 60, qRgb(255, 255, 255));
        surface.setForeColor(qRgb(0, 0, 0));
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPointSizeF(24);
        surface.setFont(font);
        surface.Print(QStringLiteral("Sample"));
        int black = 0;
        for (int y = 0; y < surface.ScaleHeight(); ++y) {
            for (int x = 0; x < surface.ScaleWidth(); ++x) {
                const int32_t colour = surface.Point(x, y);
                QVERIFY2(colour == 0 || colour == 0xFFFFFF, "a smoothed pixel");
                black += colour == 0;
            }
        }
        QVERIFY(black > 50);
        surface.Cls();
        QCOMPARE(surface.Point(10, 20), 0xFFFFFF);
    }
};

QTEST_MAIN(TestSurface)
#include "test_surface.moc"
