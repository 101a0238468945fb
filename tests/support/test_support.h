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

// One 24-bit pixel as stored in a bitmap file.
struct Rgb {
    std::uint8_t r, g, b;
    bool operator==(const Rgb&) const = default;
};

// Writes a 24-bit BMP of the given size; pixels are row-major from the top-left.
void writeBmp24(const std::filesystem::path& path, int width, int height,
                const std::vector<Rgb>& pixels);

// The whole of a file's bytes; empty when it cannot be read.
std::string contentsOf(const std::filesystem::path& path);

// A fresh empty folder under the system temporary folder, removed by the destructor.
class TemporaryFolder {
  public:
    TemporaryFolder();
    ~TemporaryFolder();
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;
    const std::filesystem::path& path() const { return path_; }

  private:
    std::filesystem::path path_;
};

// Runs the test inside `folder` and returns to the previous working folder afterwards.
class WorkingFolder {
  public:
    explicit WorkingFolder(const std::filesystem::path& folder);
    ~WorkingFolder();
    WorkingFolder(const WorkingFolder&) = delete;
    WorkingFolder& operator=(const WorkingFolder&) = delete;

  private:
    std::filesystem::path previous_;
};

// Sets (or, given nullptr, unsets) one environment variable while it lives.
class EnvironmentVariable {
  public:
    EnvironmentVariable(const char* name, const char* value);
    ~EnvironmentVariable();
    EnvironmentVariable(const EnvironmentVariable&) = delete;
    EnvironmentVariable& operator=(const EnvironmentVariable&) = delete;

  private:
    void put(const char* value) const;
    const char* name_;
    std::optional<std::string> was_;
};

// Collects what is written to std::cout while it lives.
struct CoutCapture {
    std::ostringstream text;
    std::streambuf* previous = std::cout.rdbuf(text.rdbuf());
    ~CoutCapture() { std::cout.rdbuf(previous); }
};

// While it lives, files may grow to `bytes` and no further, as on a disk that fills up; the
// signal a write past it raises is ignored from then on, as the game ignores it.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

  private:
    rlimit saved_{};
};

// Sets the test clock to `now` and makes it the current frame's reading too, as the frame loop
// does at the start of each frame; for tests that update pieces without the frame loop.
void setFrameClock(Uint32 now);
// Moves both on by `ms`.
void advanceFrameClock(Uint32 ms);

// A 32-bit surface in the display format with per-pixel alpha, filled with `pixel`.
SDL_Surface* makeAlphaSurface(int width, int height, Uint32 pixel);

// Alpha (0 to 255) of the pixel at (x, y) of a 32-bit surface.
Uint8 alphaAt(SDL_Surface* surface, int x, int y);

// Red, green and blue of the screen pixel at (x, y).
Rgb screenColourAt(int x, int y);

} // namespace testing_support
