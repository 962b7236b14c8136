#pragma once

#include <QDialog>

#include <array>
#include <cstdint>

class QCheckBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QScrollBar;

namespace app {

// The save options window: JPEG quality, progressive JPEG and the PNG setting, shown modal. It reads
// the settings when it loads and stores them only on "保存".
class frmJPEG : public QDialog {
    Q_OBJECT

public:
    explicit frmJPEG(QWidget* parent = nullptr);

    void Form_Load();
    void ASCR_Change(int16_t Index);
    void BTN_Click(int16_t Index);

    std::array<QGroupBox*, 2> BoxLine{};
    std::array<QLabel*, 3> LBL{};
    std::array<QLabel*, 2> DSP{};
    std::array<QScrollBar*, 2> ASCR{};
    QCheckBox* CHK = nullptr;
    std::array<QPushButton*, 2> BTN{};

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void createControls();
};

} // namespace app
