#include "tests/testsupport.h"
#include "board/DrawBoard.h"
#include "board/fontface.h"
#include "board/panelmask.h"
#include "dotfont/facelibrary.h"
#include "dots/colourmarks.h"

#include <QDir>
#include <QTest>

using board::BoardState;
using board::MarkedText;
using board::Panel;
using board::PanelAlign;
using platform::Failure;

Q_DECLARE_METATYPE(platform::Failure)

namespace {

// A mark colour's lit dot: the cell filled with it, so each lit cell of the board shows its colour whole.
QImage filledDot(QRgb colour) {
    QImage dot = ui::builtinLitDot().convertToFormat(QImage::Format_RGB32);
    dot.fill(colour);
    return dot;
}

// The colours of the marks, each number once: "1122" for "{red}AB" after two characters of the sign's own.
QString colourDigits(const MarkedText& text) {
    QString digits;
    for (const uint8_t colour : text.colourOf)
        digits += QString::number(colour, 16);
    return digits;
}

MarkedText marked(const QString& message) {
    MarkedText text;
    const platform::Result read = dots::readColourMarks(message, text);
    if (!read.ok())
        qFatal("%s does not read", qPrintable(message));
    return text;
}

// The colour number a map printed in colour numbers holds at (x, y), or else the nearest one in its row (the left one
// of two as near), or else the sign's own. Every further colour of the messages it is used for lights a cell.
int printedColour(const platform::Surface& map, int x, int y) {
    for (int distance = 0; distance < map.ScaleWidth(); ++distance)
        for (const int at : {x - distance, x + distance})
            if (const int32_t colour = map.Point(at, y); colour > 0)
                return colour;
    return 1;
}

// The columns up to and with a board's last lit one.
int columnsOf(const board::CellGrid& cells) {
    int last = -1;
    for (int row = 0; row < cells.rows; ++row)
        for (int column = 0; column < cells.columns; ++column)
            if (cells.isLit(column, row))
                last = std::max(last, column);
    return last + 1;
}

} // namespace

class TestColourMarks : public QObject {
    Q_OBJECT

    dotfont::FaceLibrary m_library;

    // Renders message (with marks when asked) in the panel's face, or, for rows 0, as the plain render in
    // DejaVu Sans at 12 points, with mark colours drawn as filled cells.
    BoardState rendered(const QString& message, bool markup, const QString& faceName, int rows, int lines) {
        BoardState state = testsupport::windowBoard();
        board::applyFont(state, QStringLiteral("DejaVu Sans"), QStringLiteral("12"), false, false);
        const MarkedText text = markup ? marked(message) : board::inOwnColour(message);
        if (rows == 0) {
            // The mask as large as the message, as the batch tool makes it: nothing is cut.
            state.SizeMongon.setCaption(text.text);
            state.TempPic.resize(state.SizeMongon.Width(), state.SizeMongon.Height());
            board::DrawBoard(state, text, filledDot);
        } else {
            const dotfont::Face face =
                faceName.isEmpty() ? m_library.windowFace(state.TempPic.font()) : *m_library.find(faceName);
            board::DrawPanelBoard(state, text, Panel{rows, lines, PanelAlign::Left, {}}, face, filledDot);
        }
        return state;
    }

private slots:
    void initTestCase() {
        board::registerJapaneseFaceSubstitutions();
        m_library = dotfont::FaceLibrary::discover(dotfont::FaceLibrary::systemFontFolders(QDir::homePath()));
    }

    void readsMarks_data() {
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("colours"); // each UTF-16 unit's colour number, in hexadecimal
        QTest::addColumn<QList<QRgb>>("further");
        QTest::addColumn<Failure>("failure");
        QTest::addColumn<QString>("mark"); // what the failure names

        const QRgb red = qRgb(255, 0, 0);
        const QRgb green = qRgb(0, 255, 0);
        const QList<QRgb> none;
        QTest::newRow("no marks") << "A}B"
                                  << "A}B"
                                  << "111" << none << Failure::None << "";
        QTest::newRow("a name, then the sign's own colour") << "{red}AB{}C"
                                                            << "ABC"
                                                            << "221" << QList{red} << Failure::None << "";
        QTest::newRow("names in any case, #RRGGBB") << "{Green}A{#00ff80}B"
                                                    << "AB"
                                                    << "23" << QList{green, qRgb(0, 255, 128)} << Failure::None << "";
        QTest::newRow("one colour by two names takes one number") << "{red}A{green}B{#FF0000}C"
                                                                  << "ABC"
                                                                  << "232" << QList{red, green} << Failure::None << "";
        QTest::newRow("{{ is a brace, even before a name") << "{{red}{{}{red}{{"
                                                           << "{red}{}{"
                                                           << "11111112" << QList{red} << Failure::None << "";
        QTest::newRow("a character beyond 16 bits keeps one colour")
            << QStringLiteral("{blue}🍣") << QStringLiteral("🍣") << "22" << QList{qRgb(0, 80, 255)} << Failure::None
            << "";
        QTest::newRow("an unknown name") << "AB{purple}C"
                                         << ""
                                         << "" << none << Failure::BadColourMark << "{purple}";
        QTest::newRow("a mark left open") << "{red}A{red"
                                          << ""
                                          << "" << none << Failure::BadColourMark << "{red";
        QTest::newRow("five hexadecimal digits") << "{#12345}A"
                                                 << ""
                                                 << "" << none << Failure::BadColourMark << "{#12345}";
        QTest::newRow("a space is no colour") << "{ }A"
                                              << ""
                                              << "" << none << Failure::BadColourMark << "{ }";
        QTest::newRow("a brace never closed is named short")
            << "{" + QString(40, u'x') << ""
            << "" << none << Failure::BadColourMark << "{" + QString(22, u'x') + QChar(0x2026);
        QString many;
        QList<QRgb> most;
        for (int i = 0; i < 255; ++i) {
            many += QStringLiteral("{#%1}x").arg(i, 6, 16, QLatin1Char('0'));
            most.append(QRgb(0xff000000u | uint(i)));
        }
        QTest::newRow("a 255th further colour") << many << ""
                                                << "" << none << Failure::TooManyColours << "{#0000fe}";
        many.chop(10);
        most.removeLast();
        QTest::newRow("254 further colours") << many << QString(254, u'x') << "" << most << Failure::None << "";
    }
    void readsMarks() {
        QFETCH(QString, message);
        QFETCH(QString, text);
        QFETCH(QString, colours);
        QFETCH(QList<QRgb>, further);
        QFETCH(Failure, failure);
        QFETCH(QString, mark);
        MarkedText read = board::inOwnColour(QStringLiteral("before"));
        const MarkedText before = read;
        const platform::Result result = dots::readColourMarks(message, read);
        QCOMPARE(result.failure, failure);
        QCOMPARE(result.detail, mark);
        if (failure != Failure::None) {
            QCOMPARE(read, before); // a message that does not read changes nothing
            return;
        }
        QCOMPARE(read.text, text);
        if (!colours.isEmpty())
            QCOMPARE(colourDigits(read), colours);
        QCOMPARE(read.colourOf.size(), size_t(text.size()));
        QCOMPARE(read.colours, further);
    }

    // Marks take no room: the lit cells are those of the text without them, each in its character's colour,
    // in the plain render and in a panel drawn with a dot face, a pixel outline face or an outline face.
    void litCellsAreTheTextsInTheirCharactersColours_data() {
        QTest::addColumn<QString>("face");
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("lines");
        QTest::newRow("plain render") << "" << 0 << 1;
        QTest::newRow("Unifont") << "Unifont" << 16 << 1;
        QTest::newRow("Shinonome Gothic") << "Shinonome Gothic" << 16 << 1;
        QTest::newRow("MisakiGothic") << "MisakiGothic" << 8 << 1;
        QTest::newRow("outline face in a panel") << "" << 20 << 1;
        QTest::newRow("Unifont, two lines") << "Unifont" << 32 << 2;
    }
    void litCellsAreTheTextsInTheirCharactersColours() {
        QFETCH(QString, face);
        QFETCH(int, rows);
        QFETCH(int, lines);
        const QString breakOrNot = lines == 2 ? QStringLiteral("\n") : QString();
        const BoardState coloured = rendered("{red}AB" + breakOrNot + "{#00FF00}CD", true, face, rows, lines);
        const BoardState plain = rendered("AB" + breakOrNot + "CD", false, face, rows, lines);
        QCOMPARE(coloured.Cells.columns, plain.Cells.columns);
        QCOMPARE(coloured.Cells.rows, plain.Cells.rows);
        // Red ends where "AB" alone ends: its last lit column, or in two lines the first band.
        const int firstGreenColumn = lines == 2 ? 0 : columnsOf(rendered("AB", false, face, rows, lines).Cells);
        const int firstGreenRow = lines == 2 ? rows / 2 : 0;
        QVERIFY(firstGreenColumn > 0 || firstGreenRow > 0);
        int red = 0;
        int green = 0;
        for (int row = 0; row < plain.Cells.rows; ++row) {
            for (int column = 0; column < plain.Cells.columns; ++column) {
                const bool lit = plain.Cells.isLit(column, row);
                const bool isGreen = column >= firstGreenColumn && row >= firstGreenRow;
                const uint8_t expected = !lit ? 0 : isGreen ? 3 : 2;
                QCOMPARE(coloured.Cells.colour(column, row), expected);
                (isGreen ? green : red) += lit;
                // The board shows the colour: the centre of a lit cell is its mark's colour.
                const QRgb centre = coloured.Board.image().pixel(column * coloured.CellWidth + coloured.CellWidth / 2,
                                                                 row * coloured.CellHeight + coloured.CellHeight / 2);
                if (lit)
                    QCOMPARE(centre, isGreen ? qRgb(0, 255, 0) : qRgb(255, 0, 0));
                else
                    QCOMPARE(centre, plain.Board.image().pixel(column * plain.CellWidth + plain.CellWidth / 2,
                                                               row * plain.CellHeight + plain.CellHeight / 2));
            }
        }
        QVERIFY(red > 0 && green > 0);
        QCOMPARE(coloured.ColourCellPictures.size(), size_t(2));
    }

    // A further colour that lights no cell (a mark before a space, a mark at the end) takes no number.
    void coloursThatLightNothingTakeNoNumber() {
        const BoardState state = rendered("{blue} {red}A {white}", true, QStringLiteral("Unifont"), 16, 1);
        QCOMPARE(state.ColourCellPictures.size(), size_t(1));
        QCOMPARE(state.ColourCellPictures[0].pixel(0, 0), qRgb(255, 0, 0));
        const auto [least, most] = std::minmax_element(state.Cells.lit.begin(), state.Cells.lit.end());
        QCOMPARE(int(*least), 0);
        QCOMPARE(int(*most), 2);
    }

    // Each lit cell takes the colour the message printed in colour numbers has at its pixel: where slanted characters
    // of different colours overlap, the earlier one's; where a face the font engine slants reaches beyond its
    // glyphs' boxes, the slanted glyph's; where no character reached the pixel (a soft hyphen the plain render shows
    // and the coloured print does not), the nearest colour in its row.
    void litCellsTakeThePrintedColours_data() {
        QTest::addColumn<QString>("family");
        QTest::addColumn<QString>("size");
        QTest::addColumn<QString>("message");
        QTest::newRow("italic, a colour a letter") << "DejaVu Sans"
                                                   << "40"
                                                   << "{red}f{green}f{blue}j{red}f{green}fj{blue}Vf";
        QTest::newRow("slanted by the engine") << "IPAPGothic"
                                               << "40"
                                               << "{red}営業{green}中{blue}W{red}A{green}ff";
        QTest::newRow("a soft hyphen") << "DejaVu Sans"
                                       << "18" << QStringLiteral("Ǻ\u00AD{blue}OPEN");
    }
    void litCellsTakeThePrintedColours() {
        QFETCH(QString, family);
        QFETCH(QString, size);
        QFETCH(QString, message);
        BoardState state = testsupport::windowBoard();
        board::applyFont(state, family, size, true, false);
        const MarkedText text = marked(message);
        state.SizeMongon.setCaption(text.text);
        state.TempPic.resize(state.SizeMongon.Width(), state.SizeMongon.Height());
        board::DrawBoard(state, text, filledDot);

        platform::Surface map(state.Cells.columns, state.Cells.rows, qRgb(0, 0, 0));
        map.setFont(state.TempPic.font());
        map.Print(text.text, board::mapColours(text));
        int lit = 0;
        for (int row = 0; row < state.Cells.rows; ++row) {
            for (int column = 0; column < state.Cells.columns; ++column) {
                if (state.Cells.isLit(column, row)) {
                    ++lit;
                    QCOMPARE(int(state.Cells.colour(column, row)), printedColour(map, column, row));
                }
            }
        }
        QVERIFY(lit > 0);
    }

    // Where the plain render's one line runs on past a line break (DejaVu Sans does not kern "V" and "A" across
    // it), every lit cell still takes the colour of a character around it, never the sign's own where no
    // character has it.
    void aLineBreakInThePlainRenderKeepsTheColours() {
        for (const QString& size : {QStringLiteral("8"), QStringLiteral("12"), QStringLiteral("24")}) {
            const QString family = QStringLiteral("DejaVu Sans");
            BoardState state = testsupport::windowBoard();
            board::applyFont(state, family, size, false, false);
            const MarkedText text = marked(QStringLiteral("{red}AV\nAW\r\nTo{#00FF00}\nVA"));
            state.SizeMongon.setCaption(text.text);
            state.TempPic.resize(state.SizeMongon.Width(), state.SizeMongon.Height());
            board::DrawBoard(state, text, filledDot);
            const board::CellGrid cells = state.Cells;

            BoardState plain = testsupport::windowBoard();
            board::applyFont(plain, family, size, false, false);
            plain.SizeMongon.setCaption(text.text);
            plain.TempPic.resize(plain.SizeMongon.Width(), plain.SizeMongon.Height());
            board::DrawBoard(plain, text.text);
            for (int row = 0; row < cells.rows; ++row)
                for (int column = 0; column < cells.columns; ++column)
                    QCOMPARE(cells.isLit(column, row), plain.Cells.isLit(column, row));
            QVERIFY(std::none_of(cells.lit.begin(), cells.lit.end(), [](uint8_t colour) { return colour == 1; }));
        }
    }
};

QTEST_MAIN(TestColourMarks)
#include "test_colourmarks.moc"
