// Sound files for the tests (short quiet tones) and the engine's thrown messages.
#pragma once

#include <filesystem>
#include <string>

namespace testing_support {

constexpr int testSoundRate = 22050;

// Mono 16-bit PCM WAV and mono Ogg Vorbis tones of `milliseconds`; missing folders are made.
void writeWav(const std::filesystem::path& path, int milliseconds);
void writeOggVorbis(const std::filesystem::path& path, int milliseconds);

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
