#include "app/basCommon.h"

#include "app/basFunc.h"
#include "platform/errors.h"
#include "platform/numbers.h"
#include "platform/profile.h"
#include "platform/text.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <variant>

namespace app {

SettingsRecord Settings;

namespace {

const QString settingsFileName = QStringLiteral("Lumidot.Ini");

QString chosenProgramFolder;

using SettingsField = std::variant<QString SettingsRecord::*, float SettingsRecord::*, int16_t SettingsRecord::*,
                                   scroll::Direction SettingsRecord::*>;

// Every key of the settings file, in the order it is read and written.
struct SettingsKey {
    const char* section;
    const char* key;
    const char* defaultValue; // UTF-8
    SettingsField field;
    bool written;               // false: edited by hand only
    int16_t lowest = INT16_MIN; // the range of a number; beyond it the value cannot be read
    int16_t highest = INT16_MAX;
};

const SettingsKey SettingsKeys[] = {
    {"Data", "Mongon", "Sample", &SettingsRecord::Mongon, true},
    {"Font", "Name", "ＭＳ Ｐゴシック", &SettingsRecord::FontName, true},
    {"Font", "Size", "10.0", &SettingsRecord::FontSize, true},
    {"Font", "Italic", "0", &SettingsRecord::Italic, true},
    {"Font", "Tick", "0", &SettingsRecord::Tick, true},
    {"JPEG", "Rate", "50", &SettingsRecord::JpegRate, true},
    {"JPEG", "Prgrs", "0", &SettingsRecord::JpegPrgrs, true},
    {"PNG", "Rate", "1", &SettingsRecord::PngRate, true},
    {"Options", "GIF", "1", &SettingsRecord::Gif, false},
    {"Animation", "Panel", "0", &SettingsRecord::AnimPanel, true, 0},
    {"Animation", "Delay", "50", &SettingsRecord::AnimDelay, true, scroll::MinDelayMs, scroll::MaxDelayMs},
    {"Animation", "Direction", "Left", &SettingsRecord::AnimDirection, true},
    {"Animation", "Step", "1", &SettingsRecord::AnimStep, true, 1},
};

// Reads one key into the record; a failed conversion is raised again with where the bad text was.
void readKey(SettingsRecord& record, const SettingsKey& entry) {
    const QString section = QLatin1String(entry.section);
    const QString key = QLatin1String(entry.key);
    const QString text = ReadIni(section, key, QString::fromUtf8(entry.defaultValue), record.IniPath);
    try {
        std::visit(
            [&](auto member) {
                auto& value = record.*member;
                using Value = std::decay_t<decltype(value)>;
                if constexpr (std::is_same_v<Value, QString>) {
                    value = text;
                } else if constexpr (std::is_same_v<Value, float>) {
                    value = platform::parseSingle(text);
                } else if constexpr (std::is_same_v<Value, scroll::Direction>) {
                    const auto direction = scroll::directionNamed(text.trimmed());
                    if (!direction)
                        platform::raiseError(platform::ErrTypeMismatch);
                    value = *direction;
                } else {
                    value = platform::parseInt16(text);
                    if (value < entry.lowest || value > entry.highest)
                        platform::raiseError(platform::ErrOverflow);
                }
            },
            entry.field);
    } catch (const platform::RuntimeError& error) {
        throw SettingsError(error.number(), record.IniPath, section, key, text);
    }
}

// The text form a field is stored in.
QString storedText(const SettingsRecord& record, const SettingsField& field) {
    return std::visit(
        [&](auto member) {
            const auto& value = record.*member;
            using Value = std::decay_t<decltype(value)>;
            if constexpr (std::is_same_v<Value, QString>)
                return QString(value).remove(u'\r').remove(u'\n'); // as the board shows them: not at all
            else if constexpr (std::is_same_v<Value, float>)
                return platform::formatSingle(value);
            else if constexpr (std::is_same_v<Value, scroll::Direction>)
                return scroll::directionName(value);
            else
                return platform::formatInt(value);
        },
        field);
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

SettingsError::SettingsError(int number, const QString& file, const QString& section, const QString& key,
                             const QString& value)
    // One multi-argument arg() call, so a "%1" inside the path or the value is not substituted again.
    : platform::RuntimeError(number, QStringLiteral("設定ファイル \"%1\" の [%2] %3 の値 \"%4\" を読めません: %5")
                                         .arg(file, section, key, value, platform::errorDescription(number))),
      m_file(file), m_section(section), m_key(key), m_value(value) {}

SettingsRecord readSettings(const QString& iniPath) {
    SettingsRecord record;
    record.IniPath = iniPath;
    for (const SettingsKey& entry : SettingsKeys)
        readKey(record, entry);
    return record;
}

output::SaveOptions saveOptionsOf(const SettingsRecord& record) {
    return {record.JpegRate, record.JpegPrgrs != 0, record.PngRate};
}

scroll::AnimationSettings animationSettingsOf(const SettingsRecord& record) {
    scroll::AnimationSettings settings;
    settings.panelColumns = record.AnimPanel;
    settings.delayMs = record.AnimDelay;
    settings.direction = record.AnimDirection;
    settings.step = record.AnimStep;
    return settings;
}

void LoadSettings() {
    Settings = readSettings(settingsPathFor(programFolder()));
}

void SaveSettings() {
    QList<platform::ProfileEntry> entries;
    for (const SettingsKey& entry : SettingsKeys)
        if (entry.written)
            entries.append({QLatin1String(entry.section), QLatin1String(entry.key), storedText(Settings, entry.field)});
    platform::WritePrivateProfileStrings(entries, Settings.IniPath);
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
        return platform::AddBackslash(folder) + settingsFileName;
    const QString configFolder = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    QDir().mkpath(configFolder);
    return platform::AddBackslash(configFolder) + settingsFileName;
}

} // namespace app
