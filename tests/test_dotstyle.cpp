// Dots made from a colour: their centres, corners and edges by hand-worked values, the colour names, and
// a picture tinted to another colour.

#include "dots/dotstyle.h"

#include <QTest>

Q_DECLARE_METATYPE(dots::DotShape)

class TestDotStyle : public QObject {
    Q_OBJECT

private slots:
    void dotsAreTheColourAtTheirBrightness_data() {
        QTest::addColumn<QString>("color");
        QTest::addColumn<dots::DotShape>("shape");
        QTest::addColumn<int>("size");
        QTest::addColumn<int>("percent");
        QTest::addColumn<QRgb>("centre"); // pixel ((size - 1) / 2, (size - 1) / 2)
        const auto round = dots::DotShape::Round;
        const auto square = dots::DotShape::Square;
        QTest::newRow("lit red") << "#FF0000" << round << 8 << 100 << qRgb(255, 0, 0);
        QTest::newRow("unlit red, 15 %: 38.25") << "#ff0000" << round << 8 << 15 << qRgb(38, 0, 0);
        QTest::newRow("unlit red, 40 %") << "#FF0000" << round << 8 << 40 << qRgb(102, 0, 0);
        QTest::newRow("amber, square, 50 %: 127.5 and 75") << "amber" << square << 5 << 50 << qRgb(128, 75, 0);
        QTest::newRow("35 % of 150 is 52.5") << "#96FF00" << square << 4 << 35 << qRgb(53, 89, 0);
        QTest::newRow("the smallest round dot") << "green" << round << 2 << 100 << qRgb(0, 255, 0);
        QTest::newRow("the smallest square dot") << "Blue" << square << 2 << 100 << qRgb(0, 80, 255);
        QTest::newRow("the largest, dark") << "white" << round << 64 << 0 << qRgb(0, 0, 0);
    }
    void dotsAreTheColourAtTheirBrightness() {
        QFETCH(QString, color);
        QFETCH(dots::DotShape, shape);
        QFETCH(int, size);
        QFETCH(int, percent);
        QFETCH(QRgb, centre);
        const std::optional<QRgb> rgb = dots::colorNamed(color);
        QVERIFY(rgb);
        const QImage dot = dots::generatedDot(*rgb, size, shape, percent);
        QCOMPARE(dot.size(), QSize(size, size));
        QCOMPARE(dot.pixel((size - 1) / 2, (size - 1) / 2), centre);
        const QRgb black = qRgb(0, 0, 0);
        if (shape == dots::DotShape::Round) {
            // Every corner but the centre of a two-pixel dot is black.
            for (const QPoint corner :
                 {QPoint(0, 0), QPoint(size - 1, 0), QPoint(0, size - 1), QPoint(size - 1, size - 1)})
                if (corner != QPoint((size - 1) / 2, (size - 1) / 2))
                    QCOMPARE(dot.pixel(corner), black);
        } else {
            for (int i = 0; i < size; ++i) {
                QCOMPARE(dot.pixel(size - 1, i), black);
                QCOMPARE(dot.pixel(i, size - 1), black);
            }
            if (size > 2)
                QCOMPARE(dot.pixel(0, 0), centre);
        }
    }

    void aRoundDotHasASoftRim() {
        // 8 pixels: the disc reaches 3.5 from the cell's middle (4, 4) and fades over one pixel beyond.
        const QImage dot = dots::generatedDot(qRgb(200, 100, 0), 8, dots::DotShape::Round, 100);
        QCOMPARE(dot.pixel(3, 0), qRgb(93, 46, 0));   // centre (3.5, 0.5) at 3.536: 4 − 3.536 = 0.464 covered
        QCOMPARE(dot.pixel(1, 1), qRgb(93, 46, 0));   // (1.5, 1.5): the same distance
        QCOMPARE(dot.pixel(3, 1), qRgb(200, 100, 0)); // (3.5, 1.5) at 2.55: whole
        QCOMPARE(dot.pixel(1, 0), qRgb(0, 0, 0));     // (1.5, 0.5) at 4.30: beyond the rim
    }

    void presetsAreNamedAndTheirOwnColour() {
        for (const dots::PresetColor& preset : dots::presetColors()) {
            QCOMPARE(dots::colorNamed(QString::fromLatin1(preset.name).toUpper()), std::optional<QRgb>(preset.rgb));
            QCOMPARE(dots::colorName(preset.rgb), QString::fromLatin1(preset.name));
        }
        QCOMPARE(dots::colorName(qRgb(1, 171, 255)), QStringLiteral("#01ABFF"));
        for (const char* bad : {"", "purple", "#FF00", "#GG0000", "FF0000", "#FF00000"})
            QVERIFY2(!dots::colorNamed(QString::fromLatin1(bad)), bad);
        // The dominant channel of each: red, amber and yellow red; green green; blue blue.
        const char* const dominant[] = {"red", "red", "red", "green", "blue", "white"};
        for (size_t i = 0; i < dots::presetColors().size(); ++i) {
            const QRgb c = dots::presetColors()[i].rgb;
            const int top = std::max({qRed(c), qGreen(c), qBlue(c)});
            const QString wanted = QString::fromLatin1(dominant[i]);
            QVERIFY(wanted == "white" ? qRed(c) == top && qGreen(c) == top && qBlue(c) == top
                                      : (wanted == "red"     ? qRed(c)
                                         : wanted == "green" ? qGreen(c)
                                                             : qBlue(c)) == top);
        }
    }

    void aTintedPictureKeepsItsBrightness() {
        QImage picture(3, 1, QImage::Format_RGB32);
        picture.setPixel(0, 0, qRgb(255, 255, 255));
        picture.setPixel(1, 0, qRgb(10, 128, 60));
        picture.setPixel(2, 0, qRgb(0, 0, 0));
        const QImage green = dots::tinted(picture, qRgb(0, 200, 100));
        QCOMPARE(green.pixel(0, 0), qRgb(0, 255, 128));
        QCOMPARE(green.pixel(1, 0), qRgb(0, 128, 64));
        QCOMPARE(green.pixel(2, 0), qRgb(0, 0, 0));
    }
};

QTEST_GUILESS_MAIN(TestDotStyle)
#include "test_dotstyle.moc"
