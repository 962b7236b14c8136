#pragma once

#include <QString>
#include <Qt>

#include <array>
#include <string_view>
#include <utility>
#include <vector>

class QWidget;

namespace ui {

enum class ControlKind {
    Label,
    FramedLabel,
    TextBox,
    ListBox,
    Button,
    PictureButton,
    CheckBox,
    PictureBox,
    Frame,
    Scale,
    Number, // a whole number typed or stepped within a range
    Choice  // one of a few named values
};

// How captions stand in their place: vertically centred, on the left or on the right.
inline constexpr Qt::Alignment CaptionLeft = Qt::AlignLeft | Qt::AlignVCenter;
inline constexpr Qt::Alignment CaptionRight = Qt::AlignRight | Qt::AlignVCenter;

// One control of a window's design: where it stands, what it says and where the Tab key reaches it.
// Places are the outer rectangle in pixels, relative to the window, or for a control inside a frame
// box (Area in the main window, BoxLine in the save options window), relative to that box.
struct ControlPlacement {
    const char* name;
    int index;
    ControlKind kind;
    const char* caption; // UTF-8
    int frame;           // -1: lies in the window; otherwise the index of the frame box that holds it
    int x, y, width, height;
    int tab;
    Qt::Alignment alignment;
};

inline constexpr int MainWindowClientWidth = 363;
inline constexpr int MainWindowClientHeight = 338;
inline constexpr int MainWindowLeft = 4; // the client area's place on the screen
inline constexpr int MainWindowTop = 38;

extern const std::array<ControlPlacement, 28> MainWindowLayout;

inline constexpr int OptionsWindowClientWidth = 312;
inline constexpr int OptionsWindowClientHeight = 175;

extern const std::array<ControlPlacement, 12> OptionsWindowLayout;

inline constexpr int AnimationWindowClientWidth = 312;
inline constexpr int AnimationWindowClientHeight = 273;

extern const std::array<ControlPlacement, 18> AnimationWindowLayout;

inline constexpr int PanelWindowClientWidth = 312;
inline constexpr int PanelWindowClientHeight = 185;

extern const std::array<ControlPlacement, 11> PanelWindowLayout;

// A control's object name, as tests and accessibility tools find it: "BTN(0)", "Board(0)".
QString controlName(const ControlPlacement& placement);

// The place of a control in a layout table; the table must hold it.
template <size_t N>
const ControlPlacement& placementOf(const std::array<ControlPlacement, N>& layout, std::string_view name,
                                    int index = 0) {
    for (const ControlPlacement& placement : layout)
        if (placement.name == name && placement.index == index)
            return placement;
    Q_UNREACHABLE();
}

// Puts a window's controls where its layout table says and orders the Tab key through those that take
// the focus, by their place in the tab column.
class ControlPlacer {
public:
    // Sets the control's place; a label whose caption is wider than that place gets a smaller font, so
    // the whole caption stays readable with this system's fonts.
    void place(QWidget* control, const ControlPlacement& placement);
    // Orders the Tab key once every control is placed.
    void finish();

private:
    std::vector<std::pair<int, QWidget*>> m_tabColumn;
};

} // namespace ui
