#pragma once

#include <QDialog>

#include <array>
#include <cstdint>

class QComboBox;
class QLabel;
class QPushButton;
class QSpinBox;

namespace app {

// The animation settings window, shown modal: the panel width in cells, the frame delay, the direction
// and the step of the scrolling sign. It reads the settings when it loads and stores them only on "保存".
class frmAnimation : public QDialog {
    Q_OBJECT

public:
    explicit frmAnimation(QWidget* parent = nullptr);

    void Form_Load();
    void BTN_Click(int16_t Index);

    std::array<QLabel*, 4> LBL{};
    std::array<QSpinBox*, 3> NUM{}; // panel width, delay, step
    QComboBox* DIR = nullptr;
    std::array<QPushButton*, 2> BTN{};

private:
    void createControls();
};

} // namespace app
