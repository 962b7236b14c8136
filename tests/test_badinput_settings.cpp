#include "app/basCommon.h"
#include "platform/messagebox.h"

#include "tests/testsupport.h"

#include <QDir>
#include <QLocale>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <optional>

using app::Settings;

namespace {

const QByteArray bom = QByteArrayLiteral("\xEF\xBB\xBF");

// Bytes that are neither UTF-8 nor Shift-JIS.
QByteArray garbage(int size) {
    QByteArray bytes(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        bytes[i] = char((i * 131 + 7) % 256);
    return bytes;
}

} // namespace

class TestBadSettings : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_configHome;
    std::unique_ptr<QTemporaryDir> m_folder;
    QStringList m_messages;

    QString iniPath() const { return m_folder->filePath(QStringLiteral("Lumidot.Ini")); }

    // Everything in the program's folder, hidden files included: a failed save leaves no temporary file.
    QStringList folderEntries() const {
        return QDir(m_folder->path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    }

private slots:
    void initTestCase() {
        QLocale::setDefault(QLocale::c());
        QVERIFY(m_configHome.isValid());
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_configHome.path()));
        platform::setMsgBoxHandler([this](const QString& prompt, int, const QString&) {
            m_messages << prompt;
            return int(platform::AnswerOk);
        });
    }

    void init() {
        m_folder = std::make_unique<QTemporaryDir>();
        QVERIFY(m_folder->isValid());
        app::setProgramFolder(m_folder->path());
        Settings = app::SettingsRecord{};
        m_messages.clear();
    }

    // Odd but readable files: the start reads them, and the next save changes the program's own keys
    // and keeps every other line (line endings take the style of the first line).
    void oddFilesAreReadAndKept_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("message");  // Data/Mongon as read
        QTest::addColumn<QByteArray>("saved"); // the file after a save with Mongon "New" and the defaults

        const QByteArray rest = "[Font]\nName=ＭＳ Ｐゴシック\nSize=10\nItalic=0\nTick=0\n[JPEG]\nRate=50\nPrgrs=0\n"
                                "[PNG]\nRate=1\n[Animation]\nPanel=0\nDelay=50\nDirection=Left\nStep=1\nGap=-1\nEnter=Board\nHold=0\nBlink=0\n"
                                "[Panel]\nRows=0\nLines=1\nAlign=Left\nFont=\nColor=\nShape=Round\nDotSize=8\nUnlit=15\nMarkup=0\n";
        const QByteArray megabyte = "; " + QByteArray(1024 * 1024, 'x') + "\n";
        QByteArray crlfRest = rest;
        crlfRest.replace("\n", "\r\n");
        // clang-format off
        QTest::newRow("1 MiB line")
            << "[Data]\n" + megabyte + "Mongon=Hi\n" << "Hi" << "[Data]\n" + megabyte + "Mongon=New\n" + rest;
        QTest::newRow("CRLF and LF mixed")
            << QByteArray("[Data]\r\nMongon=Hi\n; note\r\n") << "Hi" << "[Data]\r\nMongon=New\r\n; note\r\n" + crlfRest;
        QTest::newRow("UTF-8 BOM") << bom + "[Data]\nMongon=Hi\n" << "Hi" << bom + "[Data]\nMongon=New\n" + rest;
        QTest::newRow("duplicated sections and keys")
            << QByteArray("[data]\nMONGON=One\nMongon=Two\n[Data]\nMongon=Three\n") << "One"
            << "[data]\nMongon=New\nMongon=Two\n[Data]\nMongon=Three\n" + rest;
        QTest::newRow("no final newline") << QByteArray("[Data]\nMongon=Hi") << "Hi" << "[Data]\nMongon=New\n" + rest;
        // clang-format on
    }

    void oddFilesAreReadAndKept() {
        QFETCH(QByteArray, file);
        QFETCH(QString, message);
        QFETCH(QByteArray, saved);
        QVERIFY(testsupport::writeAll(iniPath(), file));
        app::LoadSettings();
        QCOMPARE(Settings.Mongon, message);
        QCOMPARE(Settings.FontSize, 10.0f);
        Settings.Mongon = QStringLiteral("New");
        app::SaveSettings();
        QVERIFY(testsupport::readAll(iniPath()) == saved); // QCOMPARE would print a megabyte on failure
        QCOMPARE(folderEntries(), QStringList{"Lumidot.Ini"});
        QCOMPARE(m_messages, QStringList());
    }

    // Files the program cannot rewrite without loss are read as far as they can be and never written:
    // the save fails quietly, as every failed save of the settings does (the whole record's or the dots' keys
    // alone), and the bytes stay as they were.
    void unwritableFilesAreLeftAlone_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("message"); // Data/Mongon as read
        const QByteArray plain = "; mine\n[Data]\nMongon=Hi\n";
        // clang-format off
        QTest::newRow("binary garbage") << "file" << garbage(4096) + "\n[Data]\nMongon=Hi\n" + garbage(512) << "Hi";
        QTest::newRow("read-only file") << "read-only" << plain << "Hi";
        QTest::newRow("unreadable file") << "unreadable" << plain << "Sample";
        QTest::newRow("full device") << "full" << plain << "Hi";
        QTest::newRow("path is a folder") << "folder" << QByteArray() << "Sample";
        // clang-format on
    }

    void unwritableFilesAreLeftAlone() {
        QFETCH(QString, kind);
        QFETCH(QByteArray, file);
        QFETCH(QString, message);
        if (kind == "folder") {
            QVERIFY(QDir(m_folder->path()).mkpath("Lumidot.Ini"));
            QVERIFY(testsupport::writeAll(iniPath() + "/inside", "kept"));
        } else {
            QVERIFY(testsupport::writeAll(iniPath(), file));
        }
        if (kind == "read-only")
            QVERIFY(QFile::setPermissions(iniPath(), QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        if (kind == "unreadable")
            QVERIFY(QFile::setPermissions(iniPath(), {}));
        QString loaded;
        {
            const testsupport::PermissionsEnforced enforced;
            if ((kind == "read-only" && QFile(iniPath()).open(QIODevice::WriteOnly | QIODevice::Append)) ||
                (kind == "unreadable" && QFile(iniPath()).open(QIODevice::ReadOnly)))
                QSKIP("file permissions do not stop this process");
            std::optional<testsupport::FileSizeLimit> fullDevice;
            if (kind == "full")
                fullDevice.emplace(16);
            app::LoadSettings();
            loaded = Settings.Mongon;
            Settings.Mongon = QStringLiteral("New");
            app::SaveSettings();
            Settings.PanelColor = QStringLiteral("red"); // the dot boxes' menu stores its keys alone
            app::SaveDotStyle();
        }
        QCOMPARE(loaded, message);
        if (kind == "read-only" || kind == "unreadable")
            QFile::setPermissions(iniPath(), QFile::ReadOwner | QFile::WriteOwner);
        if (kind == "folder") {
            QVERIFY(QFileInfo(iniPath()).isDir());
            QCOMPARE(testsupport::readAll(iniPath() + "/inside"), QByteArray("kept"));
        } else {
            QVERIFY(testsupport::readAll(iniPath()) == file);
        }
        QCOMPARE(folderEntries(), QStringList{"Lumidot.Ini"});
        QCOMPARE(m_messages, QStringList());
    }

    // A message of 300 Japanese characters is written whole; a start reads back the 84 characters
    // whose UTF-8 fits the 254-byte value buffer, no character cut in two.
    void messageOf300JapaneseCharacters() {
        const QString message = QString(300, u'表');
        QVERIFY(testsupport::writeAll(iniPath(), "; mine\n"));
        app::LoadSettings();
        Settings.Mongon = message;
        app::SaveSettings();
        const QByteArray file = testsupport::readAll(iniPath());
        QVERIFY(file.startsWith("; mine\n[Data]\nMongon=" + message.toUtf8() + "\n"));

        app::LoadSettings();
        QCOMPARE(Settings.Mongon, message.left(84));
        QCOMPARE(testsupport::readAll(iniPath()), file);
    }
};

QTEST_MAIN(TestBadSettings)
#include "test_badinput_settings.moc"
