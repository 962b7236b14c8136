#pragma once

#include "board/DrawBoard.h"

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

enum class ImageFormat { Bmp, Jpeg, Png };
// The format by the name's last four characters, upper-cased: .JPG and .PNG, anything else BMP.
ImageFormat formatOf(const QString& fileName);

// Writes the board's drawing area to fileName in format with the JPEG and PNG settings. Returns the
// reason it failed, or an empty text when the file was written.
QString writeBoard(const board::BoardState& state, const QString& fileName, ImageFormat format);

// The save command: asks for a name, settles the format, asks before overwriting a file that is not
// empty, shows "Saving " and then ">" and the file's own name in the status line. A failure is told
// in a message box and the status line goes back to what it showed; a cancel changes nothing.
void SaveBoard(const board::BoardState& state, QObject* owner, QString statusBefore,
               const std::function<void(const QString&)>& showStatus);

} // namespace output
