#include "ui/layout.h"

namespace ui {

namespace {
using K = ControlKind;
constexpr Qt::Alignment Left = CaptionLeft;
constexpr Qt::Alignment Right = CaptionRight;
} // namespace

// The measuring label of the design is not a widget here: the core measures the message itself.
const std::array<ControlPlacement, 28> MainWindowLayout = {{
    {"LBL", 0, K::Label, "文字", -1, 8, 12, 57, 17, 11, Left},
    {"FLD", 0, K::TextBox, "Sample", -1, 64, 8, 289, 18, 0, Left},
    {"LBL", 3, K::Label, "フォント", -1, 8, 36, 57, 17, 36, Left},
    {"DSP", 0, K::FramedLabel, "", -1, 64, 32, 233, 17, 35, Left},
    {"DSP", 1, K::FramedLabel, "", -1, 304, 32, 49, 17, 16, Right},
    {"LST", 0, K::ListBox, "", -1, 64, 56, 233, 76, 37, Left},
    {"LST", 1, K::ListBox, "", -1, 304, 56, 49, 76, 15, Left},
    {"LBL", 1, K::Label, "文字の絵", -1, 8, 144, 57, 17, 12, Left},
    {"DBTN", 0, K::Button, "...", -1, 40, 160, 17, 17, 9, Left},
    {"Area", 0, K::PictureBox, "", -1, 64, 144, 52, 52, 1, Left},
    {"Dot", 0, K::PictureBox, "", 0, 0, 0, 10, 10, 2, Left},
    {"LBL", 2, K::Label, "背景の絵", -1, 128, 144, 57, 17, 13, Left},
    {"DBTN", 1, K::Button, "...", -1, 160, 160, 17, 17, 10, Left},
    {"Area", 1, K::PictureBox, "", -1, 184, 144, 52, 52, 3, Left},
    {"Dot", 1, K::PictureBox, "", 1, 0, 0, 10, 10, 4, Left},
    {"CHK", 0, K::CheckBox, "斜体", -1, 248, 144, 49, 17, 19, Left},
    {"CHK", 1, K::CheckBox, "太字", -1, 248, 168, 49, 17, 20, Left},
    {"SBTN", 0, K::PictureButton, "", -1, 320, 144, 17, 17, 22, Left},
    {"SBTN", 3, K::PictureButton, "", -1, 304, 160, 17, 17, 25, Left},
    {"SBTN", 1, K::PictureButton, "", -1, 336, 160, 17, 17, 23, Left},
    {"SBTN", 2, K::PictureButton, "", -1, 320, 176, 17, 17, 24, Left},
    {"BTN", 0, K::Button, "開始", -1, 8, 200, 49, 25, 7, Left},
    {"BTN", 1, K::Button, "保存", -1, 64, 200, 49, 25, 14, Left},
    {"BTN", 2, K::Button, "ｵﾌﾟｼｮﾝ", -1, 120, 200, 49, 25, 21, Left},
    {"MSG", 0, K::Label, "", -1, 176, 208, 97, 17, 17, Left},
    {"BTN", 3, K::Button, "閉じる", -1, 304, 200, 49, 25, 18, Left},
    {"Board", 0, K::PictureBox, "", -1, 8, 232, 345, 100, 5, Left},
    {"TempPic", 0, K::PictureBox, "", -1, 16, 232, 305, 89, 6, Left},
}};

} // namespace ui
