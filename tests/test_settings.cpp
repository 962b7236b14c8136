#include "app/basCommon.h"

#include "platform/errors.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include <sys/inotify.h>
#include <unistd.h>

using app::Settings;

namespace {

// What a save writes to a new file, each line "section/key=value" with sections in file order.
const QStringList savedKeys = {"Data/Mongon=Sample",
                               "Font/Name=ＭＳ Ｐゴシック",
                               "Font/Size=10",
                               "Font/Italic=0",
                               "Font/Tick=0",
                               "JPEG/Rate=50",
                               "JPEG/Prgrs=0",
                               "PNG/Rate=1",
                               "Animation/Panel=0",
                               "Animation/Delay=50",
                               "Animation/Direction=Left",
                               "Animation/Step=1",
                               "Animation/Gap=-1",
                               "Animation/Enter=Board",
                               "Animation/Hold=0",
                               "Animation/Blink=0",
                               "Panel/Rows=0",
                               "Panel/Lines=1",
                               "Panel/Align=Left",
                               "Panel/Font=",
                               "Panel/Color=",
                               "Panel/Shape=Round",
                               "Panel/DotSize=8",
                               "Panel/Unlit=15",
                               "Panel/Markup=0"};

// A settings file holding every saved key, with the values in changes ("section/key" -> text) instead of defaults.
QByteArray settingsFile(const QHash<QString, QString>& changes = {}) {
    QString text;
    QString section;
    for (const QString& entry : savedKeys) {
        const QString path = entry.section(u'=', 0, 0);
        const QString name = path.section(u'/', 0, 0);
        if (name != section)
            text += u'[' + name + QStringLiteral("]\n");
        section = name;
        text += path.section(u'/', 1) + u'=' + changes.value(path, entry.section(u'=', 1)) + u'\n';
    }
    return text.toUtf8();
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestSettings : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void firstRunUsesAndSavesDefaults();
    void integerFields_data();
    void integerFields();
    void fontSizeKeepsFraction();
    void badNumberRaises_data();
    void badNumberRaises();
    void animationNumbersTakeTheNearestValue_data();
    void animationNumbersTakeTheNearestValue();
    void decimalCommaLocale_data();
    void decimalCommaLocale();
    void message_data();
    void message();
    void handWrittenGifSurvivesSave();
    void lineBreaksAreStoredAsTheBoardShowsThem();
    void settingsPathFor_data();
    void settingsPathFor();

private:
    QString iniPath() const { return m_folder->filePath("Lumidot.Ini"); }

    QTemporaryDir m_configHome;
    std::unique_ptr<QTemporaryDir> m_folder;
};

void TestSettings::initTestCase() {
    QLocale::setDefault(QLocale::c());
    // The fallback settings folder must land in a scratch folder, never in the user's real configuration.
    QVERIFY(m_configHome.isValid());
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_configHome.path()));
}

void TestSettings::init() {
    m_folder = std::make_unique<QTemporaryDir>();
    QVERIFY(m_folder->isValid());
    app::setProgramFolder(m_folder->path());
    Settings = app::SettingsRecord{};
}

void TestSettings::firstRunUsesAndSavesDefaults() {
    app::LoadSettings();
    QCOMPARE(Settings.IniPath, iniPath());
    QVERIFY(!QFile::exists(iniPath())); // loading never writes
    QCOMPARE(Settings.Mongon, "Sample");
    QCOMPARE(Settings.FontName, "ＭＳ Ｐゴシック");
    QCOMPARE(Settings.FontSize, 10.0f);
    QCOMPARE(Settings.Italic, 0);
    QCOMPARE(Settings.Tick, 0);
    QCOMPARE(Settings.JpegRate, 50);
    QCOMPARE(Settings.JpegPrgrs, 0);
    QCOMPARE(Settings.PngRate, 1);
    QCOMPARE(Settings.Gif, 1);

    // The whole record goes in one replacement of the file: a crash can never leave half of it written.
    const int watcher = inotify_init1(IN_NONBLOCK);
    QVERIFY(watcher >= 0 &&
            inotify_add_watch(watcher, QFile::encodeName(m_folder->path()).constData(), IN_MOVED_TO) >= 0);
    app::SaveSettings();
    alignas(inotify_event) char events[4096];
    const ssize_t length = ::read(watcher, events, sizeof events);
    ::close(watcher);
    QCOMPARE(length, ssize_t(sizeof(inotify_event) + reinterpret_cast<inotify_event*>(events)->len)); // one rename
    QCOMPARE(readFile(iniPath()), QByteArray("[Data]\n"
                                             "Mongon=Sample\n"
                                             "[Font]\n"
                                             "Name=ＭＳ Ｐゴシック\n"
                                             "Size=10\n"
                                             "Italic=0\n"
                                             "Tick=0\n"
                                             "[JPEG]\n"
                                             "Rate=50\n"
                                             "Prgrs=0\n"
                                             "[PNG]\n"
                                             "Rate=1\n"
                                             "[Animation]\n"
                                             "Panel=0\n"
                                             "Delay=50\n"
                                             "Direction=Left\n"
                                             "Step=1\n"
                                             "Gap=-1\n"
                                             "Enter=Board\n"
                                             "Hold=0\n"
                                             "Blink=0\n"
                                             "[Panel]\n"
                                             "Rows=0\n"
                                             "Lines=1\n"
                                             "Align=Left\n"
                                             "Font=\n"
                                             "Color=\n"
                                             "Shape=Round\n"
                                             "DotSize=8\n"
                                             "Unlit=15\n"
                                             "Markup=0\n"));
}

void TestSettings::integerFields_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("value");

    // clang-format off
    QTest::newRow("1") << "1" << 1;
    QTest::newRow("7") << "7" << 7;
    QTest::newRow("-1") << "-1" << -1;
    QTest::newRow("blanks") << " 12 " << 12;
    QTest::newRow("2.5 to even") << "2.5" << 2;
    QTest::newRow("3.5 to even") << "3.5" << 4;
    QTest::newRow("0.4") << "0.4" << 0;
    QTest::newRow("largest") << "32767" << 32767;
    // clang-format on
}

void TestSettings::integerFields() {
    QFETCH(QString, text);
    QFETCH(int, value);
    const QStringList keys = {"Font/Italic", "Font/Tick", "JPEG/Rate", "JPEG/Prgrs", "PNG/Rate"};
    QHash<QString, QString> written;
    QHash<QString, QString> expected;
    for (const QString& key : keys) {
        written[key] = text;
        expected[key] = QString::number(value);
    }
    writeFile(iniPath(), settingsFile(written) + "[Options]\nGIF=" + text.toUtf8() + "\n");

    app::LoadSettings();
    for (const int16_t field :
         {Settings.Italic, Settings.Tick, Settings.JpegRate, Settings.JpegPrgrs, Settings.PngRate, Settings.Gif})
        QCOMPARE(field, value);

    // The start-up save writes each number back in its plain form and leaves the hand-edited GIF alone.
    app::SaveSettings();
    QCOMPARE(readFile(iniPath()), settingsFile(expected) + "[Options]\nGIF=" + text.toUtf8() + "\n");
}

void TestSettings::fontSizeKeepsFraction() {
    const QByteArray file = settingsFile({{"Font/Size", "10.5"}});
    writeFile(iniPath(), file);
    app::LoadSettings();
    QCOMPARE(Settings.FontSize, 10.5f);
    app::SaveSettings();
    QCOMPARE(readFile(iniPath()), file);
}

void TestSettings::badNumberRaises_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("where");
    QTest::addColumn<QString>("value");
    QTest::addColumn<int>("number");

    // clang-format off
    QTest::newRow("empty size") << settingsFile({{"Font/Size", ""}}) << "[Font] Size" << "" << 13;
    QTest::newRow("word size") << settingsFile({{"Font/Size", "abc"}}) << "[Font] Size" << "abc" << 13;
    QTest::newRow("huge size") << settingsFile({{"Font/Size", "1e39"}}) << "[Font] Size" << "1e39" << 6;
    QTest::newRow("rate overflow") << settingsFile({{"JPEG/Rate", "40000"}}) << "[JPEG] Rate" << "40000" << 6;
    QTest::newRow("word italic") << settingsFile({{"Font/Italic", "yes"}}) << "[Font] Italic" << "yes" << 13;
    QTest::newRow("word gif") << settingsFile() + "[Options]\nGIF=no\n" << "[Options] GIF" << "no" << 13;
    QTest::newRow("word delay") << settingsFile({{"Animation/Delay", "fast"}}) << "[Animation] Delay" << "fast" << 13;
    QTest::newRow("unknown direction") << settingsFile({{"Animation/Direction", "Sideways"}})
                                       << "[Animation] Direction" << "Sideways" << 13;
    QTest::newRow("unknown colour") << settingsFile({{"Panel/Color", "crimson"}}) << "[Panel] Color" << "crimson" << 13;
    QTest::newRow("colour without #") << settingsFile({{"Panel/Color", "FF0000"}}) << "[Panel] Color" << "FF0000" << 13;
    // clang-format on
}

void TestSettings::badNumberRaises() {
    QFETCH(QByteArray, file);
    QFETCH(QString, where);
    QFETCH(QString, value);
    QFETCH(int, number);
    writeFile(iniPath(), file);

    try {
        app::LoadSettings();
        QFAIL("no error raised");
    } catch (const platform::RuntimeError& error) {
        QCOMPARE(error.number(), number);
        const QString description = error.description();
        QVERIFY2(description.contains(u'"' + iniPath() + u'"'), qPrintable(description));
        QVERIFY2(description.contains(where), qPrintable(description));
        QVERIFY2(description.contains(u'"' + value + u'"'), qPrintable(description));
        QVERIFY2(description.endsWith(platform::errorDescription(number)), qPrintable(description));
    }
    QCOMPARE(readFile(iniPath()), file);
    QCOMPARE(QDir(m_folder->path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

void TestSettings::animationNumbersTakeTheNearestValue_data() {
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("stored");
    // clang-format off
    QTest::newRow("delay too short") << "Animation/Delay" << "5" << "20";
    QTest::newRow("delay beyond 16 bits") << "Animation/Delay" << "1e9" << "5000";
    QTest::newRow("step 0") << "Animation/Step" << "0" << "1";
    QTest::newRow("negative panel") << "Animation/Panel" << "-1" << "0";
    QTest::newRow("panel beyond 16 bits") << "Animation/Panel" << "40000" << "32767";
    QTest::newRow("dot too large") << "Panel/DotSize" << "200" << "64";
    QTest::newRow("unlit dot below dark") << "Panel/Unlit" << "-5" << "0";
    // clang-format on
}

// The window starts with the nearest value it can show, and the start-up save writes that value.
void TestSettings::animationNumbersTakeTheNearestValue() {
    QFETCH(QString, key);
    QFETCH(QString, text);
    QFETCH(QString, stored);
    writeFile(iniPath(), settingsFile({{key, text}}));
    app::LoadSettings();
    app::SaveSettings();
    QCOMPARE(readFile(iniPath()), settingsFile({{key, stored}}));
}

void TestSettings::decimalCommaLocale_data() {
    QTest::addColumn<QLocale>("locale");
    QTest::newRow("German") << QLocale(QLocale::German, QLocale::Germany);
    QTest::newRow("French") << QLocale(QLocale::French, QLocale::France);
}

// The built-in "10.0" reads in every locale; what one locale writes, another reads; a hand-written "10,5" reads.
void TestSettings::decimalCommaLocale() {
    QFETCH(QLocale, locale);
    QLocale::setDefault(locale);
    const auto restore = qScopeGuard([] { QLocale::setDefault(QLocale::c()); });
    app::LoadSettings();
    QCOMPARE(Settings.FontSize, 10.0f);
    app::SaveSettings();
    QCOMPARE(readFile(iniPath()), settingsFile());

    writeFile(iniPath(), settingsFile({{"Font/Size", "10,5"}}));
    app::LoadSettings();
    QCOMPARE(Settings.FontSize, 10.5f);
    app::SaveSettings();
    QCOMPARE(readFile(iniPath()), settingsFile({{"Font/Size", "10.5"}}));
}

void TestSettings::message_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message");

    // clang-format off
    QTest::newRow("300 characters") << QString(300, u'x') << QString(254, u'x');
    QTest::newRow("Japanese") << QString(100, u'字') << QString(84, u'字');
    QTest::newRow("empty, not the default") << "" << "";
    QTest::newRow("NUL ends it") << QStringLiteral("ab") + QChar(0) + QStringLiteral("cd") << "ab";
    // clang-format on
}

void TestSettings::message() {
    QFETCH(QString, text);
    QFETCH(QString, message);
    writeFile(iniPath(), settingsFile({{"Data/Mongon", text}}));
    app::LoadSettings();
    QCOMPARE(Settings.Mongon, message);
}

void TestSettings::handWrittenGifSurvivesSave() {
    QByteArray file = settingsFile();
    file.insert(file.indexOf("[Font]"), "; set by hand\n[Options]\nGIF=0\n\n");
    writeFile(iniPath(), file);

    app::LoadSettings();
    QCOMPARE(Settings.Gif, 0);
    app::SaveSettings();
    QCOMPARE(readFile(iniPath()), file);
    app::LoadSettings();
    QCOMPARE(Settings.Gif, 0);
}

// The board shows a line break as nothing; the message comes back as the board showed it.
void TestSettings::lineBreaksAreStoredAsTheBoardShowsThem() {
    app::LoadSettings();
    Settings.Mongon = QStringLiteral("開店\r\n中\nです");
    Settings.Tick = -1;
    app::SaveSettings();
    app::LoadSettings();
    QCOMPARE(Settings.Mongon, QStringLiteral("開店中です"));
    QCOMPARE(Settings.Tick, -1);
}

void TestSettings::settingsPathFor_data() {
    QTest::addColumn<QString>("folder");      // relative to the test's folder; "*" for the folder itself
    QTest::addColumn<QStringList>("entries"); // made in the test's folder first; a folder when it ends in "/"
    QTest::addColumn<bool>("inFolder");

    const QString bin = QStringLiteral("prefix/bin/");
    // clang-format off
    QTest::newRow("writable folder") << "*" << QStringList() << true;
    QTest::newRow("with separator") << "*/" << QStringList() << true;
    QTest::newRow("missing folder") << "*/missing" << QStringList() << false;
    QTest::newRow("a file") << "*/Lumidot.Ini" << QStringList() << false;
    QTest::newRow("installed, data folder") << "*/prefix/bin" << QStringList{bin, "prefix/share/lumidot/"} << false;
    QTest::newRow("installed, desktop entry")
        << "*/prefix/bin" << QStringList{bin, "prefix/share/applications/io.github.lumidot.Lumidot.desktop"} << false;
    QTest::newRow("bin beside another program's share")
        << "*/prefix/bin" << QStringList{bin, "prefix/share/applications/other.desktop"} << true;
    // clang-format on
}

void TestSettings::settingsPathFor() {
    QFETCH(QString, folder);
    QFETCH(QStringList, entries);
    QFETCH(bool, inFolder);
    writeFile(iniPath(), "");
    for (const QString& entry : entries) {
        const QString path = m_folder->filePath(entry);
        QVERIFY(QDir().mkpath(QFileInfo(path).path()));
        if (!entry.endsWith(u'/'))
            writeFile(path, "");
    }
    folder.replace(u'*', m_folder->path());

    const QString path = app::settingsPathFor(folder);
    if (inFolder) {
        QCOMPARE(path, QDir::cleanPath(folder) + "/Lumidot.Ini");
        return;
    }
    const QString configFolder = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    QVERIFY(configFolder.startsWith(m_configHome.path() + u'/'));
    QCOMPARE(path, configFolder + "/Lumidot.Ini");
    QVERIFY(QFileInfo(configFolder).isDir());
}

QTEST_MAIN(TestSettings)
#include "test_settings.moc"
