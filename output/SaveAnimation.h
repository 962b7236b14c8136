#pragma once

#include "scroll/animationsettings.h"

#include <QString>

#include <cstdint>
#include <functional>

class QObject;

namespace output {

// The animation save dialog's filters, in order, each description and pattern followed by a NUL.
QString animationFilterPattern();

// The name an animation is written under: a name whose extension does not fit the chosen filter gets the
// filter's extension appended in lower case.
QString settleAnimationName(const QString& name, int32_t filterIndex);

// The command that saves the scrolling sign as an animation, with the same dialog steps, question and
// status line as the board's save command.
void SaveAnimation(const scroll::Sign& sign, const scroll::AnimationSettings& settings, QObject* owner,
                   QString statusBefore, const std::function<void(const QString&)>& showStatus);

} // namespace output
