#include "platform/errors.h"
#include "platform/numbers.h"

#include <QLocale>
#include <QTest>

using namespace platform;

class TestNumbers : public QObject {
    Q_OBJECT

private slots:
    void init() { QLocale::setDefault(QLocale::c()); }

    void roundsHalvesToEven_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("expected");
        QTest::newRow("2.5") << 2.5 << 2;
        QTest::newRow("3.5") << 3.5 << 4;
        QTest::newRow("-2.5") << -2.5 << -2;
        QTest::newRow("0.4") << 0.4 << 0;
        QTest::newRow("0.6") << 0.6 << 1;
        QTest::newRow("-32768.5 rounds into range") << -32768.5 << -32768;
    }
    void roundsHalvesToEven() {
        QFETCH(double, value);
        QFETCH(int, expected);
        QCOMPARE(int(toInt16(value)), expected);
    }

    void conversionsOverflowInsteadOfWrapping_data() {
        QTest::addColumn<double>("value");
        QTest::newRow("32767.5 rounds to 32768") << 32767.5;
        QTest::newRow("40000") << 40000.0;
        QTest::newRow("-32769") << -32769.0;
        QTest::newRow("nan") << std::nan("");
    }
    void conversionsOverflowInsteadOfWrapping() {
        QFETCH(double, value);
        try {
            toInt16(value);
            QFAIL("no overflow raised");
        } catch (const RuntimeError& error) {
            QCOMPARE(error.number(), int(ErrOverflow));
        }
    }

    void checkedArithmetic() {
        QCOMPARE(int(mul16(8, 4095)), 32760);
        QVERIFY_THROWS_EXCEPTION(RuntimeError, mul16(8, 4096));
        QCOMPARE(int(add16(32766, 1)), 32767);
        QVERIFY_THROWS_EXCEPTION(RuntimeError, add16(32767, 1));
        QVERIFY_THROWS_EXCEPTION(RuntimeError, sub16(-32768, 1));
        QCOMPARE(add32(mul32(8, 40000), 2), 320002);
        QVERIFY_THROWS_EXCEPTION(RuntimeError, mul32(65536, 32768));
        QVERIFY_THROWS_EXCEPTION(RuntimeError, add32(2147483647, 1));
        QCOMPARE(int(toByte(255.4)), 255);
        QVERIFY_THROWS_EXCEPTION(RuntimeError, toByte(-1));
        QVERIFY_THROWS_EXCEPTION(RuntimeError, toByte(256));
    }

    void textThatIsNotANumberIsATypeMismatch_data() {
        QTest::addColumn<QString>("text");
        QTest::newRow("empty") << "";
        QTest::newRow("blank") << "   ";
        QTest::newRow("word") << "abc";
        QTest::newRow("trailing junk") << "10pt";
        QTest::newRow("infinity") << "inf";
    }
    void textThatIsNotANumberIsATypeMismatch() {
        QFETCH(QString, text);
        try {
            parseNumber(text);
            QFAIL("no error raised");
        } catch (const RuntimeError& error) {
            QCOMPARE(error.number(), int(ErrTypeMismatch));
        }
    }

    void blanksAroundANumberAreIgnored() {
        QCOMPARE(parseNumber(QStringLiteral("  12.5 ")), 12.5);
        QCOMPARE(int(parseInt16(QStringLiteral(" -1"))), -1);
    }

    void singleTextForms_data() {
        QTest::addColumn<float>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("whole") << 10.0f << "10";
        QTest::newRow("half") << 10.5f << "10.5";
        QTest::newRow("float noise hidden") << 0.1f << "0.1";
        QTest::newRow("seven digits") << 1234567.0f << "1234567";
        QTest::newRow("negative") << -9.75f << "-9.75";
    }
    void singleTextForms() {
        QFETCH(float, value);
        QFETCH(QString, text);
        QCOMPARE(formatSingle(value), text);
        QCOMPARE(parseSingle(text), value);
    }

    // A file written under one locale reads back under any other; a decimal comma typed by hand reads too.
    void numbersReadAndWriteAlikeInEveryLocale_data() {
        QTest::addColumn<QLocale>("locale");
        QTest::newRow("German") << QLocale(QLocale::German, QLocale::Germany);
        QTest::newRow("French") << QLocale(QLocale::French, QLocale::France);
        QTest::newRow("C") << QLocale::c();
    }
    void numbersReadAndWriteAlikeInEveryLocale() {
        QFETCH(QLocale, locale);
        QLocale::setDefault(locale);
        QCOMPARE(formatSingle(10.5f), QStringLiteral("10.5"));
        QCOMPARE(formatSingle(1234.5f), QStringLiteral("1234.5"));
        QCOMPARE(parseSingle(QStringLiteral("10.0")), 10.0f);
        QCOMPARE(parseSingle(QStringLiteral(" 10,5 ")), 10.5f);
        QCOMPARE(int(parseInt16(QStringLiteral("2,5"))), 2);
        for (const char* grouped : {"1.234,5", "1,234,567", "1 234"})
            QVERIFY_THROWS_EXCEPTION(RuntimeError, parseNumber(QString::fromLatin1(grouped)));
    }
};

QTEST_GUILESS_MAIN(TestNumbers)
#include "test_numbers.moc"
