#pragma once

#include "board/panel.h"

#include <QString>

#include <cstdint>

// The keys of the settings file: where each is, its default, and the values the windows and the command
// line offer for it. The windows, lumidot-render, the settings reader and the writers' defaults all read
// this one table, so a new key is one entry here.
namespace settingskeys {

// How a key's text becomes a value.
enum class Kind {
    Text,    // taken as it stands
    Whole,   // a whole number (a fraction is rounded half to even)
    Decimal, // a number with a fraction (the font size)
    Name,    // one of a list of names, in any case (the direction, the alignment)
};

// What a whole number outside the key's range does when it is read. The original keys hold any 16-bit
// value, as a hand-edited file may (the windows show it at the nearest end, a writer refuses what its
// byte cannot hold); the keys this program added take the nearest value in their range.
enum class OutOfRange { Kept, Nearest };

struct Key {
    const char* section;
    const char* name;
    const char* defaultText; // UTF-8, read like text from the file
    Kind kind;
    int lowest = INT16_MIN; // the values the windows and the command line offer
    int highest = INT16_MAX;
    OutOfRange outOfRange = OutOfRange::Kept;
    bool written = true; // false: edited by hand only, never written
};

// Every key, in the order the file is read and written.
enum class KeyId {
    Mongon,
    FontName,
    FontSize,
    Italic,
    Tick,
    JpegRate,
    JpegPrgrs,
    PngRate,
    Gif,
    AnimPanel,
    AnimDelay,
    AnimDirection,
    AnimStep,
    AnimGap,
    AnimEnter,
    AnimHold,
    AnimBlink,
    PanelRows,
    PanelLines,
    PanelAlign,
    PanelFont,
    PanelColor,
    PanelShape,
    PanelDotSize,
    PanelUnlit,
    PanelMarkup,
};

// A board has at most 32767 pixels a side, so no more cells than that.
inline constexpr int MaxCells = INT16_MAX;

inline constexpr Key Keys[] = {
    {"Data", "Mongon", "Sample", Kind::Text},
    {"Font", "Name", "ＭＳ Ｐゴシック", Kind::Text},
    {"Font", "Size", "10.0", Kind::Decimal, 1, 2048},
    {"Font", "Italic", "0", Kind::Whole},
    {"Font", "Tick", "0", Kind::Whole},
    {"JPEG", "Rate", "50", Kind::Whole, 1, 100},
    {"JPEG", "Prgrs", "0", Kind::Whole},
    {"PNG", "Rate", "1", Kind::Whole, 0, 2},
    {"Options", "GIF", "1", Kind::Whole, INT16_MIN, INT16_MAX, OutOfRange::Kept, false},
    {"Animation", "Panel", "0", Kind::Whole, 0, MaxCells, OutOfRange::Nearest},
    {"Animation", "Delay", "50", Kind::Whole, 20, 5000, OutOfRange::Nearest},
    {"Animation", "Direction", "Left", Kind::Name},
    {"Animation", "Step", "1", Kind::Whole, 1, MaxCells, OutOfRange::Nearest},
    {"Animation", "Gap", "-1", Kind::Whole, -1, MaxCells, OutOfRange::Nearest},
    {"Animation", "Enter", "Board", Kind::Name},
    {"Animation", "Hold", "0", Kind::Whole, 0, 60000, OutOfRange::Nearest},
    {"Animation", "Blink", "0", Kind::Whole, 0, 20, OutOfRange::Nearest},
    {"Panel", "Rows", "0", Kind::Whole, 0, board::MaxPanelRows, OutOfRange::Nearest},
    {"Panel", "Lines", "1", Kind::Whole, 1, board::MaxPanelLines, OutOfRange::Nearest},
    {"Panel", "Align", "Left", Kind::Name},
    {"Panel", "Font", "", Kind::Text},
    {"Panel", "Color", "", Kind::Text}, // empty: the dot pictures; a preset's name or #RRGGBB: generated dots
    {"Panel", "Shape", "Round", Kind::Name},
    {"Panel", "DotSize", "8", Kind::Whole, 2, 64, OutOfRange::Nearest},
    {"Panel", "Unlit", "15", Kind::Whole, 0, 100, OutOfRange::Nearest},
    {"Panel", "Markup", "0", Kind::Whole}, // nonzero: colour marks in the message
};

constexpr const Key& key(KeyId id) {
    return Keys[int(id)];
}

// The default of a whole-number key, as the program's own values start.
constexpr int defaultWhole(KeyId id) {
    const char* text = key(id).defaultText;
    const bool negative = *text == '-';
    int value = 0;
    for (text += negative ? 1 : 0; *text != '\0'; ++text)
        value = value * 10 + (*text - '0');
    return negative ? -value : value;
}

// The value of a whole-number key's text: error 13 for text that is not a number; beyond the key's range,
// the nearest value in it (OutOfRange::Nearest) or, beyond 16 bits, error 6 (OutOfRange::Kept).
int readWhole(const Key& key, const QString& text);

// "[Section] Name", as messages name a key.
QString keyPath(const Key& key);

} // namespace settingskeys
