#include "tests/testsupport.h"
#include "board/DrawBoard.h"
#include "board/fontface.h"
#include "board/panelmask.h"
#include "dotfont/facelibrary.h"
#include "platform/errors.h"

#include <QDir>
#include <QGuiApplication>
#include <QProcess>
#include <QTest>

using board::BoardState;
using board::Panel;
using board::PanelAlign;
using dotfont::Face;
using dotfont::FaceLibrary;

namespace {

const QString Misc = QStringLiteral("/usr/share/fonts/X11/misc/");

// The cells a board shows, as rows of '#' (lit) and '.'.
QStringList cellRows(const board::CellGrid& cells, int fromColumn = 0, int columns = -1, int fromRow = 0,
                     int rows = -1) {
    QStringList lines;
    for (int row = fromRow; row < fromRow + (rows < 0 ? cells.rows : rows); ++row) {
        QString line;
        for (int column = fromColumn; column < fromColumn + (columns < 0 ? cells.columns : columns); ++column)
            line += cells.isLit(column, row) ? QLatin1Char('#') : QLatin1Char('.');
        lines << line;
    }
    return lines;
}

// A line's pixels as tests/fontreference.py reads them from the font's own files.
struct Reference {
    int height = 0;
    int ascent = 0;
    QStringList rows;
};
Reference reference(const QStringList& arguments) {
    QProcess tool;
    tool.start(QStringLiteral("/usr/bin/python3"), QStringList{QStringLiteral(LUMIDOT_FONT_REFERENCE)} + arguments);
    if (!tool.waitForFinished(120000) || tool.exitCode() != 0) {
        qWarning("%s", tool.readAllStandardError().constData());
        return {};
    }
    QStringList lines = QString::fromUtf8(tool.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    const QStringList header = lines.takeFirst().split(QLatin1Char(' '));
    return {header[1].toInt(), header[2].toInt(), lines};
}

PanelAlign alignOf(int index) {
    return std::array{PanelAlign::Left, PanelAlign::Center, PanelAlign::Right}[size_t(index)];
}

} // namespace

class TestPanel : public QObject {
    Q_OBJECT

    FaceLibrary m_library;

    Face face(const QString& name) {
        const auto found = m_library.find(name);
        if (!found)
            qFatal("face %s not installed", qPrintable(name));
        return *found;
    }

    board::PanelReport render(BoardState& state, const QString& message, const Panel& panel, const Face& face) {
        return board::DrawPanelBoard(state, message, panel, face);
    }

private slots:
    void initTestCase() {
        board::registerJapaneseFaceSubstitutions();
        m_library = FaceLibrary::discover(FaceLibrary::systemFontFolders(QDir::homePath()));
    }

    void boardIsExactlyThePanelsRows_data() {
        QTest::addColumn<QString>("faceName");
        QTest::addColumn<int>("rows");
        for (const char* name : {"DejaVu Sans", "Unifont", "MisakiGothic", "Shinonome Gothic", "Efont Biwidth"})
            for (const int rows : {7, 8, 12, 16, 32})
                QTest::addRow("%s %d", name, rows) << QString::fromUtf8(name) << rows;
    }
    void boardIsExactlyThePanelsRows() {
        QFETCH(QString, faceName);
        QFETCH(int, rows);
        for (const QString& message :
             {QString(), QStringLiteral("Ag"), QStringLiteral("漢字 ｶﾅ\nかな"), QStringLiteral("\n\n\n")}) {
            for (const int lines : {1, 2, 3}) {
                BoardState state = testsupport::windowBoard();
                render(state, message, Panel{rows, lines, PanelAlign::Left, {}}, face(faceName));
                QCOMPARE(state.Cells.rows, rows);
                QCOMPARE(state.Board.ScaleHeight(), rows * state.CellHeight);
                QCOMPARE(state.TempPic.ScaleHeight(), state.Board.ScaleHeight());
            }
        }
    }

    void rowsZeroIsThePlainRender() {
        for (const QString& message : {QStringLiteral("Sample"), QStringLiteral("開店中\nOPEN")}) {
            BoardState plain = testsupport::windowBoard();
            BoardState panel = testsupport::windowBoard();
            board::applyFont(plain, QStringLiteral("IPAPGothic"), QStringLiteral("11"), false, true);
            board::applyFont(panel, QStringLiteral("IPAPGothic"), QStringLiteral("11"), false, true);
            for (int pass = 0; pass < 2; ++pass) { // the second render prints on the mask the first one sized
                board::DrawBoard(plain, message);
                const board::PanelReport report =
                    render(panel, message, Panel{0, 2, PanelAlign::Right, QStringLiteral("Unifont")}, face("Unifont"));
                QCOMPARE(report.droppedLines, 0);
                QCOMPARE(panel.Cells, plain.Cells);
                QCOMPARE(panel.Board.image(), plain.Board.image());
                QCOMPARE(panel.TempPic.ScaleWidth(), plain.TempPic.ScaleWidth());
            }
        }
    }

    // Every lit cell is a pixel of the font's own glyph bitmaps, read by another tool.
    void dotFacesLightExactlyTheirGlyphsPixels_data() {
        QTest::addColumn<QString>("faceName"); // or a file path
        QTest::addColumn<int>("rows");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QStringList>("referenceArguments");
        const QString text = QStringLiteral("Lumidot 漢字かなカナ ｶﾅ!");
        QTest::newRow("Unifont") << QStringLiteral("unifont") << 16 << text
                                 << QStringList{QStringLiteral("hex"), QStringLiteral("/usr/share/unifont/unifont.hex"),
                                                QStringLiteral("14"), text};
        const QString misakiText = QStringLiteral("Lumidot 漢字かなカナ!");
        QTest::newRow("MisakiGothic") << QStringLiteral("美咲ゴシック") << 8 << misakiText
                                      << QStringList{
                                             QStringLiteral("glyf"),
                                             QStringLiteral("/usr/share/fonts/truetype/misaki/misaki_gothic.ttf"),
                                             QStringLiteral("8"), misakiText};
        QTest::newRow("DotGothic16")
            << QStringLiteral("DotGothic16") << 16 << text
            << QStringList{QStringLiteral("glyf"),
                           QStringLiteral("/usr/share/fonts/truetype/dotgothic16/DotGothic16-Regular.ttf"),
                           QStringLiteral("16"), text};
        QTest::newRow("efont b16 by path")
            << Misc + QStringLiteral("b16.pcf.gz") << 16 << text
            << QStringList{QStringLiteral("pcf"), QStringLiteral("14"), text, Misc + QStringLiteral("b16.pcf.gz")};
        for (const auto& [name, kanji, rows, halfWidth] :
             {std::tuple{"Shinonome Gothic", "shnmk16", 16, "shnm8x16"},
              std::tuple{"Shinonome Gothic", "shnmk12", 12, "shnm6x12"},
              std::tuple{"Shinonome Gothic Bold", "shnmk14b", 14, "shnm7x14"}}) {
            const QString bold = QString::fromUtf8(kanji).endsWith(QLatin1Char('b')) ? QStringLiteral("b") : QString();
            QTest::addRow("%s %d", name, rows)
                << QString::fromUtf8(name) << rows << text
                << QStringList{
                       QStringLiteral("pcf"),
                       QString::number(rows - 2),
                       text,
                       Misc + QString::fromUtf8(halfWidth) + QStringLiteral("a") + bold + QStringLiteral(".pcf.gz"),
                       Misc + QString::fromUtf8(halfWidth) + QStringLiteral("r") + bold + QStringLiteral(".pcf.gz"),
                       Misc + QString::fromUtf8(kanji) + QStringLiteral(".pcf.gz")};
        }
    }
    void dotFacesLightExactlyTheirGlyphsPixels() {
        QFETCH(QString, faceName);
        QFETCH(int, rows);
        QFETCH(QString, message);
        QFETCH(QStringList, referenceArguments);
        const Reference expected = reference(referenceArguments);
        QCOMPARE(expected.height, rows);

        QString reason;
        const std::optional<Face> chosen =
            faceName.startsWith(QLatin1Char('/')) ? m_library.loadFile(faceName, reason) : m_library.find(faceName);
        QVERIFY2(chosen, qPrintable(reason));
        QVERIFY(chosen->isDot());
        BoardState state = testsupport::windowBoard();
        const board::PanelReport report = render(state, message, Panel{rows, 1, PanelAlign::Left, {}}, *chosen);
        QCOMPARE(report.missingCharacters, QString());
        QCOMPARE(report.standInCharacters, QString());
        QCOMPARE(report.linesCut, 0);
        QCOMPARE(cellRows(state.Cells), expected.rows);
    }

    // The window's pixel outline face keeps its bold and italic dot by dot: bold lights each dot's right
    // neighbour too (each glyph, spaces too, one dot wider); italic moves a row one dot right for every
    // four rows from the baseline up to the row's bottom, and rows below the baseline one dot left.
    void pixelOutlineFacesAreBoldAndItalicDotByDot_data() {
        QTest::addColumn<bool>("bold");
        QTest::addColumn<bool>("italic");
        QTest::newRow("bold") << true << false;
        QTest::newRow("italic") << false << true;
    }
    void pixelOutlineFacesAreBoldAndItalicDotByDot() {
        QFETCH(bool, bold);
        QFETCH(bool, italic);
        const Reference kanji =
            reference({QStringLiteral("glyf"), QStringLiteral("/usr/share/fonts/truetype/misaki/misaki_gothic.ttf"),
                       QStringLiteral("8"), QStringLiteral("漢")});
        QCOMPARE(kanji.height, 8);
        const QString space(bold ? 5 : 4, QLatin1Char('.')); // Misaki's half-width space
        QStringList expected;
        for (int row = 0; row < 8; ++row) {
            const QString glyph = kanji.rows[row];
            QString drawn = glyph;
            if (bold) {
                drawn += QLatin1Char('.');
                for (int x = 1; x <= glyph.size(); ++x)
                    if (glyph[x - 1] == QLatin1Char('#'))
                        drawn[x] = QLatin1Char('#');
            }
            QString line = space + drawn + space;
            if (italic) { // the spaces beside the kanji take the dots moved out of its cell
                const int shift = int(std::floor((kanji.ascent - 1 - row) / 4.0));
                line = shift >= 0 ? QString(shift, QLatin1Char('.')) + line.chopped(shift)
                                  : line.mid(-shift) + QString(-shift, QLatin1Char('.'));
            }
            expected << line;
        }

        QFont window(QStringLiteral("MisakiGothic"));
        window.setBold(bold);
        window.setItalic(italic);
        const Panel panel{8, 1, PanelAlign::Left, {}};
        const auto misaki = board::panelFace(panel, window, m_library);
        QVERIFY(misaki && misaki->isDot());
        BoardState state = testsupport::windowBoard();
        render(state, QStringLiteral(" 漢 "), panel, *misaki);
        QCOMPARE(cellRows(state.Cells), expected);
    }

    // tests/data/fonts/small.bdf worked by hand: "A" 4 × 6 on the baseline, advance 5; U+3042 7 × 7 one
    // pixel left of its pen and one below the baseline, advance 8; the line 7 + 1 rows.
    void blitsGlyphsWhereTheirBoxesSay() {
        QString reason;
        const auto small = m_library.loadFile(QStringLiteral(LUMIDOT_TEST_DATA "/fonts/small.bdf"), reason);
        QVERIFY2(small, qPrintable(reason));
        BoardState state = testsupport::windowBoard();
        render(state, QStringLiteral("Aあ"), Panel{8, 1, PanelAlign::Left, {}}, *small);
        QCOMPARE(cellRows(state.Cells),
                 (QStringList{".............", ".##....#.....", "#..########..", "#..#...#.....", "####.#####...",
                              "#..##..#..#..", "#..##..#..#..", ".....##..#..."}));
    }

    // A two-line panel draws each line in its band exactly as a panel of the band's height draws it alone.
    void eachLineFillsItsBandAsAlone_data() {
        QTest::addColumn<QString>("faceName");
        QTest::addColumn<int>("align");
        for (const char* name : {"Unifont", "Shinonome Gothic", "DejaVu Sans", "MisakiMincho"})
            for (int align = 0; align < 3; ++align)
                QTest::addRow("%s %d", name, align) << QString::fromUtf8(name) << align;
    }
    void eachLineFillsItsBandAsAlone() {
        QFETCH(QString, faceName);
        QFETCH(int, align);
        const QStringList lines = {QStringLiteral("営業中 OPEN"), QStringLiteral("Welcome ようこそ")};
        std::vector<QStringList> alone;
        for (const QString& line : lines) {
            BoardState state = testsupport::windowBoard();
            render(state, line, Panel{16, 1, PanelAlign::Left, {}}, face(faceName));
            alone.push_back(cellRows(state.Cells));
        }
        BoardState state = testsupport::windowBoard();
        const board::PanelReport report =
            render(state, lines.join(QStringLiteral("\r\n")), Panel{32, 2, alignOf(align), {}}, face(faceName));
        QCOMPARE(report.droppedLines, 0);
        const int columns = state.Cells.columns;
        QCOMPARE(columns, int(std::max(alone[0][0].size(), alone[1][0].size())));
        for (int band = 0; band < 2; ++band) {
            const int width = int(alone[size_t(band)][0].size());
            const int left = align == 0 ? 0 : align == 1 ? (columns - width) / 2 : columns - width;
            QCOMPARE(cellRows(state.Cells, left, width, 16 * band, 16), alone[size_t(band)]);
            const QString unlit(16 * (columns - width), QLatin1Char('.'));
            QCOMPARE((cellRows(state.Cells, 0, left, 16 * band, 16) +
                      cellRows(state.Cells, left + width, columns - left - width, 16 * band, 16))
                         .join(QString()),
                     unlit);
        }
    }

    // A band draws its line at the face's largest size that fits, centred in the band's height: the same
    // cells as a panel exactly that size, moved down by half the rows left over.
    void fitsTheLargestSizeWhoseLineFitsTheBand_data() {
        QTest::addColumn<QString>("faceName");
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("lines");
        QTest::addColumn<int>("lineHeight"); // of the face in the first band
        QTest::newRow("Shinonome in 15 rows takes 14") << QStringLiteral("Shinonome Gothic") << 15 << 1 << 14;
        QTest::newRow("Shinonome in 11 rows is cut at 12") << QStringLiteral("Shinonome Gothic") << 11 << 1 << 12;
        QTest::newRow("efont in 2 bands of 13 rows takes 12") << QStringLiteral("Efont Biwidth") << 26 << 2 << 12;
        QTest::newRow("Unifont in 31 rows takes 16") << QStringLiteral("Unifont") << 31 << 1 << 16;
        QTest::newRow("Misaki in 19 rows takes 8") << QStringLiteral("MisakiGothic") << 19 << 1 << 8;
    }
    void fitsTheLargestSizeWhoseLineFitsTheBand() {
        QFETCH(QString, faceName);
        QFETCH(int, rows);
        QFETCH(int, lines);
        QFETCH(int, lineHeight);
        const QString text = QStringLiteral("漢Ag");
        BoardState exact = testsupport::windowBoard();
        render(exact, text, Panel{lineHeight, 1, PanelAlign::Left, {}}, face(faceName));
        BoardState fitted = testsupport::windowBoard();
        const board::PanelReport report = render(fitted, QStringList(lines, text).join(QLatin1Char('\n')),
                                                 Panel{rows, lines, PanelAlign::Left, {}}, face(faceName));
        const int band = rows / lines;
        QCOMPARE(report.linesCut, lineHeight > band ? 1 : 0);
        const int offset = (band - lineHeight) / 2;
        const int shown = std::min(band, lineHeight);
        QCOMPARE(cellRows(fitted.Cells, 0, -1, std::max(offset, 0), shown),
                 cellRows(exact.Cells, 0, -1, std::max(-offset, 0), shown));
        const QStringList empty = cellRows(fitted.Cells, 0, -1, 0, std::max(offset, 0));
        QVERIFY(!empty.join(QString()).contains(QLatin1Char('#')));
    }

    void outlineFaceFitsItsLineToTheBand() {
        const Face dejaVu = face(QStringLiteral("DejaVu Sans"));
        for (const int rows : {7, 12, 16, 32, 100}) {
            BoardState state = testsupport::windowBoard();
            render(state, QStringLiteral("Ég"), Panel{rows, 1, PanelAlign::Left, {}}, dejaVu);
            // The next size up would not fit: its line is taller than the band.
            int pixels = 1;
            while (dejaVu.atSize(pixels + 1)->lineHeight() <= rows)
                ++pixels;
            QVERIFY(dejaVu.atSize(pixels)->lineHeight() <= rows);
            QCOMPARE(state.Cells.columns, dejaVu.atSize(pixels)->advance(QStringLiteral("Ég")));
        }
    }

    void reportsDroppedLinesAndCharactersNotDrawn() {
        BoardState state = testsupport::windowBoard();
        board::PanelReport report = render(state, QStringLiteral("一\r二\r\n三\n四"),
                                           Panel{16, 2, PanelAlign::Left, {}}, face(QStringLiteral("Unifont")));
        QCOMPARE(report.droppedLines, 2);
        // Fewer rows than lines: the bands without rows show nothing and take no width.
        report = render(state, QStringLiteral("AB\nCD\nE"), Panel{2, 3, PanelAlign::Left, {}},
                        face(QStringLiteral("Unifont")));
        QCOMPARE(report.linesCut, 3);
        QCOMPARE(state.Cells.columns, 8);
        QCOMPARE(state.Cells.rows, 2);

        // Shinonome Mincho has no Latin of its own: Shinonome Gothic's half-width files stand in, exactly.
        BoardState gothic = testsupport::windowBoard();
        render(gothic, QStringLiteral("A"), Panel{16, 1, PanelAlign::Left, {}},
               face(QStringLiteral("Shinonome Gothic")));
        report = render(state, QStringLiteral("A明\U0010FFFD"), Panel{16, 1, PanelAlign::Left, {}},
                        face(QStringLiteral("shinonome mincho")));
        QCOMPARE(report.standInCharacters, QStringLiteral("A"));
        QCOMPARE(report.missingCharacters, QStringLiteral("\U0010FFFD"));
        QCOMPARE(cellRows(state.Cells, 0, 8), cellRows(gothic.Cells));
        QCOMPARE(state.Cells.columns, 8 + 16 + 8); // the missing character leaves a half-width blank

        // A pixel outline face gets its stand-ins from the dot faces of its height too, never from Qt.
        BoardState efont = testsupport::windowBoard();
        render(efont, QStringLiteral("한"), Panel{16, 1, PanelAlign::Left, {}}, face(QStringLiteral("Efont Biwidth")));
        report = render(state, QStringLiteral("한"), Panel{16, 1, PanelAlign::Left, {}},
                        face(QStringLiteral("DotGothic16")));
        QCOMPARE(report.standInCharacters, QStringLiteral("한"));
        QCOMPARE(state.Cells, efont.Cells);
    }

    void refusesPanelValuesOutOfRange() {
        for (const Panel& panel : {Panel{257, 1, PanelAlign::Left, {}}, Panel{-1, 1, PanelAlign::Left, {}},
                                   Panel{16, 0, PanelAlign::Left, {}}, Panel{16, 9, PanelAlign::Left, {}}}) {
            BoardState state = testsupport::windowBoard();
            const QImage before = state.Board.image();
            try {
                render(state, QStringLiteral("A"), panel, face(QStringLiteral("Unifont")));
                QFAIL("no error raised");
            } catch (const platform::RuntimeError& error) {
                QCOMPARE(error.number(), int(platform::ErrOverflow));
            }
            QCOMPARE(state.Board.image(), before);
        }
    }

    void windowFaceKeepsItsItalicAndBold() {
        BoardState plain = testsupport::windowBoard();
        BoardState bold = testsupport::windowBoard();
        board::applyFont(plain, QStringLiteral("DejaVu Sans"), QStringLiteral("10"), false, false);
        board::applyFont(bold, QStringLiteral("DejaVu Sans"), QStringLiteral("10"), false, true);
        const Panel panel{16, 1, PanelAlign::Left, {}};
        const auto plainFace = board::panelFace(panel, plain.TempPic.font(), m_library);
        const auto boldFace = board::panelFace(panel, bold.TempPic.font(), m_library);
        QVERIFY(plainFace && boldFace && !plainFace->isDot());
        render(plain, QStringLiteral("Bold"), panel, *plainFace);
        render(bold, QStringLiteral("Bold"), panel, *boldFace);
        QVERIFY(bold.Cells.columns > plain.Cells.columns);
        QVERIFY(!board::panelFace(Panel{16, 1, PanelAlign::Left, QStringLiteral("No Such Face")}, plain.TempPic.font(),
                                  m_library));
    }
};

QTEST_MAIN(TestPanel)
#include "test_panel.moc"
