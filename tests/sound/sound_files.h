// Sound files for the tests: short WAV tones, an Ogg Vorbis music track, a ready game engine,
// and the engine's thrown messages.
#pragma once

#include <filesystem>
#include <string>

namespace testing_support {

// Sample rate of every file written here.
constexpr int testSoundRate = 22050;

// Writes a mono 16-bit PCM WAV holding a quiet tone of `milliseconds`, creating missing folders.
void writeWav(const std::filesystem::path& path, int milliseconds);

// Writes a mono Ogg Vorbis file holding a quiet tone of `milliseconds`, creating missing folders.
void writeOggVorbis(const std::filesystem::path& path, int milliseconds);

// Initialises SoundEngine::instance() once per process with quiet versions of the three samples
// the game requests and a music file, so tests of pieces that ask for sounds can run. Later
// calls do nothing. The files are gone again when it returns; everything stays decoded.
void initialiseGameSoundEngine();

// The message a call threw as a plain pointer, or "" when it threw nothing.
template <typename Call> std::string messageThrownBy(Call call) {
    try {
        call();
    } catch (const char* message) {
        return message;
    }
    return "";
}

} // namespace testing_support
