#pragma once

#include "board/cellgrid.h"
#include "board/markedtext.h"
#include "dots/dotstyle.h"
#include "platform/result.h"

#include <QImage>
#include <QString>

#include <optional>

namespace dots {

// Reads the colour marks of a message into marked: {name} (a preset colour's name, in any case) or {#RRGGBB}
// lights the characters after it in that colour, {} in the sign's own colour again, and {{ stands for a "{".
// Marks take no room: marked.text is the message without them. A mark that names no colour or is left open
// fails with Failure::BadColourMark, a colour beyond the MaxCellColour − 1 a sign can hold besides its own with
// Failure::TooManyColours; either names the mark in its detail and leaves marked as it was.
platform::Result readColourMarks(const QString& message, board::MarkedText& marked);

// The lit dot in a further colour: with generated dots, their style's lit dot in that colour; with a lit dot
// picture, the picture tinted.
QImage litDotIn(QRgb colour, const QImage& litPicture, const std::optional<DotStyle>& style);

} // namespace dots
