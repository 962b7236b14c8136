#include "app/frmMain.h"

#include "app/basCommon.h"
#include "app/frmAnimation.h"
#include "app/frmJPEG.h"
#include "app/frmPanel.h"
#include "board/basFontListGet.h"
#include "board/fontface.h"
#include "board/panelmask.h"
#include "board/rotation.h"
#include "dialogs/clsDialog.h"
#include "dots/LoadDotImage.h"
#include "dots/colourmarks.h"
#include "platform/clipboard.h"
#include "platform/errors.h"
#include "platform/eventboundary.h"
#include "platform/messagebox.h"
#include "platform/numberinput.h"
#include "platform/numbers.h"
#include "output/SaveAnimation.h"
#include "output/SaveBoard.h"
#include "preview/scrollpreview.h"
#include "settingskeys/keys.h"
#include "platform/failuretexts.h"
#include "platform/filetypes.h"
#include "ui/layout.h"
#include "ui/pictures.h"

#include <QActionGroup>
#include <QCheckBox>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QShortcut>

#include <algorithm>
#include <vector>

namespace app {

using platform::runTrapped;
using platform::skipOnError;
using namespace ui;

namespace {

// Keeps the picture boxes the same size as their surfaces once a render ends, however it ends.
class FitBoxesOnExit {
public:
    explicit FitBoxesOnExit(std::initializer_list<PictureBox*> boxes) : m_boxes(boxes) {}
    ~FitBoxesOnExit() {
        for (PictureBox* box : m_boxes)
            box->fitToSurface();
    }

private:
    std::vector<PictureBox*> m_boxes;
};

// The board as the window lays it out: the built-in dots, the mask at its laid-out size and the board's
// drawing area inside its one-pixel frame.
board::BoardState laidOutBoard() {
    const ControlPlacement& mask = placementOf(MainWindowLayout, "TempPic");
    const ControlPlacement& board = placementOf(MainWindowLayout, "Board");
    return board::BoardState(builtinLitDot(), builtinUnlitDot(), QSize(mask.width, mask.height),
                             QSize(board.width - 2, board.height - 2));
}

} // namespace

frmMain::frmMain(QWidget* parent) : QWidget(parent), m_state(laidOutBoard()) {
    setWindowTitle(QStringLiteral("Lumidot"));
    setWindowIcon(ui::windowIcon()); // the built-in icon, not the widget's own (empty) one
    setGeometry(MainWindowLeft, MainWindowTop, MainWindowClientWidth, MainWindowClientHeight);
    setFixedSize(MainWindowClientWidth, MainWindowClientHeight);
    createControls();
    createBoardMenu();
    createDotMenu();
    connectHandlers();
}

void frmMain::createControls() {
    ControlPlacer placer;
    for (const ControlPlacement& place : MainWindowLayout) {
        const QString name = QString::fromLatin1(place.name);
        const QString caption = QString::fromUtf8(place.caption);
        const int i = place.index;
        QWidget* parent = place.frame < 0 ? static_cast<QWidget*>(this) : Area[place.frame]->clientArea();
        QWidget* control = nullptr;
        switch (place.kind) {
        case ControlKind::Label:
        case ControlKind::FramedLabel: {
            auto* label = new QLabel(caption, parent);
            label->setAlignment(place.alignment);
            if (place.kind == ControlKind::FramedLabel)
                label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
            (name == QLatin1String("MSG") ? MSG : (name == QLatin1String("DSP") ? DSP[i] : LBL[i])) = label;
            control = label;
            break;
        }
        case ControlKind::TextBox:
            control = FLD[i] = new QLineEdit(caption, parent);
            break;
        case ControlKind::ListBox:
            control = LST[i] = new QListWidget(parent);
            LST[i]->setSelectionMode(QAbstractItemView::SingleSelection);
            break;
        case ControlKind::Button:
            control = new QPushButton(caption, parent);
            (name == QLatin1String("DBTN") ? DBTN[i] : BTN[i]) = static_cast<QPushButton*>(control);
            break;
        case ControlKind::PictureButton:
            control = SBTN[i] = new QPushButton(parent);
            SBTN[i]->setIcon(QIcon(QPixmap::fromImage(arrowPicture(ArrowDirection(i)))));
            SBTN[i]->setIconSize(QSize(14, 14));
            break;
        case ControlKind::CheckBox:
            control = CHK[i] = new QCheckBox(caption, parent);
            break;
        case ControlKind::PictureBox:
            if (name == QLatin1String("Area")) {
                control = Area[i] = new PictureBox(nullptr, true, parent);
                Area[i]->setAcceptDrops(true);
            } else if (name == QLatin1String("Dot")) {
                control = Dot[i] = new PictureBox(&m_state.Dot[i], true, parent);
                Dot[i]->setAcceptDrops(true);
            } else if (name == QLatin1String("Board")) {
                control = Board = new PictureBox(&m_state.Board, true, parent);
                Board->setToolTip(QStringLiteral("画像をクリックすると、クリップボードへコピーします。"));
            } else {
                control = TempPic = new PictureBox(&m_state.TempPic, false, parent);
                TempPic->hide();
            }
            control->setFocusPolicy(Qt::NoFocus);
            break;
        default: // the main window has no group frames or scales
            continue;
        }
        placer.place(control, place);
    }
    placer.finish();
    // What a screen reader says of the controls without a caption: the arrows by their direction, the
    // dot boxes by their labels.
    const char* const arrowNames[] = {"上", "右", "下", "左"};
    for (size_t i = 0; i < SBTN.size(); ++i)
        SBTN[i]->setAccessibleName(QString::fromUtf8(arrowNames[i]));
    Dot[0]->setAccessibleName(LBL[1]->text());
    Dot[1]->setAccessibleName(LBL[2]->text());
    // The dot boxes start at the size of their pictures.
    for (PictureBox* dot : Dot)
        dot->fitToSurface();
}

void frmMain::connectHandlers() {
    for (int16_t i = 0; i < int16_t(BTN.size()); ++i)
        connect(BTN[i], &QPushButton::clicked, this, [this, i] { runTrapped([&] { BTN_Click(i); }); });
    for (int16_t i = 0; i < int16_t(LST.size()); ++i)
        connect(LST[i], &QListWidget::itemSelectionChanged, this, [this, i] { runTrapped([&] { LST_Click(i); }); });
    for (int16_t i = 0; i < int16_t(CHK.size()); ++i)
        connect(CHK[i], &QCheckBox::toggled, this, [this, i] { runTrapped([&] { CHK_Click(i); }); });
    for (int16_t i = 0; i < int16_t(SBTN.size()); ++i)
        connect(SBTN[i], &QPushButton::clicked, this, [this, i] { runTrapped([&] { SBTN_Click(i); }); });
    connect(Board, &PictureBox::clicked, this, [this] { runTrapped([&] { Board_Click(); }); });
    // Keys: Enter in the message renders; Ctrl+C copies the board unless the message box takes it for its
    // own selection; Ctrl+S saves.
    connect(FLD[0], &QLineEdit::returnPressed, this, [this] { runTrapped([&] { BTN_Click(0); }); });
    connect(new QShortcut(QKeySequence::Copy, this), &QShortcut::activated, this,
            [this] { runTrapped([&] { Board_Click(); }); });
    connect(new QShortcut(QKeySequence::Save, this), &QShortcut::activated, this,
            [this] { runTrapped([&] { BTN_Click(1); }); });
    for (int16_t i = 0; i < int16_t(DBTN.size()); ++i) {
        connect(DBTN[i], &QPushButton::clicked, this, [this, i] { runTrapped([&] { DBTN_Click(i); }); });
        connect(Area[i], &PictureBox::filesDropped, this,
                [this, i](const QMimeData* data) { runTrapped([&] { Area_OLEDragDrop(i, data); }); });
        connect(Dot[i], &PictureBox::filesDropped, this,
                [this, i](const QMimeData* data) { runTrapped([&] { Dot_OLEDragDrop(i, data); }); });
    }
}

void frmMain::Form_Load() {
    InitMainWindow();
}

void frmMain::InitMainWindow() {
    setEnabled(false);
    skipOnError([&] { show(); });
    skipOnError([&] { LST[0]->clear(); });
    skipOnError([&] { LST[1]->clear(); });
    skipOnError([&] { DSP[1]->setText(platform::formatSingle(Settings.FontSize)); });
    skipOnError([&] {
        for (int n = 8; n <= 24; ++n)
            LST[1]->addItem(QString::number(n));
    });
    skipOnError([&] { CHK[0]->setChecked(Settings.Italic != 0); });
    skipOnError([&] { CHK[1]->setChecked(Settings.Tick != 0); });
    skipOnError([&] { FLD[0]->setText(Settings.Mongon); });
    skipOnError([&] { DSP[0]->setText(Settings.FontName); });
    skipOnError([&] {
        QStringList families;
        board::GetFontList(families);
        LST[0]->addItems(families);
    });
    skipOnError([&] { ApplyFont(); });
    skipOnError([&] { showDotStyle(); });
    setEnabled(true);
    skipOnError([&] { MSG->setText(QStringLiteral("Lumidot")); });
    FLD[0]->setFocus();
}

void frmMain::BTN_Click(int16_t Index) {
    switch (Index) {
    case 0:
        if (!DrawBoard())
            break;
        Settings.Mongon = FLD[0]->text();
        Settings.FontName = board::reportedFontName(m_state.TempPic.font());
        Settings.FontSize = board::reportedFontSize(m_state.TempPic.font());
        app::SaveSettings();
        break;
    case 1:
        output::SaveBoard(m_state.Board, QSize(m_state.CellWidth, m_state.CellHeight), saveOptionsOf(Settings), this,
                          MSG->text(), [this](const QString& status) { showStatus(status); });
        break;
    case 2: {
        frmJPEG options; // no owner: modal over the whole program, placed where the system puts a new window
        options.Form_Load();
        options.exec();
        break;
    }
    case 3:
        close();
        break;
    }
}

void frmMain::LST_Click(int16_t Index) {
    const QList<QListWidgetItem*> selected = LST[Index]->selectedItems();
    DSP[Index]->setText(selected.isEmpty() ? QString() : selected.first()->text());
    ApplyFont();
}

void frmMain::CHK_Click(int16_t Index) {
    const int16_t flag = CHK[Index]->isChecked() ? -1 : 0;
    (Index == 0 ? Settings.Italic : Settings.Tick) = flag;
    ApplyFont();
}

void frmMain::SBTN_Click(int16_t Index) {
    board::rotateBoard(m_state, Index, [this] {
        Board->Refresh();
        followBoard();
    });
}

void frmMain::showStatus(const QString& status) {
    MSG->setText(status);
    MSG->repaint(); // shows while the file is written
}

// The board's own right-button menu; the left click still copies at once.
void frmMain::createBoardMenu() {
    BoardMenu = new QMenu(this);
    const auto add = [this](const char* caption, void (frmMain::*handler)()) {
        connect(BoardMenu->addAction(QString::fromUtf8(caption)), &QAction::triggered, this,
                [this, handler] { runTrapped([&] { (this->*handler)(); }); });
    };
    add("クリップボードへコピー", &frmMain::Board_Click);
    add("アニメーションを保存...", &frmMain::saveAnimation);
    add("アニメーションの設定...", &frmMain::editAnimationSettings);
    add("パネルの設定...", &frmMain::editPanelSettings);
    add("スクロール表示", &frmMain::showPreview);
    Board->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(Board, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { BoardMenu->popup(Board->mapToGlobal(at)); });
    // The board takes no focus: the menu key and Shift+F10 open its menu from the arrows beside it.
    for (QPushButton* arrow : SBTN)
        arrow->installEventFilter(this);
    FLD[0]->installEventFilter(this);
}

bool frmMain::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool menuKey =
            key->key() == Qt::Key_Menu || (key->key() == Qt::Key_F10 && key->modifiers() == Qt::ShiftModifier);
        if (menuKey && std::find(SBTN.begin(), SBTN.end(), watched) != SBTN.end()) {
            BoardMenu->popup(Board->mapToGlobal(Board->rect().center()));
            return true;
        }
        const auto dotButton = std::find(DBTN.begin(), DBTN.end(), watched);
        if (menuKey && dotButton != DBTN.end()) {
            QWidget* area = Area[dotButton - DBTN.begin()];
            popupDotMenu(area, area->rect().center());
            return true;
        }
        // Shift+Enter in the message starts a new line, for a panel of several lines; Enter alone renders.
        const bool newLine =
            (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && key->modifiers() == Qt::ShiftModifier;
        if (newLine && watched == FLD[0]) {
            FLD[0]->insert(QStringLiteral("\n"));
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

// The sign as the board shows it now, after the rotations made since the render.
scroll::Sign frmMain::sign() const {
    return scroll::signOf(m_state);
}

void frmMain::saveAnimation() {
    // Settings the board cannot take are told before any file is asked for.
    const scroll::Sign board = sign();
    const platform::Result checked = scroll::checkSettings(board, animationSettingsOf(Settings));
    if (checked.failure == platform::Failure::BadAnimationSetting) {
        platform::MsgBox(platform::failureText(checked, platform::Language::Japanese), platform::MsgExclamation,
                         QStringLiteral("アニメーションの保存"));
        return;
    }
    output::SaveAnimation(board, animationSettingsOf(Settings), this, MSG->text(),
                          [this](const QString& status) { showStatus(status); });
}

void frmMain::editAnimationSettings() {
    const scroll::Sign board = sign();
    frmAnimation settings(board.cells.lit.empty() ? nullptr : &board, this);
    settings.Form_Load();
    settings.exec();
    followBoard();
}

void frmMain::editPanelSettings() {
    frmPanel settings(dotFaces(), this);
    settings.Form_Load();
    settings.exec();
}

const dotfont::FaceLibrary& frmMain::dotFaces() {
    if (!m_dotFaces)
        m_dotFaces = dotfont::FaceLibrary::discover(dotfont::FaceLibrary::systemFontFolders(QDir::homePath()));
    return *m_dotFaces;
}

void frmMain::showPreview() {
    if (!m_preview)
        m_preview = new preview::ScrollPreview(this);
    m_preview->play(sign(), animationSettingsOf(Settings));
    m_preview->show();
    m_preview->raise();
    m_preview->activateWindow();
}

void frmMain::followBoard() {
    if (m_preview)
        m_preview->play(sign(), animationSettingsOf(Settings));
}

void frmMain::closeEvent(QCloseEvent* event) {
    if (m_preview)
        m_preview->close();
    QWidget::closeEvent(event);
}

void frmMain::Board_Click() {
    platform::clipboardClear();
    platform::clipboardSetPicture(m_state.Board.image());
}

// The new dot shows at once; the board keeps its look until the next render.
void frmMain::DBTN_Click(int16_t Index) {
    dialogs::clsDialog dialog;
    dialog.SelectTitle = Index == 0 ? QStringLiteral("オンの画像") : QStringLiteral("オフの画像");
    const QString patterns = platform::dotImagePatterns(Settings.Gif != 0);
    dialog.FilterPattern = QStringLiteral("画像ファイル") + QChar(0) + patterns + QChar(0);
    dialog.SelectFlags = platform::formatInt(platform::OfnHideReadOnly | platform::OfnFileMustExist);
    const QString fileName = dialog.OpenFile(this);
    if (fileName.isEmpty())
        return;
    // LoadDotImage traps its own errors: a file that fails changes nothing.
    if (dots::LoadDotImage(m_state, fileName, Index) == 0)
        dotPictureLoaded();
    showDot(Index);
}

void frmMain::Area_OLEDragDrop(int16_t Index, const QMimeData* Data) {
    QStringList fileNames;
    for (const QUrl& url : Data->urls())
        if (url.isLocalFile())
            fileNames << url.toLocalFile();
    if (fileNames.isEmpty())
        return;
    if (dots::loadDroppedDotFiles(m_state, fileNames, Index, Settings.Gif == 1))
        dotPictureLoaded();
    showDot(Index);
}

void frmMain::Dot_OLEDragDrop(int16_t Index, const QMimeData* Data) {
    Area_OLEDragDrop(Index, Data);
}

// The dot box takes the size of its picture; a dot larger than its frame box is cut off there.
void frmMain::showDot(int16_t Index) {
    Dot[Index]->fitToSurface();
    Dot[Index]->Refresh();
    followBoard();
}

// The dot boxes' right-button menu, the same for both: a colour makes both dots at once.
void frmMain::createDotMenu() {
    DotMenu = new QMenu(this);
    const auto add = [this](const QString& caption, auto handler) {
        QAction* action = DotMenu->addAction(caption);
        connect(action, &QAction::triggered, this, [handler] { runTrapped(handler); });
        return action;
    };
    auto* colors = new QActionGroup(DotMenu);
    colors->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional); // a colour of one's own: none
    for (const dots::PresetColor& preset : dots::presetColors()) {
        const QRgb color = preset.rgb;
        QAction* action = add(QString::fromUtf8(preset.japanese), [this, color] { chooseDotColor(color); });
        action->setIcon(QPixmap::fromImage(dots::generatedDot(color, 12, dots::DotShape::Round, 100))); // its lit dot
        action->setCheckable(true);
        colors->addAction(action);
        m_colorActions << action;
    }
    add(QStringLiteral("色を選ぶ..."), [this] { pickDotColor(); });
    DotMenu->addSeparator();
    auto* shapes = new QActionGroup(DotMenu);
    const std::pair<const char*, dots::DotShape> shapeCaptions[] = {{"丸", dots::DotShape::Round},
                                                                    {"四角", dots::DotShape::Square}};
    for (size_t i = 0; i < m_shapeActions.size(); ++i) {
        const dots::DotShape shape = shapeCaptions[i].second;
        m_shapeActions[i] = add(QString::fromUtf8(shapeCaptions[i].first), [this, shape] { setDotShape(shape); });
        m_shapeActions[i]->setCheckable(true);
        shapes->addAction(m_shapeActions[i]);
        m_styleActions << m_shapeActions[i];
    }
    m_styleActions << add(QStringLiteral("大きさ..."), [this] { askDotSize(); });
    DotMenu->addSeparator();
    m_styleActions << add(QStringLiteral("絵に戻す"), [this] { backToDotPictures(); });
    connect(DotMenu, &QMenu::aboutToShow, this, [this] { updateDotMenu(); });
    for (size_t i = 0; i < Dot.size(); ++i)
        for (QWidget* box : {static_cast<QWidget*>(Dot[i]), static_cast<QWidget*>(Area[i])}) {
            box->setContextMenuPolicy(Qt::CustomContextMenu);
            connect(box, &QWidget::customContextMenuRequested, this,
                    [this, box](const QPoint& at) { popupDotMenu(box, at); });
        }
    // The dot boxes take no focus: the menu key and Shift+F10 open their menu from the "..." beside each.
    for (QPushButton* browse : DBTN)
        browse->installEventFilter(this);
}

void frmMain::popupDotMenu(QWidget* over, const QPoint& at) {
    DotMenu->popup(over->mapToGlobal(at));
}

// The menu shows the colour and shape in use; without a colour, only a colour can be chosen.
void frmMain::updateDotMenu() {
    const std::optional<dots::DotStyle> style = dotStyleOf(Settings);
    for (qsizetype i = 0; i < m_colorActions.size(); ++i)
        m_colorActions[i]->setChecked(style && style->color == dots::presetColors()[size_t(i)].rgb);
    m_shapeActions[0]->setChecked(Settings.PanelShape == dots::DotShape::Round);
    m_shapeActions[1]->setChecked(Settings.PanelShape == dots::DotShape::Square);
    for (QAction* action : m_styleActions)
        action->setEnabled(style.has_value());
}

// A colour, whether or not one was in use: both boxes show its dots at once, the [Panel] keys are stored, and
// the next 開始 draws with them as with loaded dots.
void frmMain::chooseDotColor(QRgb color) {
    if (!dotStyleOf(Settings))
        m_dotPictures = m_state.Dot;
    Settings.PanelColor = dots::colorName(color);
    showDotStyle();
    SaveDotStyle();
}

// The colour dialog starts from the colour in use (red when there is none).
void frmMain::pickDotColor() {
    const QRgb current = dotStyleOf(Settings).value_or(dots::DotStyle()).color;
    dialogs::clsDialog dialog;
    dialog.SelectColor = int32_t(qRed(current) | qGreen(current) << 8 | qBlue(current) << 16);
    dialog.ColorFlags = platform::CcRgbInit;
    if (!dialog.ColorCode(this))
        return;
    const int32_t chosen = dialog.SelectColor;
    chooseDotColor(qRgb(chosen & 0xFF, (chosen >> 8) & 0xFF, (chosen >> 16) & 0xFF));
}

void frmMain::setDotShape(dots::DotShape shape) {
    Settings.PanelShape = shape;
    showDotStyle();
    SaveDotStyle();
}

void frmMain::askDotSize() {
    const settingskeys::Key& key = settingskeys::key(settingskeys::KeyId::PanelDotSize);
    const std::optional<int> size =
        platform::askNumber({QStringLiteral("ドットの大きさ"),
                             QStringLiteral("ドットの大きさ (%1 ～ %2 ピクセル):").arg(key.lowest).arg(key.highest),
                             Settings.PanelDotSize, key.lowest, key.highest, this});
    if (!size)
        return;
    Settings.PanelDotSize = *size;
    showDotStyle();
    SaveDotStyle();
}

// The pictures the boxes held before the colour; after a start with a colour, the built-in dots.
void frmMain::backToDotPictures() {
    if (m_dotPictures) {
        m_state.Dot = *m_dotPictures;
        m_dotPictures.reset();
    } else {
        m_state.Dot[0].setPicture(builtinLitDot());
        m_state.Dot[1].setPicture(builtinUnlitDot());
    }
    Settings.PanelColor.clear();
    showDot(0);
    showDot(1);
    SaveDotStyle();
}

void frmMain::showDotStyle() {
    const std::optional<dots::DotStyle> style = dotStyleOf(Settings);
    if (!style)
        return;
    dots::useGeneratedDots(m_state, *style);
    showDot(0);
    showDot(1);
}

// A picture loaded into one box while a colour is in use ends the colour, stored at once so that the next start
// shows the pictures; the other box keeps the dot it shows until a picture is loaded into it too.
void frmMain::dotPictureLoaded() {
    if (!dotStyleOf(Settings))
        return;
    Settings.PanelColor.clear();
    m_dotPictures.reset();
    SaveDotStyle();
}

void frmMain::ApplyFont() {
    board::applyFont(m_state, DSP[0]->text(), DSP[1]->text(), Settings.Italic != 0, Settings.Tick != 0);
}

bool frmMain::DrawBoard() {
    // A colour mark that cannot be read stops the render before it starts: the board keeps what it showed.
    board::MarkedText message = board::inOwnColour(FLD[0]->text());
    if (Settings.PanelMarkup != 0) {
        if (const platform::Result read = dots::readColourMarks(FLD[0]->text(), message); !read.ok()) {
            showReport({platform::failureText(read, platform::Language::Japanese)});
            return false;
        }
    }
    const FitBoxesOnExit fit{Board, TempPic};
    const auto refresh = [this] {
        Board->Refresh();
        followBoard();
    };
    const std::optional<dots::DotStyle> style = dotStyleOf(Settings);
    const board::LitDotIn litDotIn = [&](QRgb colour) { return dots::litDotIn(colour, m_state.Dot[0].image(), style); };
    const board::Panel panel = panelOf(Settings);
    if (panel.rows == 0) {
        board::DrawBoard(m_state, message, litDotIn, refresh);
        showReport({});
        return true;
    }
    // A panel's face that is not installed (any more) gives way to the main window's, and the status says so.
    QStringList report;
    std::optional<dotfont::Face> face = board::panelFace(panel, m_state.TempPic.font(), dotFaces());
    if (!face) {
        report << QStringLiteral("パネルの書体 \"%1\" が見つからないため、文字の書体で表示しました").arg(panel.font);
        face = dotFaces().windowFace(m_state.TempPic.font());
    }
    const board::PanelReport drawn = board::DrawPanelBoard(m_state, message, panel, *face, litDotIn, refresh);
    if (drawn.droppedLines > 0)
        report << QStringLiteral("パネルは %1 行のため、残りの %2 行は表示していません")
                      .arg(panel.lines)
                      .arg(drawn.droppedLines);
    if (!drawn.missingCharacters.isEmpty())
        report << QStringLiteral("表示できない文字: %1").arg(drawn.missingCharacters);
    showReport(report);
    return true;
}

// A report stays until the next render; one that has nothing to say puts the name back.
void frmMain::showReport(const QStringList& report) {
    if (!report.isEmpty() || m_statusIsReport)
        showStatus(report.isEmpty() ? QStringLiteral("Lumidot") : report.join(QStringLiteral("  ")));
    m_statusIsReport = !report.isEmpty();
}

} // namespace app
