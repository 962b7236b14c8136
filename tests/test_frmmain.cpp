#include "app/basCommon.h"
#include "board/fontface.h"
#include "platform/errors.h"
#include "platform/eventboundary.h"
#include "platform/messagebox.h"
#include "app/frmMain.h"
#include "ui/layout.h"
#include "tests/testsupport.h"
#include "tests/testwindow.h"

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <stdexcept>
#include <system_error>

using app::frmMain;
using app::Settings;
using testsupport::readAll;

class TestFrmMain : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_folder;
    QStringList m_messages;

    QString iniPath() const { return m_folder.filePath(QStringLiteral("Lumidot.Ini")); }

private slots:
    void initTestCase() {
        board::registerJapaneseFaceSubstitutions();
        QLocale::setDefault(QLocale::c());
        app::setProgramFolder(m_folder.path());
        platform::setMsgBoxHandler([this](const QString& prompt, int, const QString&) {
            m_messages << prompt;
            return int(platform::AnswerOk);
        });
    }

    void init() {
        QFile::remove(iniPath());
        m_messages.clear();
    }

    void firstStartShowsTheDefaults() {
        auto window = testwindow::startMainWindow();
        QCOMPARE(window->FLD[0]->text(), QStringLiteral("Sample"));
        QCOMPARE(window->DSP[0]->text(), QStringLiteral("ＭＳ Ｐゴシック"));
        QCOMPARE(window->DSP[1]->text(), QStringLiteral("10"));
        QVERIFY(!window->CHK[0]->isChecked() && !window->CHK[1]->isChecked());
        QCOMPARE(window->LST[1]->count(), 17);
        QCOMPARE(window->LST[1]->item(0)->text(), QStringLiteral("8"));
        QCOMPARE(window->LST[1]->item(16)->text(), QStringLiteral("24"));
        QVERIFY(window->LST[0]->selectedItems().isEmpty() && window->LST[1]->selectedItems().isEmpty());
        QVERIFY(!window->LST[0]->findItems(QStringLiteral("IPAPGothic"), Qt::MatchExactly).isEmpty());
        QVERIFY(window->LST[0]->findItems(QStringLiteral("Sans Serif"), Qt::MatchExactly).isEmpty());
        QCOMPARE(window->MSG->text(), QStringLiteral("Lumidot"));
        QVERIFY(window->isEnabled());
        QCOMPARE(int(window->boardState().CellWidth), 0); // nothing rendered at start-up
        QCOMPARE(board::reportedFontName(window->boardState().TempPic.font()), QStringLiteral("IPAPGothic"));
    }

    void startRendersThenStoresWhatTheMaskReports() {
        auto window = testwindow::startMainWindow();
        window->FLD[0]->setText(QStringLiteral("Hello"));
        QTest::mouseClick(window->BTN[0], Qt::LeftButton);
        const board::BoardState& state = window->boardState();
        QCOMPARE(int(state.CellWidth), 8);
        QVERIFY(state.Board.ScaleWidth() > 0);
        QCOMPARE(window->Board->size(), QSize(state.Board.ScaleWidth() + 2, state.Board.ScaleHeight() + 2));
        QCOMPARE(Settings.Mongon, QStringLiteral("Hello"));
        QCOMPARE(Settings.FontName, QStringLiteral("IPAPGothic")); // what the mask really uses
        QCOMPARE(Settings.FontSize, 10.0f);
        const QByteArray saved = readAll(iniPath());
        QVERIFY(saved.contains("Mongon=Hello"));
        QVERIFY(saved.contains("Name=IPAPGothic"));
        QVERIFY(m_messages.isEmpty());
    }

    void aFailedRenderIsReportedAndStoresNothing() {
        auto window = testwindow::startMainWindow();
        const QByteArray before = readAll(iniPath());
        window->FLD[0]->setText(QString(1200, QLatin1Char('M'))); // far wider than 4096 columns
        QTest::mouseClick(window->BTN[0], Qt::LeftButton);
        QCOMPARE(m_messages, QStringList{QStringLiteral("6:オーバーフローしました。")});
        QCOMPARE(Settings.Mongon, QStringLiteral("Sample"));
        QCOMPARE(readAll(iniPath()), before);
        // The program goes on: the next start works.
        window->FLD[0]->setText(QStringLiteral("Hi"));
        QTest::mouseClick(window->BTN[0], Qt::LeftButton);
        QCOMPARE(Settings.Mongon, QStringLiteral("Hi"));
        QCOMPARE(m_messages.size(), 1);
    }

    void pickingASizeAppliesTheFontWithoutRedrawing() {
        auto window = testwindow::startMainWindow();
        QTest::mouseClick(window->BTN[0], Qt::LeftButton);
        const QImage board = window->boardState().Board.image().copy();
        window->LST[1]->setCurrentRow(4);
        QCOMPARE(window->DSP[1]->text(), QStringLiteral("12"));
        QCOMPARE(window->boardState().TempPic.font().pointSizeF(), 12.0);
        QCOMPARE(window->boardState().SizeMongon.font().pointSizeF(), 12.0);
        QCOMPARE(board::reportedFontName(window->boardState().TempPic.font()), QStringLiteral("IPAPGothic"));
        QCOMPARE(window->boardState().Board.image(), board);
        QCOMPARE(Settings.FontSize, 10.0f); // stored only by the next start
    }

    void pickingAFaceAppliesIt() {
        auto window = testwindow::startMainWindow();
        const QList<QListWidgetItem*> found =
            window->LST[0]->findItems(QStringLiteral("DejaVu Serif"), Qt::MatchExactly);
        QVERIFY(!found.isEmpty());
        window->LST[0]->setCurrentItem(found.first());
        QCOMPARE(window->DSP[0]->text(), QStringLiteral("DejaVu Serif"));
        QCOMPARE(board::reportedFontName(window->boardState().SizeMongon.font()), QStringLiteral("DejaVu Serif"));
    }

    void tickingBoldSetsTheFlagAndBothFonts() {
        auto window = testwindow::startMainWindow();
        window->CHK[1]->click();
        QCOMPARE(int(Settings.Tick), -1);
        QVERIFY(window->boardState().TempPic.font().bold());
        QVERIFY(window->boardState().SizeMongon.font().bold());
        window->CHK[1]->click();
        QCOMPARE(int(Settings.Tick), 0);
        QVERIFY(!window->boardState().SizeMongon.font().bold());
    }

    void aStoredItalicIsRestoredThroughItsHandler() {
        QVERIFY(testsupport::writeAll(iniPath(), "[Font]\nItalic=7\n"));
        auto window = testwindow::startMainWindow();
        QVERIFY(window->CHK[0]->isChecked());
        QCOMPARE(int(Settings.Italic), -1); // the handler ran and stored true as -1
        QVERIFY(window->boardState().TempPic.font().italic());
        QCOMPARE(board::reportedFontName(window->boardState().SizeMongon.font()), QStringLiteral("IPAPGothic"));
        app::SaveSettings();
        QVERIFY(readAll(iniPath()).contains("Italic=-1"));
    }

    void closeSavesNothing() {
        auto window = testwindow::startMainWindow();
        window->show();
        const QByteArray before = readAll(iniPath());
        window->CHK[0]->click();
        QTest::mouseClick(window->BTN[3], Qt::LeftButton);
        QVERIFY(!window->isVisible());
        QCOMPARE(readAll(iniPath()), before);
    }

    void keysOpenTheBoardsMenuAndStartANewLine() {
        auto window = testwindow::startMainWindow();
        for (const auto& [key, modifiers] :
             {std::pair{Qt::Key_Menu, Qt::NoModifier}, {Qt::Key_F10, Qt::ShiftModifier}}) {
            window->SBTN[2]->setFocus();
            QTest::keyClick(window->SBTN[2], key, modifiers);
            QVERIFY(window->BoardMenu->isVisible());
            window->BoardMenu->hide();
        }
        QTest::keyClick(window->SBTN[2], Qt::Key_F10); // F10 alone is not the menu
        QVERIFY(!window->BoardMenu->isVisible());
        window->FLD[0]->setText(QStringLiteral("AB"));
        window->FLD[0]->setCursorPosition(1);
        QTest::keyClick(window->FLD[0], Qt::Key_Return, Qt::ShiftModifier);
        QCOMPARE(window->FLD[0]->text(), QStringLiteral("A\nB"));
        QCOMPARE(window->boardState().CellWidth, int16_t(0)); // nothing rendered
    }

    void controlsStandWhereTheDesignPutsThem() {
        auto window = testwindow::startMainWindow();
        for (const ui::ControlPlacement& place : ui::MainWindowLayout) {
            QWidget* widget = window->findChild<QWidget*>(ui::controlName(place));
            QVERIFY2(widget, place.name);
            QCOMPARE(widget->geometry(), QRect(place.x, place.y, place.width, place.height));
            QCOMPARE(widget->parentWidget(),
                     place.frame < 0 ? static_cast<QWidget*>(window.get()) : window->Area[place.frame]->clientArea());
        }
        QCOMPARE(window->size(), QSize(ui::MainWindowClientWidth, ui::MainWindowClientHeight));
        QCOMPARE(window->LBL[0]->text(), QStringLiteral("文字"));
        QCOMPARE(window->BTN[2]->text(), QStringLiteral("ｵﾌﾟｼｮﾝ"));
        QVERIFY(window->DSP[1]->alignment() & Qt::AlignRight);
        QVERIFY(window->TempPic->isHidden());
        QCOMPARE(window->Board->toolTip(), QStringLiteral("画像をクリックすると、クリップボードへコピーします。"));
        QVERIFY(window->Dot[0]->acceptDrops() && window->Area[1]->acceptDrops());
        QCOMPARE(window->boardState().Dot[0].ScaleWidth(), 8);
        QCOMPARE(window->Dot[0]->size(), QSize(10, 10));
    }

    void tabReachesTheControlsInTheirColumnOrder() {
        auto window = testwindow::startMainWindow();
        const QList<QWidget*> expected = {window->BTN[0],  window->DBTN[0], window->DBTN[1], window->BTN[1],
                                          window->LST[1],  window->BTN[3],  window->CHK[0],  window->CHK[1],
                                          window->BTN[2],  window->SBTN[0], window->SBTN[1], window->SBTN[2],
                                          window->SBTN[3], window->LST[0],  window->FLD[0]};
        QList<QWidget*> reached;
        QWidget* widget = window->FLD[0];
        for (int n = 0; n < expected.size(); ++n) {
            do
                widget = widget->nextInFocusChain();
            while (widget->focusPolicy() == Qt::NoFocus || widget->isHidden() || widget == window.get());
            reached << widget;
        }
        QCOMPARE(reached, expected);
    }

    // Whatever a handler throws ends that handler only: the event boundary shows it in a message box.
    void eventBoundaryReportsWhatAHandlerThrows_data() {
        QTest::addColumn<int>("thrown");
        QTest::addColumn<QString>("message");
        QTest::newRow("an error number") << 0 << "6:オーバーフローしました。";
        QTest::newRow("no memory") << 1 << "7:メモリが不足しています。";
        QTest::newRow("no thread") << 2 << "予期しないエラーが発生しました: no thread: ";
        QTest::newRow("any other") << 3 << "予期しないエラーが発生しました: broken";
    }
    void eventBoundaryReportsWhatAHandlerThrows() {
        QFETCH(int, thrown);
        QFETCH(QString, message);
        platform::runTrapped([thrown] {
            switch (thrown) {
            case 0:
                platform::raiseError(platform::ErrOverflow);
            case 1:
                throw std::bad_alloc();
            case 2:
                throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again), "no thread");
            default:
                throw std::runtime_error("broken");
            }
        });
        QCOMPARE(m_messages.size(), 1);
        QVERIFY2(m_messages[0].startsWith(message), qPrintable(m_messages[0])); // then the system's reason
    }
};

QTEST_MAIN(TestFrmMain)
#include "test_frmmain.moc"
