#pragma once

#include "scroll/animationsettings.h"
#include "scroll/cheaderencoder.h"

#include <QString>

#include <optional>

namespace scroll {

enum class AnimationFormat {
    Gif,     // animated GIF: exact up to 256 colours, a median-cut palette beyond
    WebP,    // animated WebP, lossless
    Apng,    // animated PNG
    Pbm,     // Netpbm P4, one image of cells per frame (1 = lit)
    CHeader, // a C header with the frames' cells as bits for LED panels
};

// The format a file name asks for by its extension, in any case: .gif, .webp, .png, .pbm, .h.
std::optional<AnimationFormat> animationFormatOf(const QString& fileName);

// Writes the animation of sign with settings to fileName in format. Frames are made and encoded one at
// a time. The file is replaced whole or not at all; a failure (of checkSettings, the encoder or the
// system) names fileName and leaves any earlier file as it was.
// header says how a C header stores the sign.
platform::Result writeAnimation(const Sign& sign, const AnimationSettings& settings, const QString& fileName,
                                AnimationFormat format, const CHeaderOptions& header = {});

} // namespace scroll
