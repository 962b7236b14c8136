#pragma once

#include <QDialog>

#include <array>
#include <cstdint>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QSpinBox;

namespace dotfont {
class FaceLibrary;
}

namespace app {

// The panel settings window, shown modal: the rows of the LED panel (0: as high as the font's line), the
// lines the rows split into, their alignment, the panel's own face, and whether the message carries colour
// marks. It reads the settings when it loads and stores them only on "保存"; the next 開始 uses them.
class frmPanel : public QDialog {
    Q_OBJECT

public:
    // faces: the dot faces the face list offers (with the installed outline families after them).
    frmPanel(const dotfont::FaceLibrary& faces, QWidget* parent = nullptr);

    void Form_Load();
    void BTN_Click(int16_t Index);

    std::array<QLabel*, 4> LBL{};
    std::array<QSpinBox*, 2> NUM{}; // rows, lines
    QComboBox* ALN = nullptr;       // alignment
    QComboBox* FNT = nullptr;       // the panel's face; the first entry is the main window's
    QCheckBox* MKP = nullptr;       // colour marks in the message
    std::array<QPushButton*, 2> BTN{};

private:
    void createControls();
    void fillFaces(const dotfont::FaceLibrary& faces);
};

} // namespace app
