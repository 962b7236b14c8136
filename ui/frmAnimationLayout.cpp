#include "ui/layout.h"

namespace ui {

namespace {
using K = ControlKind;
constexpr Qt::Alignment Left = CaptionLeft;
constexpr Qt::Alignment Right = CaptionRight;
} // namespace

// The animation settings window, drawn in the manner of the save options window: captions on the left,
// values on the right, 保存 and 閉じる along the bottom.
const std::array<ControlPlacement, 18> AnimationWindowLayout = {{
    {"LBL", 0, K::Label, "パネルの幅 (セル, 0 = 全体)", -1, 8, 11, 177, 17, 4, Right},
    {"NUM", 0, K::Number, "", -1, 192, 8, 113, 22, 5, Left},
    {"LBL", 1, K::Label, "1 フレームの時間 (ms)", -1, 8, 39, 177, 17, 6, Right},
    {"NUM", 1, K::Number, "", -1, 192, 36, 113, 22, 7, Left},
    {"LBL", 2, K::Label, "流れる向き", -1, 8, 67, 177, 17, 8, Right},
    {"DIR", 0, K::Choice, "", -1, 192, 64, 113, 22, 9, Left},
    {"LBL", 3, K::Label, "1 フレームで進むセル数", -1, 8, 95, 177, 17, 10, Right},
    {"NUM", 2, K::Number, "", -1, 192, 92, 113, 22, 11, Left},
    {"LBL", 4, K::Label, "文字の後の空き (セル)", -1, 8, 123, 177, 17, 12, Right},
    {"NUM", 3, K::Number, "", -1, 192, 120, 113, 22, 13, Left},
    {"LBL", 5, K::Label, "始まり", -1, 8, 151, 177, 17, 14, Right},
    {"ENT", 0, K::Choice, "", -1, 192, 148, 113, 22, 15, Left},
    {"LBL", 6, K::Label, "止める時間 (ms, 0 = 止めない)", -1, 8, 179, 177, 17, 16, Right},
    {"NUM", 4, K::Number, "", -1, 192, 176, 113, 22, 17, Left},
    {"LBL", 7, K::Label, "止めたときの点滅の回数", -1, 8, 207, 177, 17, 18, Right},
    {"NUM", 5, K::Number, "", -1, 192, 204, 113, 22, 19, Left},
    {"BTN", 0, K::Button, "保存", -1, 8, 240, 89, 25, 0, Left},
    {"BTN", 1, K::Button, "閉じる", -1, 216, 240, 89, 25, 1, Left},
}};

} // namespace ui
