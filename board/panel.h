#pragma once

#include <QString>

#include <optional>

namespace board {

enum class PanelAlign { Left, Center, Right };

inline constexpr int MaxPanelRows = 256;
inline constexpr int MaxPanelLines = 8;

// The LED panel a board is fitted to. With rows 0 the board is as high as the font's line, as a plain
// render makes it, and the other values are not used.
struct Panel {
    int rows = 0;  // 0, or 1 to MaxPanelRows cells: the board is exactly that high
    int lines = 1; // 1 to MaxPanelLines equal bands, top to bottom (the last takes the rows left over)
    PanelAlign align = PanelAlign::Left; // where a shorter line sits in the board's width
    QString font;                        // empty: the main window's face with its italic and bold; else a face's name
};

// The alignments by name: as the settings file stores them ("Left"), and as a user may type them, in any case.
QString alignName(PanelAlign align);
std::optional<PanelAlign> alignNamed(const QString& name);

} // namespace board
