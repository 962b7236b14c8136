// What a desktop user expects of the windows: their icon, Qt's own texts in Japanese, the keyboard and
// the names a screen reader says.

#include "app/frmJPEG.h"
#include "app/frmMain.h"
#include "board/fontface.h"
#include "platform/commondialogs.h"
#include "platform/messagebox.h"
#include "tests/testwindow.h"
#include "ui/pictures.h"
#include "ui/translations.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

using app::frmMain;

class TestDesktop : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_folder;
    QStringList m_dialogTitles;

    static void focus(QWidget* window, QWidget* widget) {
        window->show();
        QApplication::setActiveWindow(window);
        QVERIFY(QTest::qWaitForWindowActive(window));
        widget->setFocus();
        QCOMPARE(QApplication::focusWidget(), widget);
    }

private slots:
    void initTestCase() {
        board::registerJapaneseFaceSubstitutions();
        app::setProgramFolder(m_folder.path());
        platform::setMsgBoxHandler([](const QString&, int, const QString&) { return int(platform::AnswerNo); });
        platform::setFileDialogHandler([this](const platform::DialogRequest& request) {
            m_dialogTitles << request.title;
            return platform::DialogAnswer{}; // cancelled
        });
    }

    void bothWindowsShowTheBuiltInIcon() {
        frmMain main;
        app::frmJPEG options;
        for (QWidget* window : {static_cast<QWidget*>(&main), static_cast<QWidget*>(&options)}) {
            const QImage shown = window->windowIcon().pixmap(32, 32).toImage().convertToFormat(QImage::Format_RGB32);
            QCOMPARE(shown, ui::iconPicture(32).convertToFormat(QImage::Format_RGB32));
        }
    }

    void qtsOwnTextsAreJapanese() {
        QVERIFY(ui::installJapaneseTranslations(*QCoreApplication::instance()));
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("キャンセル"));
        QCOMPARE(QCoreApplication::translate("QFileDialog", "Look in:"), QStringLiteral("アドレス:"));
    }

    void enterRendersAndCtrlKeysCopyAndSave() {
        auto window = testwindow::startMainWindow();
        const QSize laidOut = window->Board->size();
        focus(window.get(), window->FLD[0]);
        QTest::keyClick(window->FLD[0], Qt::Key_Return);
        QVERIFY(window->Board->size() != laidOut); // rendered

        QApplication::clipboard()->clear();
        window->FLD[0]->selectAll();
        QTest::keyClick(window->FLD[0], Qt::Key_C, Qt::ControlModifier); // the text box keeps its own copy
        QCOMPARE(QApplication::clipboard()->text(), window->FLD[0]->text());

        focus(window.get(), window->BTN[0]);
        QTest::keyClick(window->BTN[0], Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(qvariant_cast<QImage>(QApplication::clipboard()->mimeData()->imageData()),
                 window->boardState().Board.image());

        m_dialogTitles.clear();
        QTest::keyClick(window->BTN[0], Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(m_dialogTitles, QStringList{QStringLiteral("ファイルの保存")});
    }

    void rightAndUpRaiseTheScales() {
        app::frmJPEG options;
        options.Form_Load();
        QScrollBar* quality = options.ASCR[0];
        focus(&options, quality);
        const int start = quality->value();
        QTest::keyClick(quality, Qt::Key_Right);
        QTest::keyClick(quality, Qt::Key_Up);
        QCOMPARE(quality->value(), start + 2);
        QTest::keyClick(quality, Qt::Key_Left);
        QCOMPARE(quality->value(), start + 1);
    }

    void controlsWithoutCaptionsHaveNames() {
        frmMain window;
        QStringList names;
        for (QPushButton* arrow : window.SBTN)
            names << arrow->accessibleName();
        QCOMPARE(names, (QStringList{"上", "右", "下", "左"}));
        QCOMPARE(window.Dot[0]->accessibleName(), QStringLiteral("文字の絵"));
        QCOMPARE(window.Dot[1]->accessibleName(), QStringLiteral("背景の絵"));
    }
};

QTEST_MAIN(TestDesktop)
#include "test_desktop.moc"
