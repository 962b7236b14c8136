#include "app/basCommon.h"
#include "board/fontface.h"
#include "platform/commondialogs.h"
#include "platform/messagebox.h"
#include "platform/numberinput.h"
#include "app/frmMain.h"
#include "tests/testsupport.h"
#include "tests/testwindow.h"

#include <QCheckBox>
#include <QContextMenuEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using app::frmMain;
using app::Settings;
using platform::DialogAnswer;
using platform::DialogRequest;
using testsupport::readAll;

class TestFrmMainDots : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_folder;
    QStringList m_messages;
    QList<DialogRequest> m_requests;
    DialogAnswer m_answer;

    QString picture(const QString& name, int size, QRgb color) {
        QImage image(size, size, QImage::Format_RGB32);
        image.fill(color);
        const QString path = m_folder.filePath(name);
        image.save(path);
        return path;
    }

    static void drop(QWidget* box, const QStringList& paths) {
        const auto [dragAccepted, dropAccepted] = testwindow::dropFiles(box, paths);
        QVERIFY(dragAccepted);
        QVERIFY(dropAccepted);
    }

    static QSize dotSize(frmMain& window, int index) {
        const platform::Surface& dot = window.boardState().Dot[index];
        return QSize(dot.ScaleWidth(), dot.ScaleHeight());
    }

    QString iniPath() const { return m_folder.filePath(QStringLiteral("Lumidot.Ini")); }

    static QImage dot(frmMain& window, int index) { return window.boardState().Dot[index].image(); }

    // Opens the dot boxes' menu with the right button on box, as the desktop sends it.
    static void rightClick(QWidget* box) {
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(2, 2), box->mapToGlobal(QPoint(2, 2)));
        QCoreApplication::sendEvent(box, &event);
    }

    // Opens the dot boxes' menu and picks a caption from it, as a click on it would.
    static void choose(frmMain& window, const QString& caption) {
        rightClick(window.Dot[0]);
        QVERIFY(window.DotMenu->isVisible());
        window.DotMenu->hide();
        for (QAction* action : window.DotMenu->actions())
            if (action->text() == caption) {
                QVERIFY2(action->isEnabled(), qPrintable(caption));
                return action->trigger();
            }
        QFAIL(qPrintable(caption));
    }

private slots:
    void initTestCase() {
        board::registerJapaneseFaceSubstitutions();
        QLocale::setDefault(QLocale::c());
        app::setProgramFolder(m_folder.path());
        platform::setMsgBoxHandler([this](const QString& prompt, int, const QString&) {
            m_messages << prompt;
            return int(platform::AnswerOk);
        });
        platform::setFileDialogHandler([this](const DialogRequest& request) {
            m_requests << request;
            return m_answer;
        });
    }

    void init() {
        QFile::remove(iniPath());
        m_messages.clear();
        m_requests.clear();
        m_answer = DialogAnswer();
    }

    // A 60 × 60 dot shows only what its 52 × 52 frame box leaves visible, sets 60 × 60 cells at the
    // next start, and until then the board keeps its old look.
    void largeDotIsCutOffYetSetsTheCell() {
        auto window = testwindow::startMainWindow();
        QTest::mouseClick(window->BTN[0], Qt::LeftButton);
        const QImage board = window->boardState().Board.image().copy();

        drop(window->Area[0], {picture("green.png", 60, qRgb(0, 255, 0))});

        QCOMPARE(window->Dot[0]->size(), QSize(62, 62));
        const QImage shown = window->grab().toImage();
        const QPoint area = window->Area[0]->pos();
        QCOMPARE(shown.pixel(area + QPoint(30, 30)), qRgb(0, 255, 0));
        QVERIFY(shown.pixel(area + QPoint(55, 30)) != qRgb(0, 255, 0)); // inside the dot, outside its box
        QCOMPARE(window->boardState().Board.image(), board);
        QCOMPARE(int(window->boardState().CellWidth), 8);
        QCOMPARE(window->MSG->text(), QStringLiteral("Lumidot"));

        QTest::mouseClick(window->BTN[0], Qt::LeftButton);
        const board::BoardState& state = window->boardState();
        QCOMPARE(int(state.CellWidth), 60);
        QCOMPARE(int(state.CellHeight), 60);
        QCOMPARE(state.Board.ScaleWidth(), 60 * state.SizeMongon.Width());
        QVERIFY(m_messages.isEmpty());
    }

    void browseButtonAsksForAnImage_data() {
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("gif");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("filter");
        QTest::newRow("lit, no GIF") << 0 << 0 << "オンの画像"
                                     << "画像ファイル (*.bmp *.ico *.jpg *.png)";
        QTest::newRow("unlit, GIF 1") << 1 << 1 << "オフの画像"
                                      << "画像ファイル (*.bmp *.gif *.ico *.jpg *.png)";
        QTest::newRow("unlit, GIF 2 lists GIF too") << 1 << 2 << "オフの画像"
                                                    << "画像ファイル (*.bmp *.gif *.ico *.jpg *.png)";
    }

    void browseButtonAsksForAnImage() {
        QFETCH(int, index);
        QFETCH(int, gif);
        QFETCH(QString, title);
        QFETCH(QString, filter);
        auto window = testwindow::startMainWindow();
        Settings.Gif = int16_t(gif);
        m_answer.accepted = true;
        m_answer.paths = QStringList{picture("blue.bmp", 12, qRgb(0, 0, 255))};
        QTest::mouseClick(window->DBTN[index], Qt::LeftButton);
        QCOMPARE(m_requests.size(), 1);
        const DialogRequest& request = m_requests.first();
        QCOMPARE(request.kind, platform::DialogKind::Open);
        QCOMPARE(request.title, title);
        QCOMPARE(request.nameFilters, QStringList{filter});
        QCOMPARE(request.flags, 4100u);
        QCOMPARE(request.owner, window.get());
        QCOMPARE(dotSize(*window, index), QSize(12, 12));
        QCOMPARE(window->Dot[index]->size(), QSize(14, 14));
        QCOMPARE(dotSize(*window, 1 - index), QSize(8, 8));
    }

    // A cancel, a file that fails to load, or a GIF dropped while Gif is not 1: nothing changes, quietly.
    void nothingLoadedChangesNothing() {
        auto window = testwindow::startMainWindow();
        const QImage dot = window->boardState().Dot[1].image().copy();
        QTest::mouseClick(window->DBTN[1], Qt::LeftButton);
        m_answer.accepted = true;
        m_answer.paths = QStringList{m_folder.filePath("nothing.bmp")};
        QFile(m_answer.paths.first()).open(QIODevice::WriteOnly);
        QTest::mouseClick(window->DBTN[1], Qt::LeftButton);
        Settings.Gif = 2;
        drop(window->Dot[1], {QStringLiteral(LUMIDOT_TEST_DATA "/dot.gif")});
        QCOMPARE(m_requests.size(), 2);
        QCOMPARE(window->boardState().Dot[1].image(), dot);
        QCOMPARE(window->Dot[1]->size(), QSize(10, 10));
        QVERIFY(m_messages.isEmpty());
    }

    // A preset makes both dots at once (8 pixels, the unlit one at 15 %: 255 × 0.15 = 38.25), stores only the
    // dots' keys, draws the next board and comes back at the next start; 絵に戻す brings back the built-in dots.
    void aColourMakesBothDotsAndComesBack() {
        auto window = testwindow::startMainWindow();
        window->CHK[0]->click(); // italic, in the record only: 開始 stores it, a colour does not
        const QByteArray before = readAll(iniPath());
        QVERIFY(before.contains("\nColor=\n"));
        choose(*window, "緑");
        const QRgb green = qRgb(0, 255, 0), dimGreen = qRgb(0, 38, 0), black = qRgb(0, 0, 0);
        QCOMPARE(dot(*window, 0).size(), QSize(8, 8));
        QCOMPARE(dot(*window, 0).pixel(3, 3), green);
        QCOMPARE(dot(*window, 0).pixel(0, 0), black);
        QCOMPARE(dot(*window, 1).pixel(3, 3), dimGreen);
        QCOMPARE(window->Dot[0]->size(), QSize(10, 10));
        QCOMPARE(readAll(iniPath()), QByteArray(before).replace("\nColor=\n", "\nColor=green\n"));

        QTest::mouseClick(window->BTN[0], Qt::LeftButton);
        const QImage board = window->boardState().Board.image();
        QSet<QRgb> colors;
        for (int y = 0; y < board.height(); ++y)
            for (int x = 0; x < board.width(); ++x)
                colors.insert(board.pixel(x, y) & 0xFFFFFF);
        QVERIFY(colors.contains(green & 0xFFFFFF) && colors.contains(dimGreen & 0xFFFFFF));
        for (const QRgb color : colors)
            QVERIFY2(qRed(color) == 0 && qBlue(color) == 0, qPrintable(QString::number(color, 16)));

        window.reset();
        window = testwindow::startMainWindow();
        QCOMPARE(dot(*window, 0).pixel(3, 3), green);
        QCOMPARE(dot(*window, 1).pixel(3, 3), dimGreen);
        choose(*window, "絵に戻す");
        const board::BoardState builtin = testsupport::windowBoard();
        QCOMPARE(dot(*window, 0), builtin.Dot[0].image());
        QCOMPARE(dot(*window, 1), builtin.Dot[1].image());
        QVERIFY(readAll(iniPath()).contains("\nColor=\n"));
        QVERIFY(m_messages.isEmpty());
    }

    // 絵に戻す brings back the pictures the boxes held before the first colour. A picture loaded while a colour
    // is in use turns the colour off (stored); the other box keeps its dot.
    void picturesAndColoursTakeTurns() {
        auto window = testwindow::startMainWindow();
        const QString blue = picture("blue12.png", 12, qRgb(0, 0, 255));
        drop(window->Area[0], {blue});
        choose(*window, "赤");
        choose(*window, "青");
        QCOMPARE(dot(*window, 0).pixel(3, 3), qRgb(0, 80, 255));
        choose(*window, "絵に戻す");
        QCOMPARE(dot(*window, 0), QImage(blue).convertToFormat(QImage::Format_RGB32));
        QCOMPARE(dot(*window, 1), testsupport::windowBoard().Dot[1].image());
        QCOMPARE(app::readSettings(iniPath()).PanelColor, QString());

        choose(*window, "赤");
        drop(window->Dot[1], {picture("green6.png", 6, qRgb(0, 255, 0))});
        QCOMPARE(dot(*window, 1).size(), QSize(6, 6));
        QCOMPARE(dot(*window, 0).pixel(3, 3), qRgb(255, 0, 0));
        QCOMPARE(app::readSettings(iniPath()).PanelColor, QString());
        rightClick(window->Area[1]);
        QVERIFY(window->DotMenu->isVisible());
        for (QAction* action : window->DotMenu->actions())
            if (action->text() == "絵に戻す")
                QVERIFY(!action->isEnabled());
    }

    // The menu key and Shift+F10 on a dot box's "..." open the dot boxes' menu; F10 alone does not.
    void theDotMenuFromTheKeyboard() {
        auto window = testwindow::startMainWindow();
        for (QPushButton* browse : window->DBTN)
            for (const auto& [key, modifiers] :
                 {std::pair{Qt::Key_Menu, Qt::NoModifier}, {Qt::Key_F10, Qt::ShiftModifier}}) {
                browse->setFocus();
                QTest::keyClick(browse, key, modifiers);
                QVERIFY(window->DotMenu->isVisible());
                window->DotMenu->hide();
            }
        QTest::keyClick(window->DBTN[0], Qt::Key_F10);
        QVERIFY(!window->DotMenu->isVisible());
        QVERIFY(m_requests.isEmpty());
    }

    // 色を選ぶ... starts the colour dialog from the colour in use (RGB with red in the low byte); a cancel
    // changes nothing, a chosen colour makes both dots.
    void theColourDialogStartsFromTheColourInUse() {
        QList<DialogRequest> asked;
        DialogAnswer answer;
        const platform::DialogHandler previous = platform::setColorDialogHandler([&](const DialogRequest& request) {
            asked << request;
            return answer;
        });
        auto window = testwindow::startMainWindow();
        choose(*window, "橙");
        choose(*window, "色を選ぶ...");
        QCOMPARE(dot(*window, 0).pixel(3, 3), qRgb(255, 150, 0)); // cancelled
        answer = {true, {}, 0, 0x123456};
        choose(*window, "色を選ぶ...");
        platform::setColorDialogHandler(previous);
        QCOMPARE(asked.size(), 2);
        QCOMPARE(asked[0].kind, platform::DialogKind::Color);
        QCOMPARE(asked[0].flags, uint32_t(platform::CcRgbInit));
        QCOMPARE(asked[0].color, 0x0096FF); // amber, 255 150 0
        QCOMPARE(asked[0].owner, window.get());
        QCOMPARE(dot(*window, 0).pixel(3, 3), qRgb(0x56, 0x34, 0x12));
        QCOMPARE(app::readSettings(iniPath()).PanelColor, QStringLiteral("#563412"));
    }

    // 四角 and 大きさ... remake both dots and store them; the size is asked through the number question, from
    // the size in use within 2 to 64, and a cancel keeps it. Without a colour they do nothing, so they are off.
    void shapeAndSizeRemakeTheDots() {
        QList<platform::NumberRequest> asked;
        std::optional<int> answer;
        const platform::NumberHandler previous =
            platform::setNumberInputHandler([&](const platform::NumberRequest& request) {
                asked << request;
                return answer;
            });
        auto window = testwindow::startMainWindow();
        rightClick(window->Dot[1]);
        for (QAction* action : window->DotMenu->actions())
            if (action->text() == "四角" || action->text() == "大きさ...")
                QVERIFY(!action->isEnabled());
        choose(*window, "赤");
        choose(*window, "四角");
        QCOMPARE(dot(*window, 0).pixel(0, 0), qRgb(255, 0, 0)); // a square dot fills its corner
        QCOMPARE(dot(*window, 0).pixel(7, 0), qRgb(0, 0, 0));
        choose(*window, "大きさ...");
        QCOMPARE(dot(*window, 0).size(), QSize(8, 8)); // cancelled
        answer = 12;
        choose(*window, "大きさ...");
        platform::setNumberInputHandler(previous);
        QCOMPARE(asked.size(), 2);
        QCOMPARE(asked[0].value, 8);
        QCOMPARE(asked[0].lowest, 2);
        QCOMPARE(asked[0].highest, 64);
        QCOMPARE(asked[0].owner, window.get());
        QCOMPARE(dot(*window, 0).size(), QSize(12, 12));
        QCOMPARE(dot(*window, 1).size(), QSize(12, 12));
        const app::SettingsRecord stored = app::readSettings(iniPath());
        QCOMPARE(stored.PanelDotSize, 12);
        QCOMPARE(stored.PanelShape, dots::DotShape::Square);
        QTest::mouseClick(window->BTN[0], Qt::LeftButton);
        QCOMPARE(int(window->boardState().CellWidth), 12);
    }

    void dotBoxesTakeOnlyFileDrags() {
        auto window = testwindow::startMainWindow();
        QMimeData files;
        files.setUrls({QUrl::fromLocalFile(m_folder.filePath("x.png"))});
        QMimeData text;
        text.setText(QStringLiteral("x.png"));
        for (QMimeData* data : {&files, &text}) {
            QDragEnterEvent enter(QPoint(2, 2), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
            enter.setAccepted(false);
            QCoreApplication::sendEvent(window->Dot[1], &enter);
            QCOMPARE(enter.isAccepted(), data == &files);
        }
    }
};

QTEST_MAIN(TestFrmMainDots)
#include "test_frmmain_dots.moc"
