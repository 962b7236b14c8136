#include "app/basCommon.h"
#include "board/fontface.h"
#include "board/rotation.h"
#include "platform/commondialogs.h"
#include "platform/messagebox.h"
#include "app/frmMain.h"
#include "tests/testsupport.h"

#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using testsupport::readAll;

namespace {

struct Outcome {
    int exitCode;
    QString errors;
};

Outcome render(const QStringList& arguments) {
    QProcess process;
    process.start(QStringLiteral(LUMIDOT_RENDER), arguments);
    if (!process.waitForFinished(60000))
        return {-1, QStringLiteral("did not finish")};
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardError())};
}

} // namespace

class TestRender : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_folder;
    QString path(const QString& name) const { return m_folder.filePath(name); }

    // What the window saves after pressing 開始 `presses` times with message.
    QString savedByTheWindow(const QString& message, int presses, const QString& name) {
        app::LoadSettings();
        app::SaveSettings();
        app::frmMain window;
        window.Form_Load();
        window.FLD[0]->setText(message);
        for (int n = 0; n < presses; ++n)
            QTest::mouseClick(window.BTN[0], Qt::LeftButton);
        platform::setFileDialogHandler([&](const platform::DialogRequest&) {
            platform::DialogAnswer answer;
            answer.accepted = true;
            answer.paths = {path(name)};
            answer.filterIndex = 1;
            return answer;
        });
        QTest::mouseClick(window.BTN[1], Qt::LeftButton);
        return path(name);
    }

private slots:
    void initTestCase() {
        board::registerJapaneseFaceSubstitutions();
        QLocale::setDefault(QLocale::c());
        app::setProgramFolder(m_folder.path());
        platform::setMsgBoxHandler([](const QString&, int, const QString&) { return int(platform::AnswerYes); });
    }

    void outputEqualsWhatTheWindowSaves_data() {
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("presses");
        QTest::addColumn<QString>("name");
        QTest::newRow("short message, png") << "Sample" << 1 << "short.png";
        QTest::newRow("short message, bmp") << "Sample" << 1 << "short.bmp";
        // Wider than the window's first mask: the window shows it whole from the second press on.
        QTest::newRow("long message, png") << QString(60, QLatin1Char('W')) << 2 << "long.png";
    }
    void outputEqualsWhatTheWindowSaves() {
        QFETCH(QString, message);
        QFETCH(int, presses);
        QFETCH(QString, name);
        const QString fromWindow = savedByTheWindow(message, presses, "window-" + name);
        const Outcome outcome = render({"--settings", app::Settings.IniPath, message, path("render-" + name)});
        QCOMPARE(outcome.exitCode, 0);
        const QImage expected(fromWindow);
        QVERIFY(!expected.isNull());
        QCOMPARE(QImage(path("render-" + name)), expected);
        QCOMPARE(readAll(path("render-" + name)), readAll(fromWindow));
    }

    void aFailedFrameSaysWhichFileAndHowManyWereWritten() {
        QVERIFY(QDir(m_folder.path()).mkdir("stuck-2.png")); // a folder where the second frame would go
        const Outcome outcome = render({"--frames", "3", "Hi", path("stuck.png")});
        QCOMPARE(outcome.exitCode, 1);
        QVERIFY2(outcome.errors.contains("stuck-2.png") && outcome.errors.contains("1 of 3 frames"),
                 qPrintable(outcome.errors));
        QVERIFY(QFile::exists(path("stuck-1.png")));
    }

    void framesAreOneRotationApart() {
        QCOMPARE(render({"--frames", "3", "--direction", "up", "Hi", path("frame.png")}).exitCode, 0);
        const QImage first(path("frame-1.png")), third(path("frame-3.png"));
        QVERIFY(!first.isNull() && !third.isNull());
        QVERIFY(!QFile::exists(path("frame.png")));
        // Two rows of 8-pixel cells moved up, wrapping at the bottom.
        const int shift = 16;
        for (int y = 0; y < first.height(); ++y)
            for (int x = 0; x < first.width(); x += 3)
                QCOMPARE(third.pixel(x, y), first.pixel(x, (y + shift) % first.height()));
    }

    void errorsAreClearAndNothingIsWritten_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("mentions");
        QTest::newRow("missing dot file")
            << QStringList{"--lit", "/no/such/dot.png", "Hi", "x.png"} << "/no/such/dot.png";
        QTest::newRow("unknown extension") << QStringList{"Hi", "x.gif"} << ".bmp, .jpg or .png";
        QTest::newRow("bad size") << QStringList{"--size", "big", "Hi", "x.png"} << "--size";
        QTest::newRow("size not a finite number") << QStringList{"--size", "nan", "Hi", "x.png"} << "--size";
        QTest::newRow("bad quality") << QStringList{"--quality", "101", "Hi", "x.jpg"} << "--quality";
        QTest::newRow("bad direction") << QStringList{"--frames", "2", "--direction", "sideways", "Hi", "x.png"}
                                       << "--direction";
        QTest::newRow("no output") << QStringList{"Hi"} << "output";
        QTest::newRow("unknown option") << QStringList{"--colour", "red", "Hi", "x.png"} << "colour";
    }
    void errorsAreClearAndNothingIsWritten() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, mentions);
        for (QString& argument : arguments)
            if (argument.startsWith("x."))
                argument = path(argument);
        const Outcome outcome = render(arguments);
        QVERIFY(outcome.exitCode != 0);
        QVERIFY2(outcome.errors.contains("lumidot-render: ") && outcome.errors.contains(mentions),
                 qPrintable(outcome.errors));
        QVERIFY(QDir(m_folder.path()).entryList({"x.*"}).isEmpty());
    }

    void aFailedWriteIsAnError() {
        const Outcome outcome = render({"Hi", path("no-such-folder/x.png")});
        QCOMPARE(outcome.exitCode, 1);
        QVERIFY(outcome.errors.contains("no-such-folder"));
    }
};

QTEST_MAIN(TestRender)
#include "test_render.moc"
