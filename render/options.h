#pragma once

#include "board/panel.h"
#include "dots/dotstyle.h"
#include "platform/filetypes.h"
#include "scroll/animationsettings.h"
#include "scroll/cheaderencoder.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

class QCommandLineParser;

// lumidot-render's command line: the options it offers, and a run's request read from them.
namespace render {

constexpr int ExitFailed = 1; // the render or a write failed
constexpr int ExitUsage = 2;  // the command line itself is wrong, whatever the files and fonts

// A command line that cannot be carried out: exit status 2, with the usage hint.
struct UsageError {
    QString text;
};

// What one run writes.
enum class Writes {
    Board,      // the board in OUTPUT
    Frames,     // numbered files, one rotation apart
    Animation,  // the whole animation in OUTPUT
    FirstFrame, // the animation's first frame only (.pbm, .h)
};

// The command line, checked: every value in range, every option in a combination that makes sense.
// Nothing here looks at a file or a font; that comes with the render.
struct Request {
    std::optional<QString> message;
    std::optional<QString> messageFile; // "-" for standard input
    QString output;                     // "-" for standard output
    const platform::OutputFileType* type = nullptr;
    Writes writes = Writes::Board;
    std::optional<int> frames;           // the number of frame files, 0 for one cycle
    std::optional<QString> settingsFile; // "-" for standard input
    std::optional<QString> font;
    std::optional<QString> fontFile; // a BDF, PCF, TTF or OTF file to draw with
    std::optional<float> size;
    bool italic = false;
    bool bold = false;
    std::optional<QString> lit;
    std::optional<QString> unlit;
    std::optional<int16_t> quality;
    bool progressive = false;
    std::optional<int16_t> pngSetting;
    std::optional<int> panel;
    std::optional<int> delay;
    std::optional<int> step;
    std::optional<int> loop;
    std::optional<scroll::Direction> direction;
    std::optional<int> gap;
    std::optional<scroll::Entrance> entrance;
    std::optional<int> hold;
    std::optional<int> blinks;
    scroll::CHeaderOptions header; // how a .h output stores the sign
    std::optional<int> rows;
    std::optional<int> lines;
    std::optional<board::PanelAlign> align;
    bool markup = false; // colour marks in the message
    // Dots made from a colour in place of both dot pictures, and how they look.
    std::optional<QRgb> color;
    std::optional<dots::DotShape> shape;
    std::optional<int> dotSize;    // pixels a side
    std::optional<int> unlitLevel; // per cent
};

// What a command line asks for.
struct Command {
    enum class Kind { Render, Help, Version, ListFonts, ListDotFonts };
    Kind kind = Kind::Render;
    Request request; // for Kind::Render
};

// Gives parser every option of the program, with its help and the program's own defaults.
void addOptions(QCommandLineParser& parser);

// Reads a command line (the program's name first) with a parser that addOptions set up. A command line
// that cannot be carried out throws UsageError.
Command parseCommandLine(QCommandLineParser& parser, const QStringList& arguments);

} // namespace render
