#include "app/basCommon.h"

#include "app/basFunc.h"
#include "platform/errors.h"
#include "platform/numbers.h"
#include "platform/profile.h"
#include "platform/text.h"
#include "settingskeys/keys.h"

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

// The field each key of the settings file fills, in the table's order.
struct SettingsBinding {
    settingskeys::KeyId key;
    SettingsField field;
};

const SettingsBinding SettingsBindings[] = {
    {settingskeys::KeyId::Mongon, &SettingsRecord::Mongon},
    {settingskeys::KeyId::FontName, &SettingsRecord::FontName},
    {settingskeys::KeyId::FontSize, &SettingsRecord::FontSize},
    {settingskeys::KeyId::Italic, &SettingsRecord::Italic},
    {settingskeys::KeyId::Tick, &SettingsRecord::Tick},
    {settingskeys::KeyId::JpegRate, &SettingsRecord::JpegRate},
    {settingskeys::KeyId::JpegPrgrs, &SettingsRecord::JpegPrgrs},
    {settingskeys::KeyId::PngRate, &SettingsRecord::PngRate},
    {settingskeys::KeyId::Gif, &SettingsRecord::Gif},
    {settingskeys::KeyId::AnimPanel, &SettingsRecord::AnimPanel},
    {settingskeys::KeyId::AnimDelay, &SettingsRecord::AnimDelay},
    {settingskeys::KeyId::AnimDirection, &SettingsRecord::AnimDirection},
    {settingskeys::KeyId::AnimStep, &SettingsRecord::AnimStep},
};
static_assert(std::size(SettingsBindings) == std::size(settingskeys::Keys), "every key fills a field");

// Reads one key into the record; a failed conversion is raised again with where the bad text was.
void readKey(SettingsRecord& record, const platform::Profile& file, const SettingsBinding& binding) {
    const settingskeys::Key& entry = settingskeys::key(binding.key);
    const QString section = QLatin1String(entry.section);
    const QString key = QLatin1String(entry.name);
    const QString text = ReadIni(section, key, QString::fromUtf8(entry.defaultText), file);
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
                    value = Value(settingskeys::readWhole(entry, text));
                }
            },
            binding.field);
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
    return readSettings(platform::Profile::fromFile(iniPath), iniPath);
}

SettingsRecord readSettings(const platform::Profile& file, const QString& iniPath) {
    SettingsRecord record;
    record.IniPath = iniPath;
    for (const SettingsBinding& binding : SettingsBindings)
        readKey(record, file, binding);
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
    for (const SettingsBinding& binding : SettingsBindings) {
        const settingskeys::Key& entry = settingskeys::key(binding.key);
        if (entry.written)
            entries.append(
                {QLatin1String(entry.section), QLatin1String(entry.name), storedText(Settings, binding.field)});
    }
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
