#include "app/basCommon.h"

#include "app/basFunc.h"
#include "platform/errors.h"
#include "platform/numbers.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace app {

SettingsRecord Settings;

namespace {

const QString settingsFileName = QStringLiteral("Lumidot.Ini");

QString chosenProgramFolder;

// Reads a number from the settings file; a failed conversion is raised again with where the bad text was.
template <typename Parse>
auto readNumber(const QString& section, const QString& key, const QString& defaultValue, Parse parse) {
    const QString text = ReadIni(section, key, defaultValue, Settings.IniPath);
    try {
        return parse(text);
    } catch (const platform::RuntimeError& error) {
        // One multi-argument arg() call, so a "%1" inside the path or the value is not substituted again.
        throw platform::RuntimeError(
            error.number(), QStringLiteral("設定ファイル \"%1\" の [%2] %3 の値 \"%4\" を読めません: %5")
                                .arg(Settings.IniPath, section, key, text, platform::errorDescription(error.number())));
    }
}

// Whether the executable's folder is the bin folder of an installation, wherever it was installed to: beside
// it lies share/ with this program's data folder or desktop entry. A build tree has neither.
bool isInstalledLayout(const QFileInfo& folder) {
    const QString share = QFileInfo(folder.canonicalFilePath()).path() + QStringLiteral("/share");
    if (QFileInfo(share + QStringLiteral("/lumidot")).isDir())
        return true;
    const QDir entries(share + QStringLiteral("/applications"), QStringLiteral("*lumidot*.desktop"), QDir::NoSort,
                       QDir::Files);
    return !entries.isEmpty();
}

} // namespace

void LoadSettings() {
    LoadSettingsFrom(settingsPathFor(programFolder()));
}

void LoadSettingsFrom(const QString& iniPath) {
    Settings.IniPath = iniPath;
    Settings.Mongon =
        ReadIni(QStringLiteral("Data"), QStringLiteral("Mongon"), QStringLiteral("Sample"), Settings.IniPath);
    Settings.FontName =
        ReadIni(QStringLiteral("Font"), QStringLiteral("Name"), QStringLiteral("ＭＳ Ｐゴシック"), Settings.IniPath);
    Settings.FontSize =
        readNumber(QStringLiteral("Font"), QStringLiteral("Size"), QStringLiteral("10.0"), platform::parseSingle);
    Settings.Italic =
        readNumber(QStringLiteral("Font"), QStringLiteral("Italic"), QStringLiteral("0"), platform::parseInt16);
    Settings.Tick =
        readNumber(QStringLiteral("Font"), QStringLiteral("Tick"), QStringLiteral("0"), platform::parseInt16);
    Settings.JpegRate =
        readNumber(QStringLiteral("JPEG"), QStringLiteral("Rate"), QStringLiteral("50"), platform::parseInt16);
    Settings.JpegPrgrs =
        readNumber(QStringLiteral("JPEG"), QStringLiteral("Prgrs"), QStringLiteral("0"), platform::parseInt16);
    Settings.PngRate =
        readNumber(QStringLiteral("PNG"), QStringLiteral("Rate"), QStringLiteral("1"), platform::parseInt16);
    Settings.Gif =
        readNumber(QStringLiteral("Options"), QStringLiteral("GIF"), QStringLiteral("1"), platform::parseInt16);
}

void SaveSettings() {
    const QString& file = Settings.IniPath;
    WriteIni(QStringLiteral("Data"), QStringLiteral("Mongon"), Settings.Mongon, file);
    WriteIni(QStringLiteral("Font"), QStringLiteral("Name"), Settings.FontName, file);
    WriteIni(QStringLiteral("Font"), QStringLiteral("Size"), platform::formatSingle(Settings.FontSize), file);
    WriteIni(QStringLiteral("Font"), QStringLiteral("Italic"), platform::formatInt(Settings.Italic), file);
    WriteIni(QStringLiteral("Font"), QStringLiteral("Tick"), platform::formatInt(Settings.Tick), file);
    WriteIni(QStringLiteral("JPEG"), QStringLiteral("Rate"), platform::formatInt(Settings.JpegRate), file);
    WriteIni(QStringLiteral("JPEG"), QStringLiteral("Prgrs"), platform::formatInt(Settings.JpegPrgrs), file);
    WriteIni(QStringLiteral("PNG"), QStringLiteral("Rate"), platform::formatInt(Settings.PngRate), file);
}

QString programFolder() {
    return chosenProgramFolder.isEmpty() ? QCoreApplication::applicationDirPath() : chosenProgramFolder;
}

void setProgramFolder(const QString& folder) {
    chosenProgramFolder = folder;
}

QString settingsPathFor(const QString& folder) {
    const QFileInfo info(folder);
    // An installed copy keeps its settings with the user even when run by someone who may write there.
    if (info.isDir() && info.isWritable() && !isInstalledLayout(info))
        return AddBackslash(folder) + settingsFileName;
    const QString configFolder = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    QDir().mkpath(configFolder);
    return AddBackslash(configFolder) + settingsFileName;
}

} // namespace app
