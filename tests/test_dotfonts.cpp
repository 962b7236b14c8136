#include "board/fontface.h"
#include "dotfont/bitmapfont.h"
#include "dotfont/facelibrary.h"
#include "tests/testsupport.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

using dotfont::FaceLibrary;
using dotfont::ReadDepth;

namespace {

// A two-glyph BDF font: "A" (4 × 6) and U+3042 (8 × 8 drawn in a 7 × 7 box, one pixel left of the pen).
const QByteArray SmallBdf = "STARTFONT 2.1\n"
                            "FONT -Test-Small-Medium-R-Normal--8-80-75-75-C-80-ISO10646-1\n"
                            "SIZE 8 75 75\n"
                            "FONTBOUNDINGBOX 8 8 -1 -1\n"
                            "STARTPROPERTIES 2\n"
                            "FONT_ASCENT 7\n"
                            "FONT_DESCENT 1\n"
                            "ENDPROPERTIES\n"
                            "CHARS 2\n"
                            "STARTCHAR A\nENCODING 65\nSWIDTH 500 0\nDWIDTH 5 0\nBBX 4 6 0 0\nBITMAP\n"
                            "60\n90\n90\nF0\n90\n90\nENDCHAR\n"
                            "STARTCHAR a\nENCODING 12354\nSWIDTH 1000 0\nDWIDTH 8 0\nBBX 7 7 -1 -1\nBITMAP\n"
                            "10\nFE\n10\n7C\n92\n92\n64\nENDCHAR\n"
                            "ENDFONT\n";

// A real PCF font, decompressed by gzip.
QByteArray pcfBytes() {
    QProcess gunzip;
    gunzip.start(QStringLiteral("gzip"),
                 {QStringLiteral("-dc"), QStringLiteral("/usr/share/fonts/X11/misc/shnm6x12a.pcf.gz")});
    gunzip.waitForFinished();
    return gunzip.readAllStandardOutput();
}

QByteArray patched(QByteArray bytes, qsizetype offset, const QByteArray& with) {
    return bytes.replace(offset, with.size(), with);
}

QByteArray littleEndian32(uint32_t value) {
    QByteArray bytes(4, '\0');
    for (int i = 0; i < 4; ++i)
        bytes[i] = char(value >> (8 * i));
    return bytes;
}

// Where the PCF's table of the given type starts, from its table of contents.
qsizetype pcfTable(const QByteArray& pcf, uint32_t type) {
    const auto u32 = [&](qsizetype at) {
        return uint32_t(uchar(pcf[at])) | uint32_t(uchar(pcf[at + 1])) << 8 | uint32_t(uchar(pcf[at + 2])) << 16 |
               uint32_t(uchar(pcf[at + 3])) << 24;
    };
    for (uint32_t i = 0; i < u32(4); ++i)
        if (u32(8 + 16 * i) == type)
            return qsizetype(u32(8 + 16 * i + 12));
    return -1;
}

// The small font with a header of some hundred kilobytes: its description lies beyond the first reads.
QByteArray withLongHeader(const QByteArray& bdf) {
    QByteArray comments;
    for (int i = 0; i < 4000; ++i)
        comments += "COMMENT " + QByteArray(i % 97, 'x') + "\n";
    return QByteArray(bdf).replace("SIZE 8 75 75\n", "SIZE 8 75 75\n" + comments);
}

QByteArray gzipped(const QByteArray& bytes) {
    QProcess gzip;
    gzip.start(QStringLiteral("gzip"), {QStringLiteral("-c"), QStringLiteral("-n")});
    gzip.write(bytes);
    gzip.closeWriteChannel();
    gzip.waitForFinished();
    return gzip.readAllStandardOutput();
}

} // namespace

class TestDotFonts : public QObject {
    Q_OBJECT

    FaceLibrary m_library;

private slots:
    void initTestCase() {
        board::registerJapaneseFaceSubstitutions();
        m_library = FaceLibrary::discover(FaceLibrary::systemFontFolders(QDir::homePath()));
    }

    void listsTheInstalledDotFacesWithTheirHeights() {
        const QStringList list = m_library.dotFaceList();
        for (const char* line :
             {"Efont Biwidth\t10 12 14 16 24", "Efont Fixed\t10 12 14 16 24", "Shinonome Gothic\t12 14 16",
              "Shinonome Gothic Bold Italic\t12 14 16", "Shinonome Mincho\t12 14 16", "Shinonome Marumoji\t12",
              "Unifont\t16", "MisakiGothic\t8", "MisakiMincho\t8", "DotGothic16\t16"})
            QVERIFY2(list.contains(QString::fromUtf8(line)), line);
        QStringList sorted = list;
        std::stable_sort(sorted.begin(), sorted.end(),
                         [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
        QCOMPARE(list, sorted);
        QCOMPARE(FaceLibrary::discover(FaceLibrary::systemFontFolders(QDir::homePath())).dotFaceList(), list);
    }

    void findsFacesByAnyOfTheirNames_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("face");
        QTest::addColumn<bool>("dot");
        QTest::newRow("dot face, other case")
            << QStringLiteral("shinonome GOTHIC") << QStringLiteral("Shinonome Gothic") << true;
        QTest::newRow("Japanese name") << QStringLiteral("美咲明朝") << QStringLiteral("MisakiMincho") << true;
        QTest::newRow("pixel outline") << QStringLiteral("unifont") << QStringLiteral("Unifont") << true;
        QTest::newRow("outline family") << QStringLiteral("dejavu sans") << QStringLiteral("DejaVu Sans") << false;
        QTest::newRow("Windows face name")
            << QStringLiteral("ＭＳ Ｐゴシック") << QStringLiteral("IPAPGothic") << false;
        QTest::newRow("unknown") << QStringLiteral("No Such Face") << QString() << false;
    }
    void findsFacesByAnyOfTheirNames() {
        QFETCH(QString, name);
        QFETCH(QString, face);
        QFETCH(bool, dot);
        const auto found = m_library.find(name);
        QCOMPARE(found.has_value(), !face.isEmpty());
        if (found) {
            QCOMPARE(found->name(), face);
            QCOMPARE(found->isDot(), dot);
        }
    }

    // The BDF font, gzipped, and compiled to PCF by bdftopcf in every byte order, bit order, row padding
    // and scan unit it writes correctly (and with its description's tables moved to the end): the same
    // glyphs, and the same description read alone.
    void readsBdfAndPcfInEveryLayout_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("BDF") << SmallBdf;
        QTest::newRow("BDF gzipped") << gzipped(SmallBdf);
        QTest::newRow("BDF with a long header") << withLongHeader(SmallBdf);
        QTest::newRow("BDF with a long header, gzipped") << gzipped(withLongHeader(SmallBdf));
        for (const char* name : {"small.pcf", "small-lsb.pcf", "small-swapped.pcf", "small-properties-last.pcf"})
            QTest::newRow(name) << testsupport::readAll(QStringLiteral(LUMIDOT_TEST_DATA "/fonts/") +
                                                        QLatin1String(name));
    }
    void readsBdfAndPcfInEveryLayout() {
        QFETCH(QByteArray, bytes);
        {
            QString reason;
            const auto font = dotfont::readBitmapFontBytes(bytes, ReadDepth::Glyphs, reason);
            QVERIFY2(font, qPrintable(reason));
            QCOMPARE(font->info.lineHeight(), 8);
            const dotfont::Glyph* a = font->glyphFor(U'あ');
            QVERIFY(a && a->left == -1 && a->top == 6 && a->width == 7 && a->advance == 8);
            QVERIFY(font->pixel(*a, 0, 1) && font->pixel(*a, 6, 1) && !font->pixel(*a, 0, 0) && font->pixel(*a, 3, 0));
            QVERIFY(font->glyphFor(U'A') && !font->glyphFor(U'B'));
        }
        QString reason;
        const auto described = dotfont::readBitmapFontBytes(bytes, ReadDepth::InfoOnly, reason);
        QVERIFY2(described, qPrintable(reason));
        QCOMPARE(described->info.foundry, QStringLiteral("Test"));
        QCOMPARE(described->info.family, QStringLiteral("Small"));
        QCOMPARE(described->info.charsetRegistry, QStringLiteral("ISO10646"));
        QCOMPARE(described->info.ascent, 7);
        QCOMPARE(described->info.descent, 1);
        QVERIFY(described->glyphs.empty());
    }

    // A face's description is read from the start of its file alone: the first kilobyte of a 230 KB
    // kanji font (as pcf2bdf shows it), whose glyphs are then out of reach.
    void describesAFontFromTheStartOfItsFile() {
        QFile file(QStringLiteral("/usr/share/fonts/X11/misc/shnmk16.pcf.gz"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray start = file.read(1024);
        QString reason;
        const auto font = dotfont::readBitmapFontBytes(start, ReadDepth::InfoOnly, reason);
        QVERIFY2(font, qPrintable(reason));
        QCOMPARE(font->info.foundry, QStringLiteral("Shinonome"));
        QCOMPARE(font->info.family, QStringLiteral("Gothic"));
        QCOMPARE(font->info.charsetRegistry, QStringLiteral("JISX0208.1983"));
        QCOMPARE(font->info.ascent, 14);
        QCOMPARE(font->info.descent, 2);
        QVERIFY(!dotfont::readBitmapFontBytes(start, ReadDepth::Glyphs, reason));
        QVERIFY(!reason.isEmpty());
    }

    // Damaged files are refused with a reason, never read past their end or trusted for a size; damage
    // in the description refuses the description read alone too.
    void refusesDamagedFonts_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("descriptionDamaged");
        const QByteArray pcf = pcfBytes();
        QVERIFY(pcf.startsWith("\1fcp"));
        QString reason;
        QVERIFY2(dotfont::readBitmapFontBytes(pcf, ReadDepth::Glyphs, reason), qPrintable(reason));
        const qsizetype metrics = pcfTable(pcf, 1 << 2), bitmaps = pcfTable(pcf, 1 << 3),
                        encodings = pcfTable(pcf, 1 << 5);
        QVERIFY(metrics > 0 && bitmaps > 0 && encodings > 0);
        const QByteArray gz = gzipped(pcf);

        QTest::newRow("empty") << QByteArray() << true;
        QTest::newRow("PCF cut in half") << pcf.left(pcf.size() / 2) << false;
        QTest::newRow("PCF table beyond the file") << patched(pcf, 8 + 12, littleEndian32(0x7FFFFFF0)) << true;
        QTest::newRow("PCF with a million tables") << patched(pcf, 4, littleEndian32(1000000)) << true;
        QTest::newRow("PCF metrics count beyond its table")
            << patched(pcf, metrics + 4, QByteArray("\xFF\xFF", 2)) << false;
        QTest::newRow("PCF bitmap offset beyond its data")
            << patched(pcf, bitmaps + 8, QByteArray("\x7F\xFF\xFF\xF0", 4)) << false;
        QTest::newRow("PCF encoding range reversed")
            << patched(pcf, encodings + 4, QByteArray("\x00\xFF\x00\x00", 4)) << false;
        QTest::newRow("gzip claiming 4 GiB") << patched(gz, gz.size() - 4, littleEndian32(0xFFFFFFF0)) << false;
        QTest::newRow("gzip cut short") << gz.left(gz.size() - 9) << false;
        QTest::newRow("gzip cut inside the description") << gz.left(40) << true;
        QTest::newRow("BDF glyph 5000 wide") << QByteArray(SmallBdf).replace("BBX 4 6 0 0", "BBX 5000 6 0 0") << false;
        QTest::newRow("BDF row not hexadecimal") << QByteArray(SmallBdf).replace("\nF0\n", "\nFG\n") << false;
        QTest::newRow("BDF row too short") << QByteArray(SmallBdf).replace("\nFE\n", "\nF\n") << false;
        QTest::newRow("BDF without its end") << SmallBdf.left(SmallBdf.indexOf("ENDFONT")) << false;
        QTest::newRow("BDF unknown character set") << QByteArray(SmallBdf).replace("ISO10646-1", "NOSUCH-SET") << true;
        QTest::newRow("BDF line of a megabyte")
            << QByteArray(SmallBdf).replace("SIZE", QByteArray(1 << 20, 'X')) << true;
    }
    void refusesDamagedFonts() {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, descriptionDamaged);
        QString reason;
        QVERIFY(!dotfont::readBitmapFontBytes(bytes, ReadDepth::Glyphs, reason));
        QVERIFY(!reason.isEmpty());
        const auto described = dotfont::readBitmapFontBytes(bytes, ReadDepth::InfoOnly, reason);
        QCOMPARE(!described, descriptionDamaged);
        QCOMPARE(reason.isEmpty(), !descriptionDamaged);
    }

    // The font folders are read when a request first needs them, then not again: a pixel outline family
    // found by name, and the lines it draws itself, need no look at them.
    void readsTheFontFoldersOnlyWhenARequestNeedsThem() {
        QTemporaryDir folder;
        const auto addFace = [&](const QByteArray& family) {
            QFile file(folder.filePath(QString::fromLatin1(family) + QStringLiteral(".bdf")));
            return file.open(QIODevice::WriteOnly) &&
                   file.write(QByteArray(SmallBdf).replace("-Test-Small-", "-Test-" + family + "-")) > 0;
        };
        const FaceLibrary library = FaceLibrary::discover({folder.path()});
        const auto unifont = library.find(QStringLiteral("Unifont"));
        QVERIFY(unifont && unifont->isDot());
        QCOMPARE(unifont->atSize(16)->missingCharacters(QStringLiteral("Lumidot")), QString());
        QVERIFY(addFace("Early"));
        QVERIFY(library.find(QStringLiteral("test early")));
        QVERIFY(addFace("Late"));
        const FaceLibrary copy = library;
        QCOMPARE(copy.dotFaceList().filter(QStringLiteral("Test ")), QStringList{QStringLiteral("Test Early\t8")});
    }

    // A file whose description reads but whose glyphs do not is listed, and draws nothing itself (what
    // it would draw is left to stand-ins, or missing).
    void aFontDamagedPastItsDescriptionIsListedAndDrawsNothing() {
        QTemporaryDir folder;
        QFile file(folder.filePath(QStringLiteral("cut.bdf")));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(SmallBdf.left(SmallBdf.indexOf("BITMAP"))) > 0);
        file.close();
        const FaceLibrary library = FaceLibrary::discover({folder.path()});
        QCOMPARE(library.dotFaceList().filter(QStringLiteral("Test ")), QStringList{QStringLiteral("Test Small\t8")});
        const auto small = library.find(QStringLiteral("Test Small"));
        QVERIFY(small);
        const dotfont::LineLayout line = small->atSize(8)->layout(QStringLiteral("Aあ"));
        QCOMPARE(line.standIns + line.missing, QStringLiteral("Aあ"));
    }

    void loadingAFileThatIsNoFontSaysWhy() {
        QTemporaryDir folder;
        const QString text = folder.filePath(QStringLiteral("notes.ttf"));
        QFile file(text);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("not a font at all") > 0);
        file.close();
        for (const QString& path : {text, folder.filePath(QStringLiteral("missing.pcf"))}) {
            QString reason;
            QVERIFY(!m_library.loadFile(path, reason));
            QVERIFY(!reason.isEmpty());
        }
        // A font file given by path is a face of its own, found by its name.
        const QString bdf = folder.filePath(QStringLiteral("small.bdf"));
        QFile small(bdf);
        QVERIFY(small.open(QIODevice::WriteOnly) && small.write(SmallBdf) == SmallBdf.size());
        small.close();
        QString reason;
        const auto face = m_library.loadFile(bdf, reason);
        QVERIFY2(face, qPrintable(reason));
        QCOMPARE(face->name(), QStringLiteral("Test Small"));
        QCOMPARE(face->heights(), std::vector<int>{8});
    }
};

QTEST_MAIN(TestDotFonts)
#include "test_dotfonts.moc"
