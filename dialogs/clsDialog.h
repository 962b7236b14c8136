#pragma once

#include "platform/commondialogs.h"

#include <QString>

#include <cstdint>

class QObject;

namespace dialogs {

// The open, save and colour dialogs for one use: the caller sets the fields, reads one of OpenFile,
// SaveFile or ColorCode (which shows the dialog modally over owner) and reads back what it needs.
// Nothing is trapped: errors reach the caller.
class clsDialog {
public:
    QString SelectTitle;   // the file dialog's title
    QString SelectFlags;   // the file dialog's FileDialogFlag bits in decimal; read at each use, error 13 if no number
    QString DefaultFolder; // where the file dialog opens; empty lets the dialog choose
    int32_t FilterIndex = 0; // after SaveFile: the 1-based filter chosen, 0 after a cancel
    QString FilterPattern;   // description, NUL, patterns separated by ";", NUL, ...; the first filter is preselected
    int32_t SelectColor = 0; // RGB with red in the low byte, handed to and returned by ColorCode
    uint32_t ColorFlags = 0; // the colour dialog's ColorDialogFlag bits; CcRgbInit starts it from SelectColor

    // The chosen path, several joined by one space (folder + "/" + name each), "" on cancel.
    // A chosen path that does not exist raises error 53. An answer that does not fit the dialog's buffer of
    // 30000 characters (NULs included) counts as a failed dialog, as does a cancel.
    QString OpenFile(QObject* owner);
    // The chosen path and FilterIndex set to the chosen filter; "" and FilterIndex 0 on cancel.
    QString SaveFile(QObject* owner);
    // Whether a colour was confirmed; only then SelectColor holds it.
    bool ColorCode(QObject* owner);

private:
    platform::DialogRequest fileRequest(platform::DialogKind kind, QObject* owner) const;
};

} // namespace dialogs
