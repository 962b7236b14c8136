#include "app/basCommon.h"
#include "platform/messagebox.h"
#include "app/frmJPEG.h"
#include "app/frmMain.h"
#include "ui/layout.h"
#include "tests/testsupport.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWindow>

using app::frmJPEG;
using app::Settings;
using testsupport::readAll;

namespace {

// Clicks the empty track of a scale on one side of its thumb.
void clickTrack(QScrollBar* scale, QStyle::SubControl page) {
    QStyleOptionSlider option;
    option.initFrom(scale);
    option.orientation = scale->orientation();
    option.minimum = scale->minimum();
    option.maximum = scale->maximum();
    option.sliderPosition = scale->sliderPosition();
    option.sliderValue = scale->value();
    option.singleStep = scale->singleStep();
    option.pageStep = scale->pageStep();
    option.upsideDown = scale->invertedAppearance();
    const QRect track = scale->style()->subControlRect(QStyle::CC_ScrollBar, &option, page, scale);
    QTest::mouseClick(scale, Qt::LeftButton, {}, track.center());
}

} // namespace

class TestFrmJPEG : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_folder;
    QString iniPath() const { return m_folder.filePath(QStringLiteral("Lumidot.Ini")); }

    void startWith(const QByteArray& ini) {
        QFile file(iniPath());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(ini);
        file.close();
        app::LoadSettings();
        app::SaveSettings();
    }

    std::unique_ptr<frmJPEG> open() {
        auto window = std::make_unique<frmJPEG>();
        window->Form_Load();
        return window;
    }

private slots:
    void initTestCase() {
        QLocale::setDefault(QLocale::c());
        app::setProgramFolder(m_folder.path());
    }

    void firstOpeningShowsTheDefaults() {
        startWith("");
        auto window = open();
        QCOMPARE(window->ASCR[0]->value(), 50);
        QCOMPARE(window->DSP[0]->text(), QStringLiteral("50"));
        QVERIFY(!window->CHK->isChecked());
        QCOMPARE(window->ASCR[1]->value(), 0);
        QCOMPARE(window->DSP[1]->text(), QStringLiteral("0"));
    }

    void displaysMatchTheScalesInEveryCase_data() {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<int>("jpeg");
        QTest::addColumn<int>("png");
        QTest::newRow("quality 1, the design value") << QByteArray("[JPEG]\nRate=1\n") << 1 << 0;
        QTest::newRow("quality beyond the scale") << QByteArray("[JPEG]\nRate=500\n") << 100 << 0;
        QTest::newRow("quality below the scale") << QByteArray("[JPEG]\nRate=-5\n") << 1 << 0;
        QTest::newRow("png 0 stands at 1") << QByteArray("[PNG]\nRate=0\n") << 50 << 1;
        QTest::newRow("png 2 stands at 2") << QByteArray("[PNG]\nRate=2\n") << 50 << 2;
        QTest::newRow("png 9 is not shown") << QByteArray("[PNG]\nRate=9\n") << 50 << 1;
    }
    void displaysMatchTheScalesInEveryCase() {
        QFETCH(QByteArray, ini);
        QFETCH(int, jpeg);
        QFETCH(int, png);
        startWith(ini);
        auto window = open();
        QCOMPARE(window->ASCR[0]->value(), jpeg);
        QCOMPARE(window->DSP[0]->text(), QString::number(jpeg));
        QCOMPARE(window->ASCR[1]->value(), png);
        QCOMPARE(window->DSP[1]->text(), QString::number(png));
    }

    void savingStoresThePngSettingSwapped_data() {
        QTest::addColumn<int>("position");
        QTest::addColumn<int>("stored");
        QTest::newRow("position 2 stores 2") << 2 << 2;
        QTest::newRow("position 0 stores 1") << 0 << 1;
        QTest::newRow("position 1 stores 0") << 1 << 0;
    }
    void savingStoresThePngSettingSwapped() {
        QFETCH(int, position);
        QFETCH(int, stored);
        startWith("[PNG]\nRate=2\n");
        auto window = open();
        window->ASCR[1]->setValue(position);
        QTest::mouseClick(window->BTN[0], Qt::LeftButton);
        QCOMPARE(int(Settings.PngRate), stored);
        QVERIFY(readAll(iniPath()).contains("[PNG]\nRate=" + QByteArray::number(stored)));
        QCOMPARE(open()->ASCR[1]->value(), position); // reopening shows the stored position
    }

    void progressiveIsStoredAsMinusOne() {
        startWith("[JPEG]\nPrgrs=1\n");
        auto window = open();
        QVERIFY(window->CHK->isChecked());
        QTest::mouseClick(window->BTN[0], Qt::LeftButton);
        QVERIFY(readAll(iniPath()).contains("Prgrs=-1"));
        window = open();
        window->CHK->setChecked(false);
        QTest::mouseClick(window->BTN[0], Qt::LeftButton);
        QVERIFY(readAll(iniPath()).contains("Prgrs=0"));
    }

    void savingWritesTheWholeRecord() {
        startWith("");
        Settings.Mongon = QStringLiteral("Changed");
        Settings.Tick = -1;
        auto window = open();
        QTest::mouseClick(window->BTN[0], Qt::LeftButton);
        const QByteArray saved = readAll(iniPath());
        QVERIFY(saved.contains("Mongon=Changed"));
        QVERIFY(saved.contains("Tick=-1"));
    }

    void closingStoresNothing() {
        startWith("");
        const QByteArray before = readAll(iniPath());
        for (const bool byCloseBox : {false, true}) {
            auto window = open();
            window->show();
            window->ASCR[0]->setValue(80);
            window->ASCR[1]->setValue(2);
            window->CHK->setChecked(true);
            if (byCloseBox)
                window->close();
            else
                QTest::mouseClick(window->BTN[1], Qt::LeftButton);
            QVERIFY(!window->isVisible());
            QCOMPARE(int(Settings.JpegRate), 50);
            QCOMPARE(int(Settings.PngRate), 1);
            QCOMPARE(int(Settings.JpegPrgrs), 0);
            QCOMPARE(readAll(iniPath()), before);
            QCOMPARE(open()->ASCR[0]->value(), 50);
        }
    }

    void scalesStepByOneAndFollowADraggedThumbOnlyWhenLetGo() {
        startWith("");
        auto window = open();
        window->show();
        QScrollBar* quality = window->ASCR[0];
        clickTrack(quality, QStyle::SC_ScrollBarAddPage);
        QCOMPARE(quality->value(), 51);
        QCOMPARE(window->DSP[0]->text(), QStringLiteral("51"));
        clickTrack(quality, QStyle::SC_ScrollBarSubPage);
        clickTrack(quality, QStyle::SC_ScrollBarSubPage);
        QCOMPARE(quality->value(), 49);
        clickTrack(quality, QStyle::SC_ScrollBarAddLine); // the right arrow
        QCOMPARE(window->DSP[0]->text(), QStringLiteral("50"));

        quality->setSliderDown(true);
        quality->setSliderPosition(70);
        QCOMPARE(window->DSP[0]->text(), QStringLiteral("50"));
        quality->setSliderDown(false);
        QCOMPARE(window->DSP[0]->text(), QStringLiteral("70"));

        QScrollBar* png = window->ASCR[1];
        QCOMPARE(png->maximum() - png->minimum() + 1, 3);
    }

    void controlsFocusAndKeys() {
        startWith("");
        auto window = open();
        for (const ui::ControlPlacement& place : ui::OptionsWindowLayout) {
            QWidget* widget = window->findChild<QWidget*>(ui::controlName(place));
            QVERIFY2(widget, place.name);
            QCOMPARE(widget->geometry(), QRect(place.x, place.y, place.width, place.height));
        }
        QCOMPARE(window->windowTitle(), QStringLiteral("保存オプション"));
        QCOMPARE(window->size(), QSize(ui::OptionsWindowClientWidth, ui::OptionsWindowClientHeight));

        window->show();
        QApplication::setActiveWindow(window.get());
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        QCOMPARE(QApplication::focusWidget(), window->BTN[0]);
        const QList<QWidget*> expected = {window->BTN[1], window->ASCR[0], window->CHK, window->ASCR[1],
                                          window->BTN[0]};
        for (QWidget* next : expected) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), next);
        }
        QTest::keyClick(window.get(), Qt::Key_Escape); // neither Esc nor Enter presses a button
        QTest::keyClick(window->ASCR[0], Qt::Key_Return);
        QVERIFY(window->isVisible());
        QCOMPARE(int(Settings.JpegRate), 50);
    }

    // The options window has no owner window (the system places it as any new window), yet the main window
    // takes no input while it is open: a click on 閉じる that reaches it through the window system closes nothing.
    void optionsButtonOpensTheWindowModal() {
        startWith("");
        app::frmMain main;
        main.Form_Load();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        QObject* owner = &main;
        bool wasModal = false;
        QTimer::singleShot(0, [&] {
            auto* options = qobject_cast<frmJPEG*>(QApplication::activeModalWidget());
            wasModal = options != nullptr;
            if (!options)
                return;
            owner = options->windowHandle()->transientParent(); // the window the system keeps it above
            const QPoint close = main.BTN[3]->mapTo(&main, main.BTN[3]->rect().center());
            QTest::mouseClick(main.windowHandle(), Qt::LeftButton, {}, close);
            QTest::mouseClick(options->BTN[1], Qt::LeftButton);
        });
        main.BTN_Click(2);
        QVERIFY(wasModal);
        QCOMPARE(owner, nullptr);
        QVERIFY(main.isVisible());
        QVERIFY(main.isEnabled());
    }
};

QTEST_MAIN(TestFrmJPEG)
#include "test_frmjpeg.moc"
