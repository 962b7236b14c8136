#pragma once

#include "board/DrawBoard.h"
#include "board/panel.h"
#include "dotfont/face.h"
#include "dotfont/facelibrary.h"

#include <QFont>
#include <QString>

#include <functional>
#include <optional>

namespace board {

// What a fitted render tells its caller to report.
struct PanelReport {
    int droppedLines = 0;      // lines of the message beyond the last band, not drawn
    QString missingCharacters; // characters no face could draw, each once, in message order
    QString standInCharacters; // characters a stand-in face of the same height drew
    int linesCut = 0;          // lines whose face has no size small enough for their band: cut at its edges
};

// The face the panel draws with: the one it names (a dot face, or an installed outline family), or the
// main window's face with its italic and bold when it names none. Nothing when the name is unknown.
std::optional<dotfont::Face> panelFace(const Panel& panel, const QFont& windowFont,
                                       const dotfont::FaceLibrary& library);

// Prints message on the mask, fitted to the panel: the mask becomes exactly panel.rows high and as wide
// as the widest line, each band holding its line at the face's largest size whose line fits the band
// (for a dot face, its largest design height that fits), centred in the band's height and placed in the
// width by the alignment. A line break (CR, LF or CR LF) starts the next band; with one band it draws
// nothing. Raises error 6 for rows or lines beyond their ranges and error 7 for a mask beyond the
// surface limit, each before anything changes. Returns the columns, and what the caller must report.
// printColourMap draws the lines once more, the mask's size, each character in its colour number (see
// CellColouring).
struct PanelMask {
    int32_t columns = 0;
    PanelReport report;
    std::function<ColourMap()> printColourMap;
};
PanelMask printPanelMask(BoardState& state, const MarkedText& message, const Panel& panel, const dotfont::Face& face);

// A render fitted to the panel: its mask, then the cells exactly as DrawBoard draws them. With rows 0
// it is DrawBoard itself.
PanelReport DrawPanelBoard(BoardState& state, const QString& message, const Panel& panel, const dotfont::Face& face,
                           const std::function<void()>& refresh = {});
// The same for a message whose characters have colours, as DrawBoard draws one.
PanelReport DrawPanelBoard(BoardState& state, const MarkedText& message, const Panel& panel, const dotfont::Face& face,
                           const LitDotIn& litDotIn, const std::function<void()>& refresh = {});

} // namespace board
