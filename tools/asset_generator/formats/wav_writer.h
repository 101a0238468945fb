// Writing sounds as 16-bit PCM WAVE files.
#pragma once

#include "audio/synth.h"

#include <filesystem>

namespace audio {

// A mono 16-bit little-endian PCM file at the mixer's rate; samples are clipped to [-1, 1].
void writeWav(const std::filesystem::path& path, const Samples& samples);

} // namespace audio
