#pragma once

#include "platform/filetypes.h"
#include "scroll/animationsettings.h"
#include "scroll/cheaderencoder.h"

#include <QString>

#include <optional>

namespace scroll {

using platform::AnimationFormat;
using platform::animationFormatOf;

// Writes the animation of sign with settings to fileName in format. Frames are made and encoded one at
// a time. The file is replaced whole or not at all; a failure (of checkSettings, the encoder or the
// system) names fileName and leaves any earlier file as it was.
// header says how a C header stores the sign.
platform::Result writeAnimation(const Sign& sign, const AnimationSettings& settings, const QString& fileName,
                                AnimationFormat format, const CHeaderOptions& header = {});

} // namespace scroll
