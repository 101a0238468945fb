// The game's music, composed and synthesised.
#pragma once

#include "audio/synth.h"

namespace audio {

// The looping music track, rendered so that its end runs seamlessly into its start.
Stereo nightTheme();

} // namespace audio
