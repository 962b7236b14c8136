#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include "tests/testsupport.h"

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
        QVERIFY(QFile::exists(bin() + "/lumidot") && QFile::exists(bin() + "/lumidot-render"));
        QVERIFY(QFile::exists(m_prefix + "/share/applications/lumidot.desktop"));
        for (const char* size : {"16x16", "32x32", "48x48", "256x256"})
            QVERIFY(QFile::exists(m_prefix + "/share/icons/hicolor/" + size + "/apps/lumidot.png"));

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
