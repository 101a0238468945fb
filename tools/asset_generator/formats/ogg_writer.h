// Writing stereo sounds as Ogg Vorbis files, for the music.
#pragma once

#include "audio/synth.h"

#include <filesystem>

namespace audio {

// Encodes a stereo sound as Ogg Vorbis with a fixed stream serial, so equal input gives
// equal bytes.
void writeOgg(const std::filesystem::path& path, const Stereo& sound, float quality);

} // namespace audio
