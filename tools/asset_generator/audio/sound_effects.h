// The game's sound effects, synthesised.
#pragma once

#include "audio/synth.h"

namespace audio {

// The effects, ready to write.
Samples slash();
Samples scream();
Samples gameOverJingle();

} // namespace audio
