#pragma once

#include "scroll/animationsettings.h"

// The scroll benchmarks' job, a sign like a real one: a 385 × 17 cell board of lettering, lit and unlit
// dots of 8 × 8 pixels with 7 colours each, a 64-cell panel, 50 ms per frame: 385 frames of 512 × 136.
namespace bench {

scroll::Sign scrollSign();
scroll::AnimationSettings scrollSettings();

} // namespace bench
