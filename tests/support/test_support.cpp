// Bitmaps, folders and pixel probes for the tests.
#include "support/test_support.h"

#include "platform/clock.h"
#include "sprites/mirror_surface.h"
#include "state/globals.h"

#include <atomic>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <unistd.h>

namespace testing_support {

void setFrameClock(Uint32 now) {
    platform::setTestClock(now);
    frameTick = now;
}

void advanceFrameClock(Uint32 ms) {
    setFrameClock(platform::ticks() + ms);
}

SDL_Event keyEvent(Uint8 type, SDLKey key, SDLMod mod) {
    SDL_Event made{};
    made.type = type;
    made.key.keysym.sym = key;
    made.key.keysym.mod = mod;
    return made;
}

int pushEvent(Uint8 type, SDLKey key) {
    SDL_Event made = keyEvent(type, key);
    return SDL_PushEvent(&made);
}

void writeBmp24(const std::filesystem::path& path, int width, int height,
                const std::vector<Rgb>& pixels) {
    SDL_Surface* picture =
        SDL_CreateRGBSurface(SDL_SWSURFACE, width, height, 24, 0xFF0000, 0x00FF00, 0x0000FF, 0);
    for (int at = 0; at < width * height; ++at) {
        Uint8* bytes = static_cast<Uint8*>(picture->pixels) + at / width * picture->pitch +
                       at % width * 3; // blue, green, red: the masks' order in memory
        bytes[0] = pixels[at].b, bytes[1] = pixels[at].g, bytes[2] = pixels[at].r;
    }
    SDL_SaveBMP(picture, path.c_str());
    SDL_FreeSurface(picture);
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

EnvironmentVariable::EnvironmentVariable(const char* variable, const char* value) : name(variable) {
    if (const char* old = std::getenv(name)) {
        was = old;
    }
    value != nullptr ? setenv(name, value, 1) : unsetenv(name);
}

EnvironmentVariable::~EnvironmentVariable() {
    was ? setenv(name, was->c_str(), 1) : unsetenv(name);
}

FileSizeLimit::FileSizeLimit(rlim_t bytes) {
    std::signal(SIGXFSZ, SIG_IGN);
    getrlimit(RLIMIT_FSIZE, &saved);
    const rlimit lowered{bytes, saved.rlim_max};
    setrlimit(RLIMIT_FSIZE, &lowered);
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
