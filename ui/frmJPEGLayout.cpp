#include "ui/layout.h"

namespace ui {

namespace {
using K = ControlKind;
constexpr Qt::Alignment Left = CaptionLeft;
constexpr Qt::Alignment Right = CaptionRight;
} // namespace

// Two label tops fall between pixels in the design (280 and 640 twips); they stand at the nearest pixel.
const std::array<ControlPlacement, 12> OptionsWindowLayout = {{
    {"BoxLine", 0, K::Frame, "JPEG", -1, 8, 8, 297, 73, 2, Left},
    {"LBL", 0, K::Label, "圧縮率", 0, 8, 19, 105, 17, 4, Right},
    {"DSP", 0, K::FramedLabel, "1", 0, 120, 16, 33, 17, 6, Right},
    {"ASCR", 0, K::Scale, "", 0, 152, 16, 137, 17, 7, Left},
    {"LBL", 1, K::Label, "プログレッシブタイプ", 0, 8, 43, 105, 17, 5, Right},
    {"CHK", 0, K::CheckBox, "保存する", 0, 120, 40, 113, 17, 8, Left},
    {"BoxLine", 1, K::Frame, "PNG", -1, 8, 88, 297, 49, 3, Left},
    {"LBL", 2, K::Label, "圧縮率", 1, 0, 19, 105, 17, 9, Right},
    {"DSP", 1, K::FramedLabel, "1", 1, 120, 16, 33, 17, 10, Right},
    {"ASCR", 1, K::Scale, "", 1, 152, 16, 137, 17, 11, Left},
    {"BTN", 0, K::Button, "保存", -1, 8, 144, 89, 25, 0, Left},
    {"BTN", 1, K::Button, "閉じる", -1, 216, 144, 89, 25, 1, Left},
}};

} // namespace ui
