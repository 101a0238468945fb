// Shared test helpers: small bitmaps on disk, a clean shell, temporary folders, captured output.
#pragma once

#include <SDL/SDL.h>

#include <sys/resource.h>

#include <cstdint>
#include <filesystem>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace testing_support {

struct Rgb { // one 24-bit pixel as stored in a bitmap file
    std::uint8_t r, g, b;
    bool operator==(const Rgb&) const = default;
};

// Writes a 24-bit BMP of the given size; pixels are row-major from the top-left.
void writeBmp24(const std::filesystem::path& path, int width, int height,
                const std::vector<Rgb>& pixels);

std::string contentsOf(const std::filesystem::path& path); // empty when it cannot be read

// What each helper below changes it undoes when it goes, once: none is copied.
struct Scoped {
    Scoped() = default;
    Scoped(const Scoped&) = delete;
    Scoped& operator=(const Scoped&) = delete;
};

class TemporaryFolder : Scoped { // a fresh empty folder under the system's, removed after
  public:
    TemporaryFolder();
    ~TemporaryFolder();
    const std::filesystem::path& path() const { return path_; }

  private:
    std::filesystem::path path_;
};

struct WorkingFolder : Scoped { // inside `folder` while it lives
    explicit WorkingFolder(const std::filesystem::path& folder) {
        std::filesystem::current_path(folder);
    }
    ~WorkingFolder() { std::filesystem::current_path(previous); }
    const std::filesystem::path previous = std::filesystem::current_path();
};

struct EnvironmentVariable : Scoped { // one variable set (nullptr: unset) while it lives
    EnvironmentVariable(const char* variable, const char* value);
    ~EnvironmentVariable();
    const char* name;
    std::optional<std::string> was;
};

struct CoutCapture : Scoped { // collects what is written to std::cout while it lives
    std::ostringstream text;
    std::streambuf* previous = std::cout.rdbuf(text.rdbuf());
    ~CoutCapture() { std::cout.rdbuf(previous); }
};

// Files may grow to `bytes` while it lives, as on a full disk; SIGXFSZ is ignored, as by the game.
struct FileSizeLimit : Scoped {
    explicit FileSizeLimit(rlim_t bytes);
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &saved); }
    rlimit saved{};
};

// Sets the test clock and the frame's reading to `now`, as a frame's start does.
void setFrameClock(Uint32 now);
void advanceFrameClock(Uint32 ms); // moves both on by `ms`

// An event of `type`, with `key` and `mod` when it is a key's.
SDL_Event keyEvent(Uint8 type, SDLKey key = SDLK_UNKNOWN, SDLMod mod = KMOD_NONE);
int pushEvent(Uint8 type, SDLKey key = SDLK_UNKNOWN); // queued as SDL would on its arrival

// A 32-bit surface in the display format with per-pixel alpha, filled with `pixel`.
SDL_Surface* makeAlphaSurface(int width, int height, Uint32 pixel);

Uint8 alphaAt(SDL_Surface* surface, int x, int y); // 0 to 255, of a 32-bit surface

Rgb screenColourAt(int x, int y); // of the screen

} // namespace testing_support
