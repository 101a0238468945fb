// ghoulrun_audio_probe: loudness over time of a raw audio file as SDL's disk driver writes it
// (signed 16-bit little-endian, interleaved stereo), so shell scripts can tell when a sound starts.
//
// Usage: ghoulrun_audio_probe FILE [--rate HZ] [--window MS] [--from BYTE]
// Prints one line per whole window, starting at byte offset --from (rounded down to a frame):
//   <ms since --from> <rms> <peak> <edge rms>
// rms and peak are of the mono mix in 16-bit units (0 to 32767); edge rms is the rms of the
// difference between neighbouring samples, which weighs high, noisy sounds over low, tonal ones.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr int bytesPerFrame = 4; // two channels of 16 bits
constexpr long defaultRate = 22050;
constexpr long defaultWindowMs = 50;
constexpr int badUsage = 2;
constexpr int unreadable = 1;

struct Options {
    std::string path;
    long rate = defaultRate;
    long windowMs = defaultWindowMs;
    long long from = 0;
};

struct Loudness {
    double rms = 0;
    int peak = 0;
    double edgeRms = 0;
};

int usage() {
    std::fprintf(stderr,
                 "usage: ghoulrun_audio_probe FILE [--rate HZ] [--window MS] [--from BYTE]\n");
    return badUsage;
}

bool parse(int argc, char* argv[], Options& options) {
    if (argc < 2) {
        return false;
    }
    options.path = argv[1];
    for (int i = 2; i + 1 < argc; i += 2) {
        const std::string_view name = argv[i];
        const long long value = std::strtoll(argv[i + 1], nullptr, 10);
        if (name == "--rate" && value > 0) {
            options.rate = static_cast<long>(value);
        } else if (name == "--window" && value > 0) {
            options.windowMs = static_cast<long>(value);
        } else if (name == "--from" && value >= 0) {
            options.from = value - value % bytesPerFrame;
        } else {
            return false;
        }
    }
    return argc % 2 == 0;
}

// Little-endian signed 16-bit sample at byte offset `at`.
int sampleAt(const std::vector<unsigned char>& bytes, std::size_t at) {
    const auto raw = static_cast<std::uint16_t>(bytes[at] | (bytes[at + 1] << 8));
    return static_cast<std::int16_t>(raw);
}

Loudness measure(const std::vector<unsigned char>& bytes) {
    const std::size_t frames = bytes.size() / bytesPerFrame;
    double sumSquares = 0;
    double sumEdgeSquares = 0;
    int peak = 0;
    double previous = 0;
    for (std::size_t i = 0; i < frames; ++i) {
        const std::size_t at = i * bytesPerFrame;
        const double mono = (sampleAt(bytes, at) + sampleAt(bytes, at + 2)) / 2.0;
        sumSquares += mono * mono;
        if (i > 0) {
            sumEdgeSquares += (mono - previous) * (mono - previous);
        }
        previous = mono;
        peak = std::max(peak, static_cast<int>(std::fabs(mono)));
    }
    Loudness loudness;
    if (frames > 0) {
        loudness.rms = std::sqrt(sumSquares / static_cast<double>(frames));
        loudness.edgeRms = std::sqrt(sumEdgeSquares / static_cast<double>(frames));
        loudness.peak = peak;
    }
    return loudness;
}

} // namespace

int main(int argc, char* argv[]) {
    Options options;
    if (!parse(argc, argv, options)) {
        return usage();
    }
    std::ifstream file(options.path, std::ios::binary);
    if (!file) {
        std::fprintf(stderr, "ghoulrun_audio_probe: cannot read %s\n", options.path.c_str());
        return unreadable;
    }
    file.seekg(options.from);

    const long framesPerWindow = std::max(1L, options.rate * options.windowMs / 1000);
    std::vector<unsigned char> window(static_cast<std::size_t>(framesPerWindow) * bytesPerFrame);
    for (long index = 0;; ++index) {
        file.read(reinterpret_cast<char*>(window.data()),
                  static_cast<std::streamsize>(window.size()));
        if (file.gcount() != static_cast<std::streamsize>(window.size())) {
            break;
        }
        const Loudness loudness = measure(window);
        const long startMs = index * framesPerWindow * 1000 / options.rate;
        std::printf("%ld %.1f %d %.1f\n", startMs, loudness.rms, loudness.peak, loudness.edgeRms);
    }
    return 0;
}
