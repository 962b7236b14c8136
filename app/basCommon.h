#pragma once

#include "board/panel.h"
#include "dots/dotstyle.h"
#include "output/writeboard.h"
#include "platform/errors.h"
#include "platform/profile.h"
#include "scroll/animationsettings.h"

#include <QString>

#include <cstdint>

namespace app {

// The user's settings, kept in Lumidot.Ini between runs. The table of settingskeys/keys.h names each
// field's section, key, default and range.
struct SettingsRecord {
    QString Mongon; // the message on the board
    QString FontName;
    float FontSize = 0;    // points
    QString IniPath;       // the settings file in use; not stored in it
    int16_t Italic = 0;    // nonzero for italic
    int16_t Tick = 0;      // nonzero for bold
    int16_t JpegPrgrs = 0; // nonzero for progressive JPEG
    int16_t JpegRate = 0;  // the JPEG quality
    int16_t Gif = 0;       // edited by hand only: read, never written
    int16_t PngRate = 0;   // the PNG setting: 1 fastest, 0 default, 2 smallest
    // The scrolling sign: panel width in cells (0 = the whole board), frame delay in ms, direction, cells a step.
    int AnimPanel = 0;
    int AnimDelay = 0;
    scroll::Direction AnimDirection = scroll::Direction::Left;
    int AnimStep = 0;
    // How the message moves: the gap after it (-1 automatic), entering a blank panel, the hold in ms, blinks.
    int AnimGap = 0;
    scroll::Entrance AnimEnter = scroll::Entrance::Board;
    int AnimHold = 0;
    int AnimBlink = 0;
    // The LED panel: rows (0 = as high as the font's line), bands of lines, their alignment, its own face.
    int PanelRows = 0;
    int PanelLines = 0;
    board::PanelAlign PanelAlign = board::PanelAlign::Left;
    QString PanelFont;
    // Dots made from a colour (empty: the dot pictures), their shape, size in pixels and unlit brightness in
    // per cent; colour marks in the message (nonzero).
    QString PanelColor;
    dots::DotShape PanelShape = dots::DotShape::Round;
    int PanelDotSize = 0;
    int PanelUnlit = 0;
    int16_t PanelMarkup = 0;
};

// A settings value that cannot be read: the run-time error it raised (13 or 6) with where the value is, so
// that lumidot-render can say it in English; its description is the window's Japanese text.
class SettingsError : public platform::RuntimeError {
public:
    SettingsError(int number, const QString& file, const QString& section, const QString& key, const QString& value);

    const QString& file() const { return m_file; }
    const QString& section() const { return m_section; }
    const QString& key() const { return m_key; }
    const QString& value() const { return m_value; }

private:
    QString m_file;
    QString m_section;
    QString m_key;
    QString m_value;
};

// The process-wide record of the running program. Only start-up and the windows' handlers use it; they
// hand its values down to the core.
extern SettingsRecord Settings;

// The settings in a settings file, defaults for what is missing. A value that is not a number, or is beyond
// 16 bits, raises SettingsError (13 or 6) naming the file, section, key and value; an [Animation] number
// beyond its range takes the nearest value in it.
SettingsRecord readSettings(const QString& iniPath);
// The same from a file already read; iniPath names it in errors and in the record.
SettingsRecord readSettings(const platform::Profile& file, const QString& iniPath);

// The save options a record holds, as the writers take them.
output::SaveOptions saveOptionsOf(const SettingsRecord& record);
// The panel a record holds.
board::Panel panelOf(const SettingsRecord& record);
// The generated dots a record asks for, or nothing for the dot pictures.
std::optional<dots::DotStyle> dotStyleOf(const SettingsRecord& record);
// The animation a record holds (it plays forever).
scroll::AnimationSettings animationSettingsOf(const SettingsRecord& record);

// Fills Settings from the program's settings file (see settingsPathFor); on an error Settings is unchanged.
void LoadSettings();
// Writes Settings back to its file in one replacement of the file; failures are ignored.
void SaveSettings();
// Writes only the dots' keys of Settings ([Panel] Color, Shape, DotSize, Unlit), the same way: the window's other
// settings keep what the file holds until their own save.
void SaveDotStyle();

// The executable's folder, unless setProgramFolder chose another.
QString programFolder();
void setProgramFolder(const QString& folder);
// Lumidot.Ini in folder when the folder is writable and not the bin folder of an installation (beside share/lumidot
// or the installed desktop entry), else in the per-user configuration folder (created if needed), so that an
// installed copy keeps its settings with the user wherever it was installed to.
QString settingsPathFor(const QString& folder);

} // namespace app
