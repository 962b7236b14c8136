#include "app/basCommon.h"
#include "board/fontface.h"
#include "platform/commondialogs.h"
#include "platform/messagebox.h"
#include "app/frmMain.h"
#include "tests/testwindow.h"

#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using app::frmMain;
using app::Settings;
using platform::DialogAnswer;
using platform::DialogRequest;

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
