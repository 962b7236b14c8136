#pragma once

#include "output/writeboard.h"
#include "platform/surface.h"

#include <QString>

#include <cstdint>
#include <functional>

class QObject;

namespace output {

// The save dialog's filters, in order, each description and pattern followed by a NUL.
QString saveFilterPattern();

// The name the board is written under: a name whose extension does not fit the chosen filter gets the
// filter's extension appended in upper case (filter 1 accepts any of .BMP, .JPG and .PNG).
QString settleFileName(const QString& name, int32_t filterIndex);

// The save command: asks for a name, settles the format, asks before overwriting a file that is not
// empty, shows "Saving " and then ">" and the file's own name in the status line. A failure is told
// in a message box and the status line goes back to what it showed; a cancel changes nothing. cellSize
// is the size of the cells the board is painted in (see writeBoard), empty before the first render.
void SaveBoard(const platform::Surface& board, QSize cellSize, const SaveOptions& options, QObject* owner,
               QString statusBefore, const std::function<void(const QString&)>& showStatus);

} // namespace output
