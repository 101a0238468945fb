// Bitmaps, folders and pixel probes for the tests.
#include "support/test_support.h"

#include "platform/clock.h"
#include "sprites/mirror_surface.h"
#include "state/globals.h"

#include <atomic>
#include <fstream>
#include <iterator>
#include <unistd.h>

namespace testing_support {
namespace {

void putLittleEndian(std::ofstream& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out.put(static_cast<char>((value >> (8 * i)) & 0xFF));
    }
}

} // namespace

void setFrameClock(Uint32 now) {
    platform::setTestClock(now);
    frameTick = now;
}

void advanceFrameClock(Uint32 ms) {
    setFrameClock(platform::ticks() + ms);
}

void writeBmp24(const std::filesystem::path& path, int width, int height,
                const std::vector<Rgb>& pixels) {
    const int rowBytes = (width * 3 + 3) & ~3;
    const std::uint32_t dataSize = rowBytes * height;
    std::ofstream out(path, std::ios::binary);
    out.put('B');
    out.put('M');
    putLittleEndian(out, 54 + dataSize, 4);
    putLittleEndian(out, 0, 4);
    putLittleEndian(out, 54, 4);
    putLittleEndian(out, 40, 4);
    putLittleEndian(out, width, 4);
    putLittleEndian(out, height, 4);
    putLittleEndian(out, 1, 2);
    putLittleEndian(out, 24, 2);
    for (int field = 0; field < 6; ++field) {
        putLittleEndian(out, field == 1 ? dataSize : 0, 4);
    }
    for (int y = height - 1; y >= 0; --y) {
        for (int x = 0; x < width; ++x) {
            const Rgb& p = pixels[y * width + x];
            out.put(static_cast<char>(p.b));
            out.put(static_cast<char>(p.g));
            out.put(static_cast<char>(p.r));
        }
        for (int pad = width * 3; pad < rowBytes; ++pad) {
            out.put(0);
        }
    }
}

std::string contentsOf(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

TemporaryFolder::TemporaryFolder() {
    static std::atomic<int> counter{0};
    path_ = std::filesystem::temp_directory_path() /
            ("ghoulrun-test-" + std::to_string(getpid()) + "-" + std::to_string(counter++));
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
}

TemporaryFolder::~TemporaryFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

WorkingFolder::WorkingFolder(const std::filesystem::path& folder)
    : previous_(std::filesystem::current_path()) {
    std::filesystem::current_path(folder);
}

WorkingFolder::~WorkingFolder() {
    std::filesystem::current_path(previous_);
}

SDL_Surface* makeAlphaSurface(int width, int height, Uint32 pixel) {
    SDL_Surface* plain = SDL_CreateRGBSurface(SDL_SWSURFACE, width, height, 32, 0x00FF0000,
                                              0x0000FF00, 0x000000FF, 0xFF000000);
    SDL_FillRect(plain, nullptr, pixel);
    return plain;
}

Uint8 alphaAt(SDL_Surface* surface, int x, int y) {
    Uint8 r, g, b, a;
    SDL_GetRGBA(getPixel(surface, x, y), surface->format, &r, &g, &b, &a);
    return a;
}

Rgb screenColourAt(int x, int y) {
    Uint8 r, g, b;
    SDL_GetRGB(getPixel(screen, x, y), screen->format, &r, &g, &b);
    return {r, g, b};
}

} // namespace testing_support
