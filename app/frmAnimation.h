#pragma once

#include <QDialog>

#include <array>
#include <cstdint>

class QComboBox;
class QLabel;
class QPushButton;
class QSpinBox;

namespace scroll {
struct Sign;
}

namespace app {

// The animation settings window, shown modal: the panel width in cells, the frame delay, the direction,
// the step, the gap after the message, how it enters, the hold and its blinks. It reads the settings when it
// loads and stores them only on "保存", and only settings the board as it stands can take.
class frmAnimation : public QDialog {
    Q_OBJECT

public:
    // sign: the board as it stands, whose cycle the step must divide; nothing before the first render.
    explicit frmAnimation(const scroll::Sign* sign = nullptr, QWidget* parent = nullptr);

    void Form_Load();
    void BTN_Click(int16_t Index);

    std::array<QLabel*, 8> LBL{};
    std::array<QSpinBox*, 6> NUM{}; // panel width, delay, step, gap, hold, blinks
    QComboBox* DIR = nullptr;
    QComboBox* ENT = nullptr; // how the message enters
    std::array<QPushButton*, 2> BTN{};

private:
    void createControls();

    const scroll::Sign* m_sign;
};

} // namespace app
