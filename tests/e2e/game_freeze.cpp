// Preloaded into the game by the real-window tests: freezes the game and its clock, counts frames.
// SIGUSR1 stops the process (SIGSTOP) and holds SDL_GetTicks at its reading; after SIGCONT the
// ticks go on from there and SDL_Delay waits by them: for the game the frozen time never happens.
// This library's own thread takes both signals, blocked in every other. GHOULRUN_FRAME_FILE: two
// 8-byte counts, the frames shown and the clock at the last freeze. GHOULRUN_RUN_FOR_FILE, read at
// each thaw: ms of play until it freezes on a frame; GHOULRUN_FREEZE_AT_FIRST_FRAME: on the first.
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

constexpr Uint32 delayStepMs = 5; // the longest real wait of SDL_Delay between looks at the clock

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
std::atomic<bool> freezeDue{false}; // on the frame shown once the clock reaches stopAt
std::atomic<Uint32> stopAt{0};
int frameFile = -1;
const char* runForPath = nullptr;

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

// Milliseconds of play until the game is to freeze itself; 0 for as long as the scenario likes.
Uint32 readRunFor() {
    unsigned ms = 0;
    if (std::FILE* file = runForPath == nullptr ? nullptr : std::fopen(runForPath, "r")) {
        ms = std::fscanf(file, "%u", &ms) == 1 ? ms : 0;
        std::fclose(file);
    }
    return ms;
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
        const std::uint64_t clock = frozenAt.load();
        if (frameFile >= 0 && pwrite(frameFile, &clock, sizeof clock, sizeof clock) < 0) {
            std::perror("ghoulrun_game_freeze: clock");
        }
        while (sigtimedwait(&goOn, nullptr, &now) > 0) { // a SIGCONT from before must not thaw
        }
        kill(getpid(), SIGSTOP);
        while (sigwait(&goOn, &signal) != 0) {
        }
        heldMs.store(sdlTicks() - frozenAt.load());
        const Uint32 runFor = readRunFor();
        stopAt.store(frozenAt.load() + runFor);
        freezeDue.store(runFor > 0);
        generation.fetch_add(1);
    }
    return nullptr;
}

// Runs before the game's main and its threads, so every thread inherits the blocked signals.
__attribute__((constructor)) void startFreezeThread() {
    const char* framePath = std::getenv("GHOULRUN_FRAME_FILE");
    frameFile = framePath == nullptr ? -1 : open(framePath, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    runForPath = std::getenv("GHOULRUN_RUN_FOR_FILE");
    freezeDue.store(std::getenv("GHOULRUN_FREEZE_AT_FIRST_FRAME") != nullptr);
    const sigset_t ours = signalSet(SIGUSR1, SIGCONT);
    pthread_sigmask(SIG_BLOCK, &ours, nullptr);
    pthread_t thread;
    if (pthread_create(&thread, nullptr, takeFreezeRequests, nullptr) == 0) {
        pthread_detach(thread);
    }
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
    static std::uint64_t frames = 0; // only the game thread draws
    static Uint32 frameBegun = 0; // the clock as the game began this frame: as the last one ended
    const int result = real(screen);
    ++frames;
    if (frameFile >= 0 && pwrite(frameFile, &frames, sizeof frames, 0) < 0) {
        std::perror("ghoulrun_game_freeze: frame count");
    }
    if (freezeDue.load() && static_cast<Sint32>(frameBegun - stopAt.load()) >= 0) {
        // This thread waits until the freeze has begun, so the game makes no step past the frame.
        freezeDue.store(false);
        const Uint32 before = generation.load();
        kill(getpid(), SIGUSR1);
        while (generation.load() == before) {
            sched_yield();
        }
    }
    frameBegun = gameTicks();
    return result;
}
