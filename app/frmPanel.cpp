#include "app/frmPanel.h"

#include "app/basCommon.h"
#include "board/basFontListGet.h"
#include "dotfont/facelibrary.h"
#include "platform/eventboundary.h"
#include "settingskeys/keys.h"
#include "ui/layout.h"
#include "ui/pictures.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>

namespace app {

using platform::runTrapped;
using namespace ui;

namespace {

struct AlignChoice {
    board::PanelAlign align;
    const char* caption; // UTF-8
};
constexpr AlignChoice AlignChoices[] = {
    {board::PanelAlign::Left, "左揃え"}, {board::PanelAlign::Center, "中央揃え"}, {board::PanelAlign::Right, "右揃え"}};

// The key and the field of each number box: the rows, the lines.
struct NumberBox {
    settingskeys::KeyId key;
    int SettingsRecord::*field;
};
constexpr NumberBox NumberBoxes[] = {{settingskeys::KeyId::PanelRows, &SettingsRecord::PanelRows},
                                     {settingskeys::KeyId::PanelLines, &SettingsRecord::PanelLines}};
static_assert(std::size(NumberBoxes) == std::tuple_size_v<decltype(frmPanel::NUM)>, "one entry a box");

} // namespace

frmPanel::frmPanel(const dotfont::FaceLibrary& faces, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("パネルの設定"));
    setWindowIcon(ui::windowIcon());
    setFixedSize(PanelWindowClientWidth, PanelWindowClientHeight);
    createControls();
    fillFaces(faces);
    for (int16_t i = 0; i < int16_t(BTN.size()); ++i)
        connect(BTN[i], &QPushButton::clicked, this, [this, i] { runTrapped([&] { BTN_Click(i); }); });
}

void frmPanel::createControls() {
    ControlPlacer placer;
    for (const ControlPlacement& place : PanelWindowLayout) {
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
            if (std::string_view(place.name) == "ALN") {
                control = ALN = new QComboBox(this);
                for (const AlignChoice& choice : AlignChoices)
                    ALN->addItem(QString::fromUtf8(choice.caption), int(choice.align));
            } else {
                control = FNT = new QComboBox(this);
            }
            break;
        case ControlKind::CheckBox:
            control = MKP = new QCheckBox(caption, this);
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
    LBL[2]->setBuddy(ALN);
    LBL[3]->setBuddy(FNT);
}

// The main window's face first, then the dot faces with their pixel heights, then the outline families.
void frmPanel::fillFaces(const dotfont::FaceLibrary& faces) {
    FNT->addItem(QStringLiteral("文字の書体"), QString());
    for (const auto& face : faces.faces()) {
        QStringList heights;
        for (const int height : face->heights())
            heights << QString::number(height);
        FNT->addItem(QStringLiteral("%1 (%2)").arg(face->name(), heights.join(QStringLiteral("・"))), face->name());
    }
    QStringList families;
    board::GetFontList(families);
    for (const QString& family : families)
        if (FNT->findData(family) < 0)
            FNT->addItem(family, family);
}

void frmPanel::Form_Load() {
    for (size_t i = 0; i < std::size(NumberBoxes); ++i)
        NUM[i]->setValue(Settings.*NumberBoxes[i].field);
    ALN->setCurrentIndex(ALN->findData(int(Settings.PanelAlign)));
    // A face the list lacks (uninstalled since, or typed into the file) stays chosen, not lost.
    if (FNT->findData(Settings.PanelFont) < 0)
        FNT->addItem(Settings.PanelFont, Settings.PanelFont);
    FNT->setCurrentIndex(FNT->findData(Settings.PanelFont));
    MKP->setChecked(Settings.PanelMarkup != 0);
    BTN[0]->setFocus();
}

void frmPanel::BTN_Click(int16_t Index) {
    if (Index == 0) {
        for (size_t i = 0; i < std::size(NumberBoxes); ++i)
            Settings.*NumberBoxes[i].field = NUM[i]->value();
        Settings.PanelAlign = board::PanelAlign(ALN->currentData().toInt());
        Settings.PanelFont = FNT->currentData().toString();
        Settings.PanelMarkup = MKP->isChecked() ? 1 : 0;
        SaveSettings();
    }
    close();
}

} // namespace app
