#pragma once

#include "board/DrawBoard.h"
#include "dots/dotstyle.h"
#include "platform/surface.h"

#include <QString>
#include <QStringList>

#include <cstdint>

namespace dots {

// Replaces the picture of Dot(index) (0 the lit dot, 1 the unlit dot) with the image in a file: a PNG
// when the name ends in ".png" in any case, otherwise a BMP, ICO, JPEG or GIF file recognised by its
// content. Returns 0 when loaded, 1 when not; a file that cannot be loaded leaves the box as it was.
// Nothing is reported and nothing is redrawn: the next render uses the new dot.
int16_t LoadDotImage(board::BoardState& state, const QString& fileName, int16_t index);

// Loads a PNG file into box: the signature must match; the box takes the IHDR width and height as its
// size (a box must fit in the surface limit and, when setsCellSize (the lit dot), each side in 16 bits, or
// the file is refused) and the decoded image is drawn over the box's back colour from the origin. Returns
// whether the box now holds the image; otherwise the box is as it was. A file that cannot be opened
// raises error 53 or 75.
bool LoadPngDot(platform::Surface& box, const QString& fileName, bool setsCellSize);

// Tries the dropped files in order, by the upper-cased last four characters of their names (".BMP",
// ".JPG", ".ICO", ".PNG", and ".GIF" only when allowGif), until one loads into Dot(index). Skipped and
// failing files are passed over silently. Returns whether one loaded.
bool loadDroppedDotFiles(board::BoardState& state, const QStringList& fileNames, int16_t index, bool allowGif);

// Replaces both dot pictures with the lit and unlit dots style makes; the lit dot's size is the cell size, as a
// loaded lit dot's is.
void useGeneratedDots(board::BoardState& state, const DotStyle& style);

} // namespace dots
