// The scrolling sign from the window: the board's context menu, the animation save command and the
// animation settings window.

#include "app/basCommon.h"
#include "app/frmAnimation.h"
#include "app/frmMain.h"
#include "board/fontface.h"
#include "board/rotation.h"
#include "output/SaveAnimation.h"
#include "preview/scrollpreview.h"
#include "scroll/framesequence.h"
#include "platform/commondialogs.h"
#include "platform/messagebox.h"
#include "scroll/writeanimation.h"
#include "tests/testsupport.h"
#include "tests/testwindow.h"
#include "ui/layout.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

using app::Settings;

class TestAnimationWindow : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_folder;
    QList<platform::DialogRequest> m_requests;
    platform::DialogAnswer m_answer;
    QStringList m_messages;

    QString path(const QString& name) const { return m_folder.filePath(name); }
    void answer(const QString& name, int filter) { m_answer = {true, {path(name)}, filter, 0}; }
    static void trigger(app::frmMain& window, const QString& caption) {
        for (QAction* action : window.BoardMenu->actions())
            if (action->text() == caption)
                return action->trigger();
        QFAIL(qPrintable(caption));
    }

private slots:
    void initTestCase() {
        board::registerJapaneseFaceSubstitutions();
        app::setProgramFolder(m_folder.path());
        platform::setFileDialogHandler([this](const platform::DialogRequest& request) {
            m_requests << request;
            return m_answer;
        });
        platform::setMsgBoxHandler([this](const QString& prompt, int, const QString&) {
            m_messages << prompt;
            return int(platform::AnswerYes);
        });
    }
    void init() {
        QFile::remove(path("Lumidot.Ini"));
        m_requests.clear();
        m_messages.clear();
    }

    void theBoardMenuOffersCopyAndTheAnimation() {
        app::frmMain window;
        QStringList captions;
        for (QAction* action : window.BoardMenu->actions())
            captions << action->text();
        QCOMPARE(captions.mid(0, 3),
                 (QStringList{"クリップボードへコピー", "アニメーションを保存...", "アニメーションの設定..."}));
        QCOMPARE(window.Board->contextMenuPolicy(), Qt::CustomContextMenu);
    }

    void savingAnimatesTheBoardAsItStands() {
        auto window = testwindow::startMainWindow();
        window->BTN_Click(0);
        window->SBTN_Click(3); // one step left: the animation starts from the board as it stands
        answer("sign", 1);
        trigger(*window, "アニメーションを保存...");
        QCOMPARE(m_requests.size(), 1);
        const platform::DialogRequest& request = m_requests.first();
        QCOMPARE(request.title, QStringLiteral("アニメーションの保存"));
        QCOMPARE(request.nameFilters, (QStringList{"GIF アニメーション (*.gif)", "WebP アニメーション (*.webp)",
                                                   "APNG (*.png)", "LED パネル用 C ヘッダー (*.h)"}));
        QCOMPARE(request.selectedFilter, 1);
        QVERIFY2(m_messages.isEmpty(), qPrintable(m_messages.join('\n')));
        QCOMPARE(window->MSG->text(), QStringLiteral(">sign.gif"));

        const board::BoardState& state = window->boardState();
        const scroll::Sign sign = scroll::signOf(state);
        QVERIFY(scroll::writeAnimation(sign, app::animationSettingsOf(Settings), path("expected.gif"),
                                       scroll::AnimationFormat::Gif)
                    .ok());
        QCOMPARE(testsupport::readAll(path("sign.gif")), testsupport::readAll(path("expected.gif")));

        answer("sign.gif", 1); // the same name again: replaced only after the question
        trigger(*window, "アニメーションを保存...");
        QCOMPARE(m_messages.size(), 1);
        QVERIFY(m_messages.first().startsWith(QStringLiteral("上書きしますか？")));
    }

    // One preview, raised again when asked for; it follows the board and closes with the main window.
    void thePreviewFollowsTheBoard() {
        auto window = testwindow::startMainWindow();
        window->show();
        window->BTN_Click(0);
        trigger(*window, "スクロール表示");
        trigger(*window, "スクロール表示");
        const QList<preview::ScrollPreview*> previews = window->findChildren<preview::ScrollPreview*>();
        QCOMPARE(previews.size(), 1);
        preview::ScrollPreview* shown = previews.first();
        QVERIFY(shown->isVisible() && shown->isPlaying());
        QCOMPARE(shown->windowTitle(), QStringLiteral("スクロール表示"));

        shown->togglePause();
        shown->stepForward();
        QCOMPARE(shown->frameIndex(), 1);
        window->SBTN_Click(3); // an arrow: the preview starts again from the board as it now stands
        QCOMPARE(shown->frameIndex(), 0);
        const board::BoardState& state = window->boardState();
        QImage expected;
        QVERIFY(
            scroll::FrameSequence(scroll::signOf(state), app::animationSettingsOf(Settings)).drawFrame(0, expected));
        QCOMPARE(shown->currentFrame(), expected);

        const QPointer<preview::ScrollPreview> watched = shown;
        window->close();
        QTRY_VERIFY(watched.isNull());
    }

    // The animation and the preview start from the window's sign; after every arrow it shows, cell by
    // cell, the pixels the board shows, each cell in its colour.
    void theSignShowsTheBoardAfterEveryArrow_data() {
        QTest::addColumn<QString>("message");
        QTest::newRow("one colour") << "";
        QTest::newRow("colour marks") << "{red}Sa{#00FF00}mp{}le";
    }
    void theSignShowsTheBoardAfterEveryArrow() {
        QFETCH(QString, message);
        auto window = testwindow::startMainWindow();
        Settings.PanelMarkup = message.isEmpty() ? 0 : 1;
        if (!message.isEmpty())
            window->FLD[0]->setText(message);
        window->BTN_Click(0);
        Settings.PanelMarkup = 0;
        app::SaveSettings();
        const board::BoardState& state = window->boardState();
        scroll::AnimationSettings wholeBoard = app::animationSettingsOf(Settings);
        wholeBoard.panelColumns = 0;
        for (const int16_t arrow : {board::RotateUp, board::RotateRight, board::RotateDown, board::RotateLeft})
            for (int press = 1; press <= 2; ++press) {
                window->SBTN_Click(arrow);
                const QImage& board = state.Board.image();
                QImage frame;
                const scroll::Sign sign = scroll::signOf(state);
                QCOMPARE(sign.colourCells.size(), size_t(message.isEmpty() ? 0 : 2));
                QVERIFY(scroll::FrameSequence(sign, wholeBoard).drawFrame(0, frame));
                QCOMPARE(frame.size(), board.size());
                for (int y = 0; y < board.height(); y += state.CellHeight)
                    for (int x = 0; x < board.width(); x += state.CellWidth) {
                        const QRect cell(x, y, state.CellWidth, state.CellHeight);
                        QVERIFY2(frame.copy(cell) == board.copy(cell),
                                 qPrintable(QStringLiteral("arrow %1, press %2, cell (%3, %4)")
                                                .arg(arrow)
                                                .arg(press)
                                                .arg(x / state.CellWidth)
                                                .arg(y / state.CellHeight)));
                    }
            }
    }

    void theExtensionFollowsTheFilterInLowerCase_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("filter");
        QTest::addColumn<QString>("settled");
        QTest::newRow("GIF") << "a" << 1 << "a.gif";
        QTest::newRow("GIF kept in any case") << "a.GIF" << 1 << "a.GIF";
        QTest::newRow("WebP") << "a" << 2 << "a.webp";
        QTest::newRow("another type's name") << "a.gif" << 3 << "a.gif.png";
        QTest::newRow("C header") << "panel" << 4 << "panel.h";
    }
    void theExtensionFollowsTheFilterInLowerCase() {
        QFETCH(QString, name);
        QFETCH(int, filter);
        QFETCH(QString, settled);
        QCOMPARE(output::settleAnimationName(name, filter), settled);
    }

    void theSettingsWindowStoresOnlyOnSave() {
        app::LoadSettings();
        app::frmAnimation window;
        for (const ui::ControlPlacement& place : ui::AnimationWindowLayout) {
            QWidget* control = window.findChild<QWidget*>(ui::controlName(place));
            QVERIFY2(control, place.name);
            QCOMPARE(control->geometry(), QRect(place.x, place.y, place.width, place.height));
        }
        window.Form_Load();
        QCOMPARE(window.NUM[1]->value(), 50);
        QCOMPARE(window.DIR->currentText(), QStringLiteral("左へ"));
        window.NUM[0]->setValue(64);
        window.NUM[1]->setValue(80);
        window.NUM[2]->setValue(2);
        window.DIR->setCurrentIndex(window.DIR->findText(QStringLiteral("上へ")));
        QTest::mouseClick(window.BTN[1], Qt::LeftButton); // 閉じる
        QVERIFY(!QFile::exists(path("Lumidot.Ini")));
        QTest::mouseClick(window.BTN[0], Qt::LeftButton); // 保存
        QVERIFY(testsupport::readAll(path("Lumidot.Ini"))
                    .contains("[Animation]\nPanel=64\nDelay=80\nDirection=Up\nStep=2\nGap=-1\nEnter=Board\n"));
        QCOMPARE(window.windowTitle(), QStringLiteral("アニメーションの設定"));
    }

    // A step that does not divide the board's cycle is refused where it is set, and before any file is asked
    // for: the settings stay as they were.
    void aStepTheBoardCannotTakeIsRefusedWhenSet() {
        auto window = testwindow::startMainWindow();
        window->BTN_Click(0); // "Sample": an odd number of cells wide, no panel: 2 does not divide the cycle
        const scroll::Sign sign = scroll::signOf(window->boardState());
        QCOMPARE(sign.cells.columns % 2, 1);
        const QByteArray before = testsupport::readAll(path("Lumidot.Ini"));
        {
            app::frmAnimation settings(&sign);
            settings.Form_Load();
            settings.NUM[2]->setValue(2);
            QTest::mouseClick(settings.BTN[0], Qt::LeftButton); // 保存
        }
        QCOMPARE(m_messages.size(), 1);
        QVERIFY2(m_messages.first().contains(QStringLiteral("Step=2 ∉ {1, ")), qPrintable(m_messages.first()));
        QCOMPARE(app::Settings.AnimStep, 1);
        QCOMPARE(testsupport::readAll(path("Lumidot.Ini")), before);

        app::Settings.AnimStep = 2; // as a hand-edited file may have it
        trigger(*window, "アニメーションを保存...");
        QCOMPARE(m_messages.size(), 2);
        QVERIFY(m_requests.isEmpty()); // no file dialog
    }
};

QTEST_MAIN(TestAnimationWindow)
#include "test_animation_window.moc"
