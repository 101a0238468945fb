// Writing sounds as 16-bit PCM WAVE files, and the sounds the game asks for.
#pragma once

#include "audio/synth.h"

#include <filesystem>

namespace audio {

// A mono 16-bit little-endian PCM file at the mixer's rate; samples are clipped to [-1, 1].
void writeWav(const std::filesystem::path& path, const Samples& samples);

// The effects, ready to write.
Samples slash();
Samples scream();
Samples gameOverJingle();

// The looping music track, rendered so that its end runs seamlessly into its start.
Stereo nightTheme();

// Encodes a stereo sound as Ogg Vorbis with a fixed stream serial, so equal input gives
// equal bytes.
void writeOgg(const std::filesystem::path& path, const Stereo& sound, float quality);

} // namespace audio
