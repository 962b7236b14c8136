#include "ui/layout.h"

namespace ui {

namespace {
using K = ControlKind;
constexpr Qt::Alignment Left = CaptionLeft;
constexpr Qt::Alignment Right = CaptionRight;
} // namespace

// The panel settings window, drawn as the animation settings window is: captions on the left, values on the
// right, 保存 and 閉じる along the bottom. The face list is wider: dot faces carry their pixel heights. The
// check box under it lets the message carry colour marks.
const std::array<ControlPlacement, 11> PanelWindowLayout = {{
    {"LBL", 0, K::Label, "パネルの高さ (ドット, 0 = 文字に合わせる)", -1, 8, 11, 209, 17, 4, Right},
    {"NUM", 0, K::Number, "", -1, 224, 8, 81, 22, 5, Left},
    {"LBL", 1, K::Label, "行数", -1, 8, 39, 209, 17, 6, Right},
    {"NUM", 1, K::Number, "", -1, 224, 36, 81, 22, 7, Left},
    {"LBL", 2, K::Label, "行の揃え", -1, 8, 67, 209, 17, 8, Right},
    {"ALN", 0, K::Choice, "", -1, 224, 64, 81, 22, 9, Left},
    {"LBL", 3, K::Label, "書体", -1, 8, 95, 49, 17, 10, Right},
    {"FNT", 0, K::Choice, "", -1, 64, 92, 241, 22, 11, Left},
    {"MKP", 0, K::CheckBox, "色の指定 {red} を使う", -1, 64, 122, 241, 17, 12, Left},
    {"BTN", 0, K::Button, "保存", -1, 8, 152, 89, 25, 0, Left},
    {"BTN", 1, K::Button, "閉じる", -1, 216, 152, 89, 25, 1, Left},
}};

} // namespace ui
