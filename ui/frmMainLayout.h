#pragma once

#include <Qt>

#include <array>

namespace ui {

enum class ControlKind { Label, FramedLabel, TextBox, ListBox, Button, PictureButton, CheckBox, PictureBox };

// One control of a window's design: where it stands, what it says and where the Tab key reaches it.
// Places are the outer rectangle in pixels, relative to the window, or for a control inside a frame
// box, relative to that box.
struct ControlPlacement {
    const char* name;
    int index;
    ControlKind kind;
    const char* caption; // UTF-8
    bool insideArea;     // lies in Area(index) instead of the window
    int x, y, width, height;
    int tab;
    Qt::Alignment alignment;
};

inline constexpr int MainWindowClientWidth = 363;
inline constexpr int MainWindowClientHeight = 338;
inline constexpr int MainWindowLeft = 4; // the client area's place on the screen
inline constexpr int MainWindowTop = 38;

extern const std::array<ControlPlacement, 28> MainWindowLayout;

} // namespace ui
