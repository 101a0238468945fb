// Replaces malloc and its kin in the benchmark binary (SDL's and the C++ library's allocations go
// through them too) and wraps SDL_CreateRGBSurface and SDL_FreeSurface (linked with --wrap), so
// that allocations made for a mirrored copy can be told from all others.
#include "alloc_counter.h"

#include <atomic>
#include <cstddef>

extern "C" {
void* __libc_malloc(size_t size);
void* __libc_calloc(size_t count, size_t size);
void* __libc_realloc(void* block, size_t size);
void __libc_free(void* block);

SDL_Surface* __real_SDL_CreateRGBSurface(Uint32 flags, int width, int height, int depth,
                                         Uint32 rmask, Uint32 gmask, Uint32 bmask, Uint32 amask);
void __real_SDL_FreeSurface(SDL_Surface* surface);
}

namespace bench {
namespace {

std::atomic<bool> counting{false};
std::atomic<long> allocations{0};
std::atomic<long> inCopies{0};
std::atomic<long> surfaces{0};
std::atomic<SDL_Surface*> copyAlive{nullptr};
std::atomic<bool> makingCopy{false};

void noteAllocation() {
    if (!counting.load(std::memory_order_relaxed)) {
        return;
    }
    allocations.fetch_add(1, std::memory_order_relaxed);
    if (makingCopy.load(std::memory_order_relaxed) ||
        copyAlive.load(std::memory_order_relaxed) != nullptr) {
        inCopies.fetch_add(1, std::memory_order_relaxed);
    }
}

} // namespace

void startCounting() {
    allocations = 0;
    inCopies = 0;
    surfaces = 0;
    counting = true;
}

AllocationCounts stopCounting() {
    counting = false;
    return {allocations.load(), inCopies.load(), surfaces.load()};
}

SDL_Surface* liveCopy() {
    return copyAlive.load(std::memory_order_relaxed);
}

} // namespace bench

extern "C" {

void* malloc(size_t size) {
    bench::noteAllocation();
    return __libc_malloc(size);
}

void* calloc(size_t count, size_t size) {
    bench::noteAllocation();
    return __libc_calloc(count, size);
}

void* realloc(void* block, size_t size) {
    bench::noteAllocation();
    return __libc_realloc(block, size);
}

void free(void* block) {
    __libc_free(block);
}

// The game makes surfaces during play only for mirrored copies, each freed right after its blit.
SDL_Surface* __wrap_SDL_CreateRGBSurface(Uint32 flags, int width, int height, int depth,
                                         Uint32 rmask, Uint32 gmask, Uint32 bmask, Uint32 amask) {
    if (bench::counting.load(std::memory_order_relaxed)) {
        bench::surfaces.fetch_add(1, std::memory_order_relaxed);
    }
    bench::makingCopy = true;
    SDL_Surface* made =
        __real_SDL_CreateRGBSurface(flags, width, height, depth, rmask, gmask, bmask, amask);
    bench::makingCopy = false;
    bench::copyAlive = made;
    return made;
}

void __wrap_SDL_FreeSurface(SDL_Surface* surface) {
    __real_SDL_FreeSurface(surface);
    if (surface != nullptr && surface == bench::copyAlive.load()) {
        bench::copyAlive = nullptr;
    }
}
}
