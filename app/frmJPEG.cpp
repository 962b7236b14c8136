#include "app/frmJPEG.h"

#include "app/basCommon.h"
#include "output/pngsetting.h"
#include "platform/errors.h"
#include "platform/eventboundary.h"
#include "settingskeys/keys.h"
#include "ui/layout.h"
#include "ui/pictures.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>

namespace app {

using platform::runTrapped;
using namespace ui;

frmJPEG::frmJPEG(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("保存オプション"));
    setWindowIcon(ui::windowIcon()); // the built-in icon, not the widget's own (empty) one
    setFixedSize(OptionsWindowClientWidth, OptionsWindowClientHeight);
    createControls();
    for (int16_t i = 0; i < int16_t(ASCR.size()); ++i)
        connect(ASCR[i], &QScrollBar::valueChanged, this, [this, i] { runTrapped([&] { ASCR_Change(i); }); });
    for (int16_t i = 0; i < int16_t(BTN.size()); ++i)
        connect(BTN[i], &QPushButton::clicked, this, [this, i] { runTrapped([&] { BTN_Click(i); }); });
}

void frmJPEG::createControls() {
    ControlPlacer placer;
    for (const ControlPlacement& place : OptionsWindowLayout) {
        const QString caption = QString::fromUtf8(place.caption);
        const int i = place.index;
        QWidget* parent = place.frame < 0 ? static_cast<QWidget*>(this) : BoxLine[place.frame];
        QWidget* control = nullptr;
        switch (place.kind) {
        case ControlKind::Frame:
            control = BoxLine[i] = new QGroupBox(caption, parent);
            BoxLine[i]->setFocusPolicy(Qt::NoFocus);
            break;
        case ControlKind::Label:
        case ControlKind::FramedLabel: {
            auto* label = new QLabel(caption, parent);
            label->setAlignment(place.alignment);
            if (place.kind == ControlKind::FramedLabel) {
                label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
                DSP[i] = label;
            } else {
                LBL[i] = label;
            }
            control = label;
            break;
        }
        case ControlKind::Scale: {
            auto* scale = ASCR[i] = new QScrollBar(Qt::Horizontal, parent);
            if (i == 0) { // the JPEG quality, as the settings key offers it
                const settingskeys::Key& rate = settingskeys::key(settingskeys::KeyId::JpegRate);
                scale->setRange(rate.lowest, rate.highest);
            } else { // the PNG setting's places, from the fastest file to the smallest
                scale->setRange(0, int(std::size(output::PngSettings)) - 1);
            }
            scale->setSingleStep(1);
            scale->setPageStep(1);
            scale->setValue(1);
            scale->setTracking(false); // a dragged thumb changes the value when it is let go
            scale->setFocusPolicy(Qt::StrongFocus);
            scale->setInvertedControls(false); // Right and Up raise the value, as on every other slider
            control = scale;
            break;
        }
        case ControlKind::CheckBox:
            control = CHK = new QCheckBox(caption, parent);
            break;
        case ControlKind::Button:
            control = BTN[i] = new QPushButton(caption, parent);
            BTN[i]->setAutoDefault(false); // Enter presses no button
            break;
        default:
            continue;
        }
        placer.place(control, place);
    }
    placer.finish();
}

void frmJPEG::Form_Load() {
    using app::Settings;
    ASCR[0]->setValue(Settings.JpegRate); // a hand-edited value outside 1 to 100 shows at the nearest end
    CHK->setChecked(Settings.JpegPrgrs != 0);
    if (const int position = output::pngScalePosition(Settings.PngRate); position >= 0)
        ASCR[1]->setValue(position);
    BTN[0]->setFocus();
}

void frmJPEG::ASCR_Change(int16_t Index) {
    DSP[Index]->setText(QString::number(ASCR[Index]->value()));
}

void frmJPEG::BTN_Click(int16_t Index) {
    using app::Settings;
    if (Index == 0) {
        Settings.JpegRate = int16_t(ASCR[0]->value());
        Settings.JpegPrgrs = CHK->isChecked() ? -1 : 0;
        Settings.PngRate = output::pngSettingAt(ASCR[1]->value());
        app::SaveSettings();
    }
    close();
}

void frmJPEG::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) // Esc presses no button and closes nothing
        return;
    QDialog::keyPressEvent(event);
}

// The window opens where the system puts a new window; a QDialog would centre itself on its parent or
// the screen first.
void frmJPEG::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
}

} // namespace app
