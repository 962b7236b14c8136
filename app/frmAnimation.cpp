#include "app/frmAnimation.h"

#include "app/basCommon.h"
#include "platform/eventboundary.h"
#include "platform/failuretexts.h"
#include "platform/messagebox.h"
#include "scroll/animationsettings.h"
#include "settingskeys/keys.h"
#include "ui/layout.h"
#include "ui/pictures.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>

namespace app {

using platform::runTrapped;
using namespace ui;

namespace {

// The choices of the direction box, in the order it lists them.
struct DirectionChoice {
    scroll::Direction direction;
    const char* caption; // UTF-8
};
constexpr DirectionChoice DirectionChoices[] = {{scroll::Direction::Left, "左へ"},
                                                {scroll::Direction::Right, "右へ"},
                                                {scroll::Direction::Up, "上へ"},
                                                {scroll::Direction::Down, "下へ"}};

struct EntranceChoice {
    scroll::Entrance entrance;
    const char* caption; // UTF-8
};
constexpr EntranceChoice EntranceChoices[] = {{scroll::Entrance::Board, "盤面から"},
                                              {scroll::Entrance::Blank, "空白のパネルから"}};

// The key and the field of each number box, in the boxes' order: the panel width, the delay, the step, the
// gap, the hold, the blinks. A box takes the values its key offers.
struct NumberBox {
    settingskeys::KeyId key;
    int SettingsRecord::*field;
};
constexpr NumberBox NumberBoxes[] = {{settingskeys::KeyId::AnimPanel, &SettingsRecord::AnimPanel},
                                     {settingskeys::KeyId::AnimDelay, &SettingsRecord::AnimDelay},
                                     {settingskeys::KeyId::AnimStep, &SettingsRecord::AnimStep},
                                     {settingskeys::KeyId::AnimGap, &SettingsRecord::AnimGap},
                                     {settingskeys::KeyId::AnimHold, &SettingsRecord::AnimHold},
                                     {settingskeys::KeyId::AnimBlink, &SettingsRecord::AnimBlink}};

static_assert(std::size(NumberBoxes) == std::tuple_size_v<decltype(frmAnimation::NUM)>, "one entry a box");

} // namespace

frmAnimation::frmAnimation(const scroll::Sign* sign, QWidget* parent) : QDialog(parent), m_sign(sign) {
    setWindowTitle(QStringLiteral("アニメーションの設定"));
    setWindowIcon(ui::windowIcon());
    setFixedSize(AnimationWindowClientWidth, AnimationWindowClientHeight);
    createControls();
    for (int16_t i = 0; i < int16_t(BTN.size()); ++i)
        connect(BTN[i], &QPushButton::clicked, this, [this, i] { runTrapped([&] { BTN_Click(i); }); });
}

void frmAnimation::createControls() {
    ControlPlacer placer;
    for (const ControlPlacement& place : AnimationWindowLayout) {
        const QString caption = QString::fromUtf8(place.caption);
        const int i = place.index;
        QWidget* control = nullptr;
        switch (place.kind) {
        case ControlKind::Label:
            control = LBL[i] = new QLabel(caption, this);
            LBL[i]->setAlignment(place.alignment);
            break;
        case ControlKind::Number:
            control = NUM[i] = new QSpinBox(this);
            NUM[i]->setRange(settingskeys::key(NumberBoxes[i].key).lowest,
                             settingskeys::key(NumberBoxes[i].key).highest);
            break;
        case ControlKind::Choice:
            if (std::string_view(place.name) == "DIR") {
                control = DIR = new QComboBox(this);
                for (const DirectionChoice& choice : DirectionChoices)
                    DIR->addItem(QString::fromUtf8(choice.caption), int(choice.direction));
            } else {
                control = ENT = new QComboBox(this);
                for (const EntranceChoice& choice : EntranceChoices)
                    ENT->addItem(QString::fromUtf8(choice.caption), int(choice.entrance));
            }
            break;
        case ControlKind::Button:
            control = BTN[i] = new QPushButton(caption, this);
            BTN[i]->setAutoDefault(false);
            break;
        default: // no other kinds in this window
            continue;
        }
        placer.place(control, place);
    }
    placer.finish();
    LBL[0]->setBuddy(NUM[0]);
    LBL[1]->setBuddy(NUM[1]);
    LBL[2]->setBuddy(DIR);
    LBL[3]->setBuddy(NUM[2]);
    LBL[4]->setBuddy(NUM[3]);
    LBL[5]->setBuddy(ENT);
    LBL[6]->setBuddy(NUM[4]);
    LBL[7]->setBuddy(NUM[5]);
    NUM[3]->setSpecialValueText(QStringLiteral("自動")); // -1: as wide as the panel, or what widens the board
}

void frmAnimation::Form_Load() {
    for (size_t i = 0; i < std::size(NumberBoxes); ++i)
        NUM[i]->setValue(Settings.*NumberBoxes[i].field);
    DIR->setCurrentIndex(DIR->findData(int(Settings.AnimDirection)));
    ENT->setCurrentIndex(ENT->findData(int(Settings.AnimEnter)));
    BTN[0]->setFocus();
}

void frmAnimation::BTN_Click(int16_t Index) {
    if (Index == 0) {
        SettingsRecord chosen = Settings;
        for (size_t i = 0; i < std::size(NumberBoxes); ++i)
            chosen.*NumberBoxes[i].field = NUM[i]->value();
        chosen.AnimDirection = scroll::Direction(DIR->currentData().toInt());
        chosen.AnimEnter = scroll::Entrance(ENT->currentData().toInt());
        // A step the board's cycle does not take, or a gap too narrow to enter blank, is refused here, not when
        // the animation is saved; the window stays open to change it.
        if (m_sign) {
            const platform::Result checked = scroll::checkSettings(*m_sign, animationSettingsOf(chosen));
            if (checked.failure == platform::Failure::BadAnimationSetting) {
                platform::MsgBox(platform::failureText(checked, platform::Language::Japanese), platform::MsgExclamation,
                                 windowTitle());
                return;
            }
        }
        Settings = chosen;
        SaveSettings();
    }
    close();
}

} // namespace app
