// Counts the frames the game shows, for the soak: preloaded into the game, it wraps SDL_Flip and
// keeps the count in an 8-byte file named by SOAK_FRAME_FILE, which the soak reads while the
// game runs. Without that variable it only passes the calls on.
#include <SDL/SDL.h>

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>

namespace {

using FlipFunction = int (*)(SDL_Surface*);

std::atomic<std::uint64_t>* openCounter() {
    const char* path = std::getenv("SOAK_FRAME_FILE");
    if (path == nullptr) {
        return nullptr;
    }
    const int file = open(path, O_RDWR | O_CREAT | O_TRUNC, 0644);
    if (file < 0 || ftruncate(file, sizeof(std::uint64_t)) != 0) {
        return nullptr;
    }
    void* shared =
        mmap(nullptr, sizeof(std::uint64_t), PROT_READ | PROT_WRITE, MAP_SHARED, file, 0);
    close(file);
    return shared == MAP_FAILED ? nullptr : static_cast<std::atomic<std::uint64_t>*>(shared);
}

} // namespace

extern "C" int SDL_Flip(SDL_Surface* screen) {
    static const auto realFlip = reinterpret_cast<FlipFunction>(dlsym(RTLD_NEXT, "SDL_Flip"));
    static std::atomic<std::uint64_t>* const frames = openCounter();
    if (frames != nullptr) {
        frames->fetch_add(1, std::memory_order_relaxed);
    }
    return realFlip(screen);
}
