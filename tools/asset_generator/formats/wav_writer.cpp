// The 16-bit PCM WAVE writer.
#include "formats/wav_writer.h"

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <stdexcept>

namespace audio {

namespace {

void putLittleEndian(std::vector<char>& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
    }
}

void putText(std::vector<char>& out, const char* text) {
    out.insert(out.end(), text, text + 4);
}

} // namespace

void writeWav(const std::filesystem::path& path, const Samples& samples) {
    constexpr int channels = 1;
    constexpr int bytesPerSample = 2;
    const std::uint32_t dataBytes = static_cast<std::uint32_t>(samples.size()) * bytesPerSample;
    std::vector<char> out;
    putText(out, "RIFF");
    putLittleEndian(out, 36 + dataBytes, 4);
    putText(out, "WAVE");
    putText(out, "fmt ");
    putLittleEndian(out, 16, 4);
    putLittleEndian(out, 1, 2); // PCM
    putLittleEndian(out, channels, 2);
    putLittleEndian(out, sampleRate, 4);
    putLittleEndian(out, sampleRate * channels * bytesPerSample, 4);
    putLittleEndian(out, channels * bytesPerSample, 2);
    putLittleEndian(out, 8 * bytesPerSample, 2);
    putText(out, "data");
    putLittleEndian(out, dataBytes, 4);
    for (float s : samples) {
        const long level = std::lround(std::clamp(static_cast<double>(s), -1.0, 1.0) * 32767.0);
        putLittleEndian(out, static_cast<std::uint32_t>(static_cast<std::int16_t>(level)) & 0xFFFF,
                        2);
    }
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(out.data(), static_cast<std::streamsize>(out.size()));
    if (!file) {
        throw std::runtime_error("cannot write " + path.string());
    }
}

} // namespace audio
