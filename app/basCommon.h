#pragma once

#include <QString>

#include <cstdint>

namespace app {

// The user's settings, kept in Lumidot.Ini between runs. Comments name each field's section/key in the file.
struct SettingsRecord {
    QString Mongon;        // Data/Mongon: the message on the board
    QString FontName;      // Font/Name
    float FontSize = 0;    // Font/Size
    QString IniPath;       // the settings file in use; not stored in it
    int16_t Italic = 0;    // Font/Italic, nonzero for italic
    int16_t Tick = 0;      // Font/Tick, nonzero for bold
    int16_t JpegPrgrs = 0; // JPEG/Prgrs, nonzero for progressive JPEG
    int16_t JpegRate = 0;  // JPEG/Rate, the JPEG quality
    int16_t Gif = 0;       // Options/GIF, edited by hand only: read, never written
    int16_t PngRate = 0;   // PNG/Rate
};

extern SettingsRecord Settings; // the process-wide record, lives for the whole run

// Fills Settings from the settings file, defaults for what is missing. A value that is not a number, or is out of
// range, raises platform::RuntimeError (13 or 6) naming the file, section, key and value; loading stops there.
void LoadSettings();
// The same from a settings file named by its path (for the batch renderer).
void LoadSettingsFrom(const QString& iniPath);
// Writes Settings back to the settings file; failures are ignored.
void SaveSettings();

// The executable's folder, unless setProgramFolder chose another.
QString programFolder();
void setProgramFolder(const QString& folder);
// Lumidot.Ini in folder when the folder is writable and not the bin folder of an installation (beside share/lumidot
// or the installed desktop entry), else in the per-user configuration folder (created if needed), so that an
// installed copy keeps its settings with the user wherever it was installed to.
QString settingsPathFor(const QString& folder);

} // namespace app
