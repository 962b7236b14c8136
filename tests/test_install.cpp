#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

#include "tests/testsupport.h"

#include <algorithm>
#include <cstdlib>

#include <sys/mount.h>
#include <unistd.h>

// An installed copy runs from a folder it may not write to; its settings go to the user's
// configuration folder instead, so they are kept.
class TestInstall : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_root;
    QString m_prefix;
    bool m_mounted = false;

    QString bin() const { return m_prefix + "/bin"; }

    // Starts the installed program headless, for a user whose configuration folder is config.
    void startInstalled(QProcess& program, const QString& config) const {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("XDG_CONFIG_HOME", config);
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        program.setProcessEnvironment(environment);
        program.start(bin() + "/lumidot", {});
    }

private slots:
    void initTestCase() {
        m_prefix = m_root.filePath("prefix");
        QProcess install;
        install.start(QStringLiteral(LUMIDOT_CMAKE),
                      {"--install", QStringLiteral(LUMIDOT_BUILD_DIR), "--prefix", m_prefix});
        QVERIFY(install.waitForFinished(120000));
        QCOMPARE(install.exitCode(), 0);
        for (const char* file :
             {"bin/lumidot", "bin/lumidot-render", "share/applications/io.github.lumidot.Lumidot.desktop",
              "share/metainfo/io.github.lumidot.Lumidot.metainfo.xml", "share/man/man1/lumidot.1.gz",
              "share/man/man1/lumidot-render.1.gz", "share/doc/lumidot/copyright", "share/doc/lumidot/changelog.gz",
              "share/icons/hicolor/16x16/apps/io.github.lumidot.Lumidot.png",
              "share/icons/hicolor/32x32/apps/io.github.lumidot.Lumidot.png",
              "share/icons/hicolor/48x48/apps/io.github.lumidot.Lumidot.png",
              "share/icons/hicolor/256x256/apps/io.github.lumidot.Lumidot.png",
              "share/icons/hicolor/scalable/apps/io.github.lumidot.Lumidot.svg"})
            QVERIFY2(QFileInfo(m_prefix + "/" + file).size() > 0, file);

        // Make the installed folder read-only, as it is under /usr for anyone but root.
        if (geteuid() == 0) {
            const QByteArray path = QFile::encodeName(bin());
            QCOMPARE(::mount(path.constData(), path.constData(), nullptr, MS_BIND, nullptr), 0);
            m_mounted = true;
            QCOMPARE(::mount(nullptr, path.constData(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr), 0);
        } else {
            QVERIFY(
                QFile::setPermissions(bin(), QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther));
        }
    }

    void cleanupTestCase() {
        if (m_mounted)
            ::umount2(QFile::encodeName(bin()).constData(), MNT_DETACH);
        QFile::setPermissions(bin(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    // Software centres find the desktop entry through the metadata and the icon through the entry.
    void theMetadataTheDesktopEntryAndTheIconAgree() {
        const QString share = m_prefix + "/share/";
        QFile metainfo(share + "metainfo/io.github.lumidot.Lumidot.metainfo.xml");
        QVERIFY(metainfo.open(QIODevice::ReadOnly));
        QXmlStreamReader xml(&metainfo);
        QString id, launchable;
        while (xml.readNextStartElement()) {
            if (xml.name() == QLatin1String("component"))
                continue;
            if (xml.name() == QLatin1String("id"))
                id = xml.readElementText();
            else if (xml.name() == QLatin1String("launchable"))
                launchable = xml.readElementText();
            else
                xml.skipCurrentElement();
        }
        QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
        QCOMPARE(launchable, id + ".desktop");
        const QSettings entry(share + "applications/" + launchable, QSettings::IniFormat);
        QCOMPARE(entry.status(), QSettings::NoError);
        const QString icon = entry.value("Desktop Entry/Icon").toString();
        QVERIFY(!icon.isEmpty());
        QVERIFY(QFile::exists(share + "icons/hicolor/48x48/apps/" + icon + ".png"));
    }

    // The SVG icon is the PNG icons' design: drawn by another renderer (librsvg) at each PNG size, no
    // pixel differs by more than the smoothing of a rounded edge explains (up to 25 of 255 measured);
    // a lamp lit in one and not the other differs by over 200.
    void theSvgIconDrawsAsThePngIcons() {
        const QString rsvg = QStandardPaths::findExecutable("rsvg-convert");
        QVERIFY2(!rsvg.isEmpty(), "rsvg-convert draws the SVG: install librsvg2-bin (tools/install-deps.sh)");
        const QString icons = m_prefix + "/share/icons/hicolor/";
        for (const int size : {16, 32, 48, 256}) {
            const QString drawn = m_root.filePath(QString("svg-%1.png").arg(size));
            QProcess convert;
            convert.start(rsvg, {"-w", QString::number(size), "-h", QString::number(size), "-o", drawn,
                                 icons + "scalable/apps/io.github.lumidot.Lumidot.svg"});
            QVERIFY(convert.waitForFinished(20000));
            QCOMPARE(convert.exitCode(), 0);
            const QImage svg = QImage(drawn).convertToFormat(QImage::Format_ARGB32_Premultiplied);
            const QImage png = QImage(icons + QString("%1x%1/apps/io.github.lumidot.Lumidot.png").arg(size))
                                   .convertToFormat(QImage::Format_ARGB32_Premultiplied);
            QCOMPARE(svg.size(), png.size());
            int largest = 0;
            for (int y = 0; y < size; ++y)
                for (int x = 0; x < size; ++x) {
                    const QRgb a = svg.pixel(x, y), b = png.pixel(x, y);
                    largest = std::max({largest, std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                                        std::abs(qBlue(a) - qBlue(b)), std::abs(qAlpha(a) - qAlpha(b))});
                }
            QVERIFY2(largest <= 48, qPrintable(QString("%1 px: a channel differs by %2").arg(size).arg(largest)));
        }
    }

    void settingsGoToTheUsersConfigurationFolder() {
        const QString config = m_root.filePath("config");
        QProcess program;
        startInstalled(program, config);
        QVERIFY(program.waitForStarted());
        const QString settings = config + "/Lumidot/Lumidot.Ini";
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(settings), 20000); // written at start-up, before the window
        program.kill();
        program.waitForFinished();
        QFile file(settings);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.readAll().contains("Mongon=Sample"));
        QVERIFY(!QFile::exists(bin() + "/Lumidot.Ini"));
    }

    void anUnreadableSettingStopsTheStartAndKeepsTheFile() {
        const QString config = m_root.filePath("bad-config");
        const QString settings = config + "/Lumidot/Lumidot.Ini";
        QVERIFY(QDir().mkpath(config + "/Lumidot"));
        const QByteArray bad = "[Font]\nName=X\nSize=abc\n";
        QVERIFY(testsupport::writeAll(settings, bad));
        QProcess program;
        startInstalled(program, config);
        QVERIFY(program.waitForFinished(20000));
        QCOMPARE(program.exitCode(), 1);
        const QString errors = QString::fromUtf8(program.readAllStandardError());
        for (const QString& part :
             {settings, QStringLiteral("[Font]"), QStringLiteral("Size"), QStringLiteral("\"abc\"")})
            QVERIFY2(errors.contains(part), qPrintable(errors));
        QCOMPARE(testsupport::readAll(settings), bad);
    }

    // Help and the version need no display; without one the window cannot open, which is said in one
    // line, before the settings are read or written.
    void theCommandLineWithoutADisplay_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("output");
        QTest::addColumn<QString>("errorLine");
        QTest::newRow("--help") << QStringList{"--help"} << 0 << "Usage: lumidot"
                                << "";
        QTest::newRow("--version") << QStringList{"--version"} << 0 << "lumidot " LUMIDOT_VERSION "\n"
                                   << "";
        QTest::newRow("the window") << QStringList{} << 1 << ""
                                    << "lumidot: cannot open the window: no display (DISPLAY is not set)\n";
    }
    void theCommandLineWithoutADisplay() {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QString, output);
        QFETCH(QString, errorLine);
        const QString config = m_root.filePath("no-display-config");
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            environment.remove(name);
        environment.insert("XDG_CONFIG_HOME", config);
        QProcess program;
        program.setProcessEnvironment(environment);
        program.start(bin() + "/lumidot", arguments);
        QVERIFY(program.waitForFinished(20000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), status);
        const QString printed = QString::fromUtf8(program.readAllStandardOutput());
        QVERIFY2(output.isEmpty() ? printed.isEmpty() : printed.startsWith(output), qPrintable(printed));
        QCOMPARE(QString::fromUtf8(program.readAllStandardError()), errorLine);
        QVERIFY(!QFile::exists(config));
    }

    void theInstalledRendererRenders() {
        const QString output = m_root.filePath("board.png");
        QProcess render;
        render.start(bin() + "/lumidot-render", {"Sample", output});
        QVERIFY(render.waitForFinished(60000));
        QCOMPARE(render.exitCode(), 0);
        QVERIFY(QFile(output).size() > 0);
    }
};

QTEST_GUILESS_MAIN(TestInstall)
#include "test_install.moc"
