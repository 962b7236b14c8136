#pragma once

#include "platform/result.h"

#include <QString>

#include <cstdint>
#include <functional>

class QObject;

namespace output {

// What a save command asks in its dialog, and how it settles the chosen name for the chosen filter.
struct SaveDialog {
    QString title;
    QString filterPattern; // description, NUL, patterns, NUL, ...; the first filter is preselected
    std::function<QString(const QString& name, int32_t filterIndex)> settleName;
};

// A save command's steps: asks for a name, settles it, asks before overwriting a file that is not empty,
// shows "Saving " and then ">" and the file's own name in the status line. A failure is told in a message
// box and the status line goes back to what it showed; a cancel changes nothing.
void saveThroughDialog(const SaveDialog& dialog, QObject* owner, const QString& statusBefore,
                       const std::function<void(const QString&)>& showStatus,
                       const std::function<platform::Result(const QString& name)>& write);

} // namespace output
