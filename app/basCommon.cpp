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
#include <QRegularExpression>
#include <QStandardPaths>

#include <functional>
#include <variant>

namespace app {

SettingsRecord Settings;

namespace {

const QString settingsFileName = QStringLiteral("Lumidot.Ini");
const QChar StoredLineBreak(0x2028);

QString chosenProgramFolder;

using SettingsField =
    std::variant<QString SettingsRecord::*, float SettingsRecord::*, int16_t SettingsRecord::*, int SettingsRecord::*,
                 scroll::Direction SettingsRecord::*, scroll::Entrance SettingsRecord::*,
                 board::PanelAlign SettingsRecord::*, dots::DotShape SettingsRecord::*>;

// The names a named key's values take in the file, from the module that owns them.
template <typename Value> struct Names;
template <> struct Names<scroll::Direction> {
    static QString of(scroll::Direction value) { return scroll::directionName(value); }
    static std::optional<scroll::Direction> named(const QString& text) { return scroll::directionNamed(text); }
};
template <> struct Names<scroll::Entrance> {
    static QString of(scroll::Entrance value) { return scroll::entranceName(value); }
    static std::optional<scroll::Entrance> named(const QString& text) { return scroll::entranceNamed(text); }
};
template <> struct Names<dots::DotShape> {
    static QString of(dots::DotShape value) { return dots::shapeName(value); }
    static std::optional<dots::DotShape> named(const QString& text) { return dots::shapeNamed(text); }
};
template <> struct Names<board::PanelAlign> {
    static QString of(board::PanelAlign value) { return board::alignName(value); }
    static std::optional<board::PanelAlign> named(const QString& text) { return board::alignNamed(text); }
};

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
    {settingskeys::KeyId::AnimGap, &SettingsRecord::AnimGap},
    {settingskeys::KeyId::AnimEnter, &SettingsRecord::AnimEnter},
    {settingskeys::KeyId::AnimHold, &SettingsRecord::AnimHold},
    {settingskeys::KeyId::AnimBlink, &SettingsRecord::AnimBlink},
    {settingskeys::KeyId::PanelRows, &SettingsRecord::PanelRows},
    {settingskeys::KeyId::PanelLines, &SettingsRecord::PanelLines},
    {settingskeys::KeyId::PanelAlign, &SettingsRecord::PanelAlign},
    {settingskeys::KeyId::PanelFont, &SettingsRecord::PanelFont},
    {settingskeys::KeyId::PanelColor, &SettingsRecord::PanelColor},
    {settingskeys::KeyId::PanelShape, &SettingsRecord::PanelShape},
    {settingskeys::KeyId::PanelDotSize, &SettingsRecord::PanelDotSize},
    {settingskeys::KeyId::PanelUnlit, &SettingsRecord::PanelUnlit},
    {settingskeys::KeyId::PanelMarkup, &SettingsRecord::PanelMarkup},
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
                    value = member == &SettingsRecord::Mongon ? QString(text).replace(StoredLineBreak, u'\n') : text;
                    // A colour that names none stops the start, as a number that is not one does.
                    if (member == &SettingsRecord::PanelColor && !text.trimmed().isEmpty() && !dots::colorNamed(text))
                        platform::raiseError(platform::ErrTypeMismatch);
                } else if constexpr (std::is_same_v<Value, float>) {
                    value = platform::parseSingle(text);
                } else if constexpr (std::is_enum_v<Value>) {
                    const std::optional<Value> named = Names<Value>::named(text.trimmed());
                    if (!named)
                        platform::raiseError(platform::ErrTypeMismatch);
                    value = *named;
                } else {
                    value = Value(settingskeys::readWhole(entry, text));
                }
            },
            binding.field);
    } catch (const platform::RuntimeError& error) {
        throw SettingsError(error.number(), record.IniPath, section, key, text);
    }
}

// A line has no room for line breaks: one band draws them as nothing, and so they are not stored; a panel of
// several lines keeps each as LINE SEPARATOR (U+2028), which reads back as a line break.
QString storedMessage(const SettingsRecord& record) {
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
    return QString(record.Mongon).replace(lineBreak, record.PanelLines > 1 ? StoredLineBreak : QString());
}

// The text form a field is stored in.
QString storedText(const SettingsRecord& record, const SettingsField& field) {
    return std::visit(
        [&](auto member) {
            const auto& value = record.*member;
            using Value = std::decay_t<decltype(value)>;
            if constexpr (std::is_same_v<Value, QString>)
                return member == &SettingsRecord::Mongon ? storedMessage(record) : value;
            else if constexpr (std::is_same_v<Value, float>)
                return platform::formatSingle(value);
            else if constexpr (std::is_enum_v<Value>)
                return Names<Value>::of(value);
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

// Writes the keys of Settings that chosen picks out, in one replacement of the file; failures are ignored.
void saveKeys(const std::function<bool(settingskeys::KeyId)>& chosen) {
    QList<platform::ProfileEntry> entries;
    for (const SettingsBinding& binding : SettingsBindings) {
        const settingskeys::Key& entry = settingskeys::key(binding.key);
        if (entry.written && chosen(binding.key))
            entries.append(
                {QLatin1String(entry.section), QLatin1String(entry.name), storedText(Settings, binding.field)});
    }
    platform::WritePrivateProfileStrings(entries, Settings.IniPath);
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

board::Panel panelOf(const SettingsRecord& record) {
    return {record.PanelRows, record.PanelLines, record.PanelAlign, record.PanelFont};
}

std::optional<dots::DotStyle> dotStyleOf(const SettingsRecord& record) {
    const std::optional<QRgb> color = dots::colorNamed(record.PanelColor);
    if (!color)
        return std::nullopt;
    return dots::DotStyle{*color, record.PanelDotSize, record.PanelShape, record.PanelUnlit};
}

scroll::AnimationSettings animationSettingsOf(const SettingsRecord& record) {
    scroll::AnimationSettings settings;
    settings.panelColumns = record.AnimPanel;
    settings.delayMs = record.AnimDelay;
    settings.direction = record.AnimDirection;
    settings.step = record.AnimStep;
    settings.gap = record.AnimGap;
    settings.entrance = record.AnimEnter;
    settings.holdMs = record.AnimHold;
    settings.blinks = record.AnimBlink;
    return settings;
}

void LoadSettings() {
    Settings = readSettings(settingsPathFor(programFolder()));
}

void SaveSettings() {
    saveKeys([](settingskeys::KeyId) { return true; });
}

void SaveDotStyle() {
    using settingskeys::KeyId;
    saveKeys([](KeyId key) {
        return key == KeyId::PanelColor || key == KeyId::PanelShape || key == KeyId::PanelDotSize ||
               key == KeyId::PanelUnlit;
    });
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
