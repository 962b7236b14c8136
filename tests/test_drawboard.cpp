#include "tests/testsupport.h"
#include "board/DrawBoard.h"
#include "board/fontface.h"
#include "platform/errors.h"
#include "ui/pictures.h"

#include <QGuiApplication>
#include <QTest>

using board::BoardState;
using board::DrawBoard;
using platform::RuntimeError;
using platform::Surface;

namespace {

void useFont(BoardState& state, const QString& face, const QString& size) {
    board::applyFont(state, face, size, false, false);
}

// The mask as the renderer prints it: the message in the mask's font on a surface of the given size.
Surface printedMask(const BoardState& state, const QString& message, int width, int height) {
    Surface mask(width, height, state.TempPic.backColor());
    mask.setForeColor(state.TempPic.foreColor());
    mask.setFont(state.TempPic.font());
    mask.Print(message);
    return mask;
}

bool cellEquals(const BoardState& state, int column, int row, const Surface& dot) {
    for (int y = 0; y < state.CellHeight; ++y)
        for (int x = 0; x < state.CellWidth; ++x)
            if (state.Board.Point(column * state.CellWidth + x, row * state.CellHeight + y) != dot.Point(x, y))
                return false;
    return true;
}

// Whether every cell is the lit dot exactly where mask is black and the unlit dot everywhere else.
bool boardFollowsMask(const BoardState& state, const Surface& mask, int columns, int rows) {
    for (int column = 0; column < columns; ++column) {
        for (int row = 0; row < rows; ++row) {
            const Surface& dot = mask.Point(column, row) == 0 ? state.Dot[0] : state.Dot[1];
            if (!cellEquals(state, column, row, dot))
                return false;
        }
    }
    return true;
}

int litCells(const BoardState& state, int columns, int rows, int fromColumn = 0) {
    int lit = 0;
    for (int column = fromColumn; column < columns; ++column)
        for (int row = 0; row < rows; ++row)
            lit += cellEquals(state, column, row, state.Dot[0]);
    return lit;
}

} // namespace

class TestDrawBoard : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { board::registerJapaneseFaceSubstitutions(); }

    void boardHasOneCellPerMaskPixel() {
        BoardState state = testsupport::windowBoard();
        useFont(state, QStringLiteral("DejaVu Sans"), QStringLiteral("10"));
        const QString message = QStringLiteral("Sample");
        state.SizeMongon.setCaption(message);
        const int columns = state.SizeMongon.Width();
        const int rows = state.SizeMongon.Height();
        int refreshes = 0;

        DrawBoard(state, message, [&] { ++refreshes; });

        QCOMPARE(refreshes, 1);
        QCOMPARE(int(state.CellWidth), 8);
        QCOMPARE(int(state.CellHeight), 8);
        QCOMPARE(state.Board.ScaleWidth(), 8 * columns);
        QCOMPARE(state.Board.ScaleHeight(), 8 * rows);
        QCOMPARE(state.TempPic.ScaleWidth(), state.Board.ScaleWidth());
        QCOMPARE(state.TempPic.ScaleHeight(), state.Board.ScaleHeight());
        const Surface mask = printedMask(state, message, testsupport::laidOutMaskSize().width(),
                                         testsupport::laidOutMaskSize().height());
        QVERIFY(boardFollowsMask(state, mask, columns, rows));
        QVERIFY(litCells(state, columns, rows) > 20);
    }

    void firstRenderIsCutAtTheLaidOutMaskAndTheNextIsWhole() {
        BoardState state = testsupport::windowBoard();
        useFont(state, QStringLiteral("DejaVu Sans"), QStringLiteral("72"));
        const QString message = QStringLiteral("WIDE MESSAGE");
        state.SizeMongon.setCaption(message);
        const int columns = state.SizeMongon.Width();
        const int rows = state.SizeMongon.Height();
        QVERIFY(columns > testsupport::laidOutMaskSize().width() && rows > testsupport::laidOutMaskSize().height());

        DrawBoard(state, message);
        const Surface cutMask = printedMask(state, message, testsupport::laidOutMaskSize().width(),
                                            testsupport::laidOutMaskSize().height());
        QVERIFY(boardFollowsMask(state, cutMask, columns, rows));
        QCOMPARE(litCells(state, columns, rows, testsupport::laidOutMaskSize().width()), 0);

        DrawBoard(state, message);
        const Surface wholeMask = printedMask(state, message, 8 * columns, 8 * rows);
        QVERIFY(boardFollowsMask(state, wholeMask, columns, rows));
        QVERIFY(litCells(state, columns, rows, testsupport::laidOutMaskSize().width()) > 0);
    }

    void zeroWidthMessageLeavesAnEmptyMaskForTheNextRender() {
        BoardState state = testsupport::windowBoard();
        useFont(state, QStringLiteral("DejaVu Sans"), QStringLiteral("10"));
        DrawBoard(state, QString());
        QCOMPARE(state.Board.ScaleWidth(), 0);
        QVERIFY(state.Board.ScaleHeight() > 0);
        QCOMPARE(state.TempPic.ScaleWidth(), 0);

        const QString message = QStringLiteral("Sample");
        state.SizeMongon.setCaption(message);
        const int columns = state.SizeMongon.Width(), rows = state.SizeMongon.Height();
        DrawBoard(state, message);
        QCOMPARE(litCells(state, columns, rows), 0);
        DrawBoard(state, message);
        QVERIFY(litCells(state, columns, rows) > 0);
    }

    void onlyExactlyBlackMaskPixelsAreLit() {
        BoardState state = testsupport::windowBoard();
        useFont(state, QStringLiteral("DejaVu Sans"), QStringLiteral("10"));
        const QString message = QStringLiteral("Sample");
        state.SizeMongon.setCaption(message);
        const int columns = state.SizeMongon.Width(), rows = state.SizeMongon.Height();

        state.TempPic.setForeColor(qRgb(0, 0, 1)); // window text that is not quite black
        DrawBoard(state, message);
        QCOMPARE(litCells(state, columns, rows), 0);

        state.TempPic.setBackColor(qRgb(0, 0, 0)); // a black window: every background pixel is lit
        state.TempPic.setForeColor(qRgb(255, 255, 255));
        DrawBoard(state, message);
        const int lit = litCells(state, columns, rows);
        QVERIFY(lit > columns * rows / 2 && lit < columns * rows);
    }

    void cellSizeFollowsTheLitDotAndCropsTheUnlitOne() {
        BoardState state = testsupport::windowBoard();
        useFont(state, QStringLiteral("DejaVu Sans"), QStringLiteral("10"));
        QImage lit(3, 2, QImage::Format_RGB32);
        lit.fill(qRgb(255, 0, 0));
        QImage unlit(5, 5, QImage::Format_RGB32);
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 5; ++x)
                unlit.setPixel(x, y, qRgb(0, 40 * x, 40 * y));
        state.Dot[0].setPicture(lit);
        state.Dot[1].setPicture(unlit);
        DrawBoard(state, QStringLiteral("Sample"));
        QCOMPARE(int(state.CellWidth), 3);
        QCOMPARE(int(state.CellHeight), 2);
        // The top-left cell of a board is always background: the unlit dot's top-left 3 × 2 pixels.
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 3; ++x)
                QCOMPARE(state.Board.Point(x, y), state.Dot[1].Point(x, y));
        QCOMPARE(state.Board.Point(3, 0), state.Dot[1].Point(0, 0));
    }

    void onePixelDotsLeaveTheMaskAsLargeAsTheMessage() {
        BoardState state = testsupport::windowBoard();
        useFont(state, QStringLiteral("DejaVu Sans"), QStringLiteral("10"));
        QImage pixel(1, 1, QImage::Format_RGB32);
        pixel.fill(Qt::black);
        state.Dot[0].setPicture(pixel);
        state.Dot[1].setPicture(pixel);
        state.SizeMongon.setCaption(QStringLiteral("Sample"));
        DrawBoard(state, QStringLiteral("Sample"));
        QCOMPARE(state.TempPic.ScaleWidth(), state.SizeMongon.Width());
        QCOMPARE(state.TempPic.ScaleHeight(), state.SizeMongon.Height());
    }

    void columnOriginBeyond16BitsStopsWithOverflow() {
        BoardState state = testsupport::windowBoard();
        useFont(state, QStringLiteral("DejaVu Sans"), QStringLiteral("10"));
        QString message;
        do {
            message += QStringLiteral("MMMMMMMMMM");
            state.SizeMongon.setCaption(message);
        } while (state.SizeMongon.Width() < 4097);
        const int columns = state.SizeMongon.Width(), rows = state.SizeMongon.Height();
        int refreshes = 0;
        try {
            DrawBoard(state, message, [&] { ++refreshes; });
            QFAIL("no overflow raised");
        } catch (const RuntimeError& error) {
            QCOMPARE(error.number(), int(platform::ErrOverflow));
        }
        QCOMPARE(refreshes, 0);
        QCOMPARE(state.Board.ScaleWidth(), 8 * columns); // the board keeps its new size
        QCOMPARE(state.Board.ScaleHeight(), 8 * rows);
        QCOMPARE(state.TempPic.ScaleWidth(), testsupport::laidOutMaskSize().width()); // the mask keeps its size
        QVERIFY(cellEquals(state, 4095, 0, state.Dot[1]));                            // origin 32760 still fits
        for (int x = 32768; x < state.Board.ScaleWidth(); x += 97)
            QCOMPARE(state.Board.Point(x, 0), 0xFFFFFF);
    }

    void boardBeyondTheSurfaceLimitIsRefusedBeforeResizing() {
        BoardState state = testsupport::windowBoard();
        useFont(state, QStringLiteral("DejaVu Sans"), QStringLiteral("10"));
        DrawBoard(state, QStringLiteral("Hi"));
        const QImage before = state.Board.image().copy();
        QImage huge(2000, 2000, QImage::Format_RGB32);
        huge.fill(Qt::red);
        state.Dot[0].setPicture(huge);
        try {
            DrawBoard(state, QStringLiteral("Sample"));
            QFAIL("no error raised");
        } catch (const RuntimeError& error) {
            QCOMPARE(error.number(), int(platform::ErrOutOfMemory));
        }
        QCOMPARE(state.Board.image(), before);
    }
};

QTEST_MAIN(TestDrawBoard)
#include "test_drawboard.moc"
