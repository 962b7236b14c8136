#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>

class QObject;

// The one way the program shows the open, save and colour dialogs. The window layer installs the real
// dialogs; tests install scripted answers; without either, every dialog counts as cancelled.
namespace platform {

// Flags of the file dialogs, as the callers write them in decimal.
enum FileDialogFlag : uint32_t {
    OfnHideReadOnly = 0x4,       // no read-only check box
    OfnAllowMultiSelect = 0x200, // several files may be chosen (with OfnExplorer)
    OfnFileMustExist = 0x1000,   // only existing files are accepted
    OfnCreatePrompt = 0x2000,    // a name that does not exist is confirmed by the user first
    OfnExplorer = 0x80000,       // the dialog returns a multi-selection as folder and names
};

// Flags of the colour dialog.
enum ColorDialogFlag : uint32_t {
    CcRgbInit = 0x1, // the dialog starts from the request's colour
};

enum class DialogKind { Open, Save, Color };

// What the dialog is to show.
struct DialogRequest {
    DialogKind kind = DialogKind::Open;
    QString title;
    QStringList nameFilters;  // "description (*.a *.b)", in order
    int selectedFilter = 0;   // 1-based number of the filter shown first; 0 when there are none
    QString folder;           // empty lets the dialog choose
    uint32_t flags = 0;       // FileDialogFlag bits; ColorDialogFlag bits for the colour dialog
    QObject* owner = nullptr; // the window the dialog is modal over
    int32_t color = 0;        // the colour dialog's start colour when its flags ask for it, red in the low byte
};

// What the user answered.
struct DialogAnswer {
    bool accepted = false;
    QStringList paths;   // the chosen files as full paths, in the order the dialog gives them
    int filterIndex = 0; // 1-based number of the filter selected on confirmation
    int32_t color = 0;   // the chosen colour, red in the low byte
};

using DialogHandler = std::function<DialogAnswer(const DialogRequest& request)>;

DialogAnswer runFileDialog(const DialogRequest& request);
DialogAnswer runColorDialog(const DialogRequest& request);

// Install the answerer for every later dialog of that kind; each returns the one it replaces.
DialogHandler setFileDialogHandler(DialogHandler handler);
DialogHandler setColorDialogHandler(DialogHandler handler);

} // namespace platform
