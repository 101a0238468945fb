// Preloaded into the game by the real-window tests: freezes the game and its clock, counts frames.
//
// SIGUSR1 stops the whole process (SIGSTOP) and holds SDL_GetTicks at its reading; after SIGCONT
// the ticks go on from there, and SDL_Delay waits by them. So time spent frozen never happens for
// the game: no enemy walks, no wait runs down, and the sound thread stops too, so the disk audio
// file holds exactly the sound of the time the game ran. SIGUSR1 and SIGCONT are blocked in every
// thread and taken by this library's own, so no thread of the game is ever interrupted.
// With GHOULRUN_FRAME_FILE set, the count of frames shown (SDL_Flip) is kept in that 8-byte file.
// With GHOULRUN_FREEZE_AT_FIRST_FRAME set, the game freezes as soon as it has shown its first
// frame: however slowly a busy machine lets a scenario notice that the game plays, no time passes
// for it.
#include <SDL/SDL.h>

#include <dlfcn.h>
#include <fcntl.h>
#include <pthread.h>
#include <sched.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

// The longest real wait SDL_Delay makes before it looks at the game's clock again.
constexpr Uint32 delayStepMs = 5;

template <typename Function> Function sdl(const char* name) {
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

Uint32 sdlTicks() {
    static const auto real = sdl<Uint32 (*)()>("SDL_GetTicks");
    return real();
}

std::atomic<Uint32> generation{0}; // odd while frozen; a reading made while it changed is redone
std::atomic<Uint32> frozenAt{0};
std::atomic<Uint32> heldMs{0};      // all the time spent frozen so far
std::atomic<Uint32> lastReading{0}; // a reading made as the game stops may pass the one it stops at

Uint32 readClock() {
    for (;;) {
        const Uint32 before = generation.load();
        if (before % 2 == 1) {
            return frozenAt.load();
        }
        const Uint32 reading = sdlTicks() - heldMs.load();
        if (generation.load() == before) {
            return reading;
        }
    }
}

Uint32 gameTicks() {
    const Uint32 reading = readClock();
    Uint32 last = lastReading.load();
    while (static_cast<Sint32>(reading - last) > 0) { // never back, in the game's Uint32 arithmetic
        if (lastReading.compare_exchange_weak(last, reading)) {
            return reading;
        }
    }
    return last;
}

sigset_t signalSet(int first, int second) {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, first);
    sigaddset(&set, second);
    return set;
}

void* takeFreezeRequests(void*) {
    const sigset_t request = signalSet(SIGUSR1, SIGUSR1);
    const sigset_t goOn = signalSet(SIGCONT, SIGCONT);
    const timespec now{0, 0};
    for (int signal = 0;;) {
        if (sigwait(&request, &signal) != 0) {
            continue;
        }
        frozenAt.store(gameTicks());
        generation.fetch_add(1);
        while (sigtimedwait(&goOn, nullptr, &now) > 0) { // a SIGCONT from before must not thaw
        }
        kill(getpid(), SIGSTOP);
        while (sigwait(&goOn, &signal) != 0) {
        }
        heldMs.store(sdlTicks() - frozenAt.load());
        generation.fetch_add(1);
    }
    return nullptr;
}

// Runs before the game's main and its threads, so every thread inherits the blocked signals.
__attribute__((constructor)) void startFreezeThread() {
    const sigset_t ours = signalSet(SIGUSR1, SIGCONT);
    pthread_sigmask(SIG_BLOCK, &ours, nullptr);
    pthread_t thread;
    if (pthread_create(&thread, nullptr, takeFreezeRequests, nullptr) == 0) {
        pthread_detach(thread);
    }
}

int openFrameFile() {
    const char* path = std::getenv("GHOULRUN_FRAME_FILE");
    return path == nullptr ? -1 : open(path, O_WRONLY | O_CREAT | O_TRUNC, 0644);
}

} // namespace

extern "C" Uint32 SDL_GetTicks() {
    return gameTicks();
}

extern "C" void SDL_Delay(Uint32 ms) {
    static const auto real = sdl<void (*)(Uint32)>("SDL_Delay");
    const Uint32 start = gameTicks();
    for (Uint32 waited = 0; waited < ms; waited = gameTicks() - start) {
        real(ms - waited < delayStepMs ? ms - waited : delayStepMs);
    }
}

extern "C" int SDL_Flip(SDL_Surface* screen) {
    static const auto real = sdl<int (*)(SDL_Surface*)>("SDL_Flip");
    static const int frameFile = openFrameFile();
    static std::uint64_t frames = 0; // only the game thread draws
    const int result = real(screen);
    ++frames;
    if (frameFile >= 0 && pwrite(frameFile, &frames, sizeof frames, 0) < 0) {
        std::perror("ghoulrun_game_freeze: frame count");
    }
    if (frames == 1 && std::getenv("GHOULRUN_FREEZE_AT_FIRST_FRAME") != nullptr) {
        // This thread waits until the freeze has begun, so the game makes no step past the frame.
        const Uint32 before = generation.load();
        kill(getpid(), SIGUSR1);
        while (generation.load() == before) {
            sched_yield();
        }
    }
    return result;
}
