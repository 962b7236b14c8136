#include "tests/testsupport.h"
#include "app/basCommon.h"
#include "board/fontface.h"
#include "board/rotation.h"
#include "platform/clipboard.h"
#include "platform/errors.h"
#include "platform/messagebox.h"
#include "app/frmMain.h"
#include "tests/testwindow.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMimeData>
#include <QPalette>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using board::BoardState;
using board::rotateBoard;

namespace {

const QString Message = QStringLiteral("Sample");

// A rendered board is blank along its edges; distinct corner pixels make a wrong wrap visible.
void renderMarked(BoardState& state) {
    board::applyFont(state, QStringLiteral("DejaVu Sans"), QStringLiteral("10"), false, false);
    board::DrawBoard(state, Message);
    QImage& board = state.Board.image();
    board.setPixel(0, 0, qRgb(255, 0, 0));
    board.setPixel(board.width() - 1, board.height() - 1, qRgb(0, 0, 255));
}

// The picture moved by (dx, dy) pixels, what leaves one edge coming back at the opposite edge.
QImage wrapped(const QImage& picture, int dx, int dy) {
    QImage result(picture.size(), picture.format());
    const int w = picture.width(), h = picture.height();
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            result.setPixel((x + dx + w) % w, (y + dy + h) % h, picture.pixel(x, y));
    return result;
}

// How far one rotation in each direction moves the picture, in cells.
QPoint cellStep(int direction) {
    return QList<QPoint>{{0, -1}, {1, 0}, {0, 1}, {-1, 0}}.at(direction);
}

bool clipboardHasImage() {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    return data && data->hasImage();
}

QImage clipboardImage() {
    return clipboardHasImage() ? qvariant_cast<QImage>(QGuiApplication::clipboard()->mimeData()->imageData())
                               : QImage();
}

} // namespace

class TestRotation : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_folder;
    QStringList m_messages;

private slots:
    void initTestCase() {
        board::registerJapaneseFaceSubstitutions();
        app::setProgramFolder(m_folder.path());
        platform::setMsgBoxHandler([this](const QString& prompt, int, const QString&) {
            m_messages << prompt;
            return int(platform::AnswerOk);
        });
    }
    void init() { m_messages.clear(); }

    void oneRotationMovesOneCellAndWraps_data() {
        QTest::addColumn<int>("direction");
        for (int direction : {0, 1, 2, 3})
            QTest::addRow("%d", direction) << direction;
    }
    void oneRotationMovesOneCellAndWraps() {
        QFETCH(int, direction);
        BoardState state = testsupport::windowBoard();
        renderMarked(state);
        const QImage before = state.Board.image().copy();
        int refreshes = 0;
        rotateBoard(state, int16_t(direction), [&] { ++refreshes; });
        const QPoint step = cellStep(direction);
        QCOMPARE(state.Board.image(), wrapped(before, step.x() * 8, step.y() * 8));
        QCOMPARE(refreshes, 1);
        QCOMPARE(state.Board.image().size(), before.size());
        QCOMPARE(QSize(state.CellWidth, state.CellHeight), QSize(8, 8));

        // Back the other way, and the board is as drawn.
        rotateBoard(state, int16_t((direction + 2) % 4));
        QCOMPARE(state.Board.image(), before);
    }

    void aFullTurnRestoresTheBoard() {
        BoardState state = testsupport::windowBoard();
        renderMarked(state);
        const QImage before = state.Board.image().copy();
        const int rows = state.Board.ScaleHeight() / state.CellHeight;
        const int columns = state.Board.ScaleWidth() / state.CellWidth;
        for (int n = 1; n <= rows; ++n) {
            rotateBoard(state, board::RotateUp);
            QCOMPARE(state.Board.image() == before, n == rows);
        }
        for (int n = 1; n <= columns; ++n)
            rotateBoard(state, board::RotateRight);
        QCOMPARE(state.Board.image(), before);
    }

    void aBoardOfOneRowOrColumnStaysPutAlongIt() {
        BoardState state = testsupport::windowBoard();
        renderMarked(state);
        const QImage before = state.Board.image().copy();
        state.CellHeight = int16_t(state.Board.ScaleHeight()); // one row of tall cells
        rotateBoard(state, board::RotateUp);
        rotateBoard(state, board::RotateUp);
        rotateBoard(state, board::RotateDown);
        QCOMPARE(state.Board.image(), before);
        state.CellWidth = int16_t(state.Board.ScaleWidth()); // one column as well
        rotateBoard(state, board::RotateLeft);
        rotateBoard(state, board::RotateRight);
        rotateBoard(state, board::RotateRight);
        QCOMPARE(state.Board.image(), before);
    }

    void dotsLoadedAfterTheRenderKeepTheStep() {
        BoardState state = testsupport::windowBoard();
        renderMarked(state);
        const QImage before = state.Board.image().copy();
        state.Dot[0].setPicture(QImage(3, 5, QImage::Format_RGB32));
        rotateBoard(state, board::RotateLeft);
        QCOMPARE(state.Board.image(), wrapped(before, -8, 0));
    }

    // A render refused half way (a cell origin beyond 16 bits) or before it starts (a board beyond the
    // surface limit) leaves a board that still turns whole, by the cells it shows.
    void aRefusedRenderLeavesABoardThatTurnsWhole_data() {
        QTest::addColumn<bool>("overflow");
        QTest::newRow("overflow") << true;
        QTest::newRow("out of memory") << false;
    }
    void aRefusedRenderLeavesABoardThatTurnsWhole() {
        QFETCH(bool, overflow);
        BoardState state = testsupport::windowBoard();
        renderMarked(state);
        QString message = Message;
        if (overflow) {
            while (state.SizeMongon.Width() < 4097) {
                message += QStringLiteral("MMMMMMMMMM");
                state.SizeMongon.setCaption(message);
            }
        } else {
            QImage huge(1000, 1000, QImage::Format_RGB32);
            huge.fill(Qt::red);
            state.Dot[0].setPicture(huge);
        }
        QVERIFY_THROWS_EXCEPTION(platform::RuntimeError, board::DrawBoard(state, message));
        QCOMPARE(state.CellWidth, int16_t(8));
        const QImage before = state.Board.image().copy();
        rotateBoard(state, board::RotateLeft);
        QCOMPARE(state.Board.image(), wrapped(before, -8, 0));
    }

    void theNextRenderIsAsIfNothingWasRotated() {
        BoardState rotated = testsupport::windowBoard(), fresh = testsupport::windowBoard();
        renderMarked(rotated);
        for (int direction : {0, 1, 1, 2, 3, 2})
            rotateBoard(rotated, int16_t(direction));
        renderMarked(rotated);
        renderMarked(fresh);
        QCOMPARE(rotated.Board.image(), fresh.Board.image());
        QCOMPARE(rotated.TempPic.image().size(), fresh.TempPic.image().size());
    }

    void beforeTheFirstRenderNothingChanges() {
        BoardState state = testsupport::windowBoard();
        state.Board.Print(QStringLiteral("Lumidot")); // something a wrong move would show
        const QImage before = state.Board.image().copy();
        for (int direction : {0, 1, 2, 3})
            rotateBoard(state, int16_t(direction));
        QCOMPARE(state.Board.image(), before);
    }

    void clicksRotateAndCopyTheShownBoard() {
        auto window = testwindow::startMainWindow();
        const BoardState& state = window->boardState();
        QTest::mouseClick(window->Board, Qt::LeftButton);
        QImage empty(testsupport::laidOutBoardSize(), QImage::Format_RGB32);
        empty.fill(QGuiApplication::palette().color(QPalette::Base));
        QCOMPARE(clipboardImage(), empty);

        window->FLD[0]->setText(Message);
        QTest::mouseClick(window->BTN[0], Qt::LeftButton);
        const QImage before = state.Board.image().copy();
        QTest::mouseClick(window->SBTN[3], Qt::LeftButton);
        QTest::mouseClick(window->SBTN[0], Qt::LeftButton);
        QCOMPARE(state.Board.image(), wrapped(before, -8, -8));
        QTest::mouseClick(window->Board, Qt::LeftButton);
        QCOMPARE(clipboardImage(), state.Board.image());
        const QImage copied = state.Board.image().copy();
        window->SBTN_Click(board::RotateRight);
        QCOMPARE(clipboardImage(), copied); // a snapshot, not the live board

        window->FLD[0]->setText(QString()); // a board without columns has nothing to paste
        QTest::mouseClick(window->BTN[0], Qt::LeftButton);
        QTest::mouseClick(window->Board, Qt::LeftButton);
        QVERIFY(!clipboardHasImage());
        QVERIFY(m_messages.isEmpty());
    }

    void aFailingClipboardIsReportedAndTheProgramGoesOn() {
        auto window = testwindow::startMainWindow();
        const QString report = QStringLiteral("521:クリップボードを開けません。");
        const platform::ClipboardSource real = platform::setClipboardSource([] { return nullptr; });
        QTest::mouseClick(window->Board, Qt::LeftButton);
        QCOMPARE(m_messages, QStringList{report});
        platform::setClipboardSource(real);

        // Another program takes the clipboard as soon as the picture arrives.
        QClipboard* clipboard = QGuiApplication::clipboard();
        const auto thief = connect(clipboard, &QClipboard::dataChanged, this, [clipboard] {
            if (clipboard->mimeData() && clipboard->mimeData()->hasImage())
                clipboard->clear();
        });
        QTest::mouseClick(window->Board, Qt::LeftButton);
        disconnect(thief);
        QCOMPARE(m_messages, (QStringList{report, report}));

        QTest::mouseClick(window->Board, Qt::LeftButton);
        QCOMPARE(clipboardImage(), window->boardState().Board.image());
        QCOMPARE(m_messages.size(), 2);
    }
};

QTEST_MAIN(TestRotation)
#include "test_rotation.moc"
