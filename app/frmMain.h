#pragma once

#include "board/DrawBoard.h"
#include "dotfont/facelibrary.h"
#include "dots/dotstyle.h"
#include "scroll/animationsettings.h"
#include "ui/picturebox.h"

#include <QPointer>
#include <QStringList>
#include <QWidget>

#include <array>
#include <cstdint>
#include <optional>

class QAction;
class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMimeData;
class QMenu;
class QPushButton;

namespace preview {
class ScrollPreview;
}

namespace app {

// The main window: its controls stand where the design puts them; its handlers forward to the core.
class frmMain : public QWidget {
    Q_OBJECT

public:
    explicit frmMain(QWidget* parent = nullptr);

    void Form_Load();
    void BTN_Click(int16_t Index);
    void LST_Click(int16_t Index);
    void CHK_Click(int16_t Index);
    void SBTN_Click(int16_t Index);
    void Board_Click();
    // The board's context menu: copy, save the animation, the animation settings.
    void saveAnimation();
    void editAnimationSettings();
    void editPanelSettings();
    void showPreview();
    void DBTN_Click(int16_t Index);
    void Area_OLEDragDrop(int16_t Index, const QMimeData* Data);
    void Dot_OLEDragDrop(int16_t Index, const QMimeData* Data);
    // The dot boxes' menu: both dots made from a colour, their shape and size, and back to the pictures.
    void chooseDotColor(QRgb color);
    void pickDotColor(); // 色を選ぶ...
    void setDotShape(dots::DotShape shape);
    void askDotSize(); // 大きさ...
    void backToDotPictures();

    board::BoardState& boardState() { return m_state; }

    std::array<QLabel*, 4> LBL{};
    std::array<QLineEdit*, 1> FLD{};
    std::array<QLabel*, 2> DSP{};
    std::array<QListWidget*, 2> LST{};
    std::array<QPushButton*, 2> DBTN{};
    std::array<ui::PictureBox*, 2> Area{};
    std::array<ui::PictureBox*, 2> Dot{};
    std::array<QCheckBox*, 2> CHK{};
    std::array<QPushButton*, 4> SBTN{};
    std::array<QPushButton*, 4> BTN{};
    QLabel* MSG = nullptr;
    ui::PictureBox* Board = nullptr;
    ui::PictureBox* TempPic = nullptr;
    QMenu* BoardMenu = nullptr; // the board's right-button menu
    QMenu* DotMenu = nullptr;   // the dot boxes' right-button menu

    // The dot faces of the system, found the first time a panel or its window needs them.
    const dotfont::FaceLibrary& dotFaces();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createControls();
    void connectHandlers();
    void InitMainWindow();
    void ApplyFont();
    bool DrawBoard(); // false when the message cannot be drawn: the board stays as it was
    void showReport(const QStringList& report);
    void showDot(int16_t Index);
    void showStatus(const QString& status);
    void createBoardMenu();
    scroll::Sign sign() const;
    void followBoard(); // an open preview starts again from the board as it now stands
    void createDotMenu();
    void popupDotMenu(QWidget* over, const QPoint& at);
    void updateDotMenu();
    void showDotStyle();     // both boxes show the dots the settings' colour makes, if it names one
    void dotPictureLoaded(); // a picture loaded into a box turns the colour off

    board::BoardState m_state;
    std::optional<dotfont::FaceLibrary> m_dotFaces;
    bool m_statusIsReport = false;              // the status line tells what the last render could not show
    QPointer<preview::ScrollPreview> m_preview; // at most one; it deletes itself when closed
    // What the dot boxes showed before their dots were made from a colour, for 絵に戻す; nothing after a start
    // with a colour (the built-in dots then).
    std::optional<std::array<platform::Surface, 2>> m_dotPictures;
    std::array<QAction*, 2> m_shapeActions{}; // 丸, 四角
    QList<QAction*> m_colorActions;           // the presets, in their order
    QList<QAction*> m_styleActions;           // what needs a colour to act on: the shapes, 大きさ..., 絵に戻す
};

} // namespace app
