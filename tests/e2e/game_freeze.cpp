// libghoulrun_game_freeze: preloaded into the game by the end-to-end scenarios, so that a scenario
// can stop the game, and the game's time with it, while it looks or types.
//
// SIGUSR1 stops the whole process (SIGSTOP) and holds SDL_GetTicks at the reading it had; after
// SIGCONT the ticks go on from that same reading. SDL_Delay waits by those ticks too (the game-over
// sequence waits with it). So the time spent stopped never happens for the game: no enemy walks,
// no animation steps, no wait runs down, and the sound thread stops with the rest, so the disk
// audio file holds exactly the sound of the time the game ran. However long a busy machine takes
// over a screenshot or a key, the game lives only through the time the scenario lets it run.
//
// SIGUSR1 and SIGCONT are blocked in every thread and taken by a thread of this library alone, so
// no thread of the game is ever interrupted by them. Without the signal the game runs as it would
// without this library: its ticks are SDL's.
#include <SDL/SDL.h>

#include <dlfcn.h>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <ctime>
#include <initializer_list>

namespace {

using TicksFunction = Uint32 (*)();
using DelayFunction = void (*)(Uint32);

// The longest real wait SDL_Delay makes before it looks at the game's clock again.
constexpr Uint32 delayStepMs = 5;

Uint32 sdlTicks() {
    static const auto real = reinterpret_cast<TicksFunction>(dlsym(RTLD_NEXT, "SDL_GetTicks"));
    return real();
}

void sdlDelay(Uint32 ms) {
    static const auto real = reinterpret_cast<DelayFunction>(dlsym(RTLD_NEXT, "SDL_Delay"));
    real(ms);
}

// Odd while the game is stopped; a reading made while it changed is made again.
std::atomic<Uint32> generation{0};
// The game's reading when it stopped.
std::atomic<Uint32> frozenAt{0};
// All the time spent stopped so far.
std::atomic<Uint32> heldMs{0};
// The last reading handed out: readings never go back, not even by the millisecond that a reading
// made just as the game stops could be ahead of the one it stops at.
std::atomic<Uint32> lastReading{0};

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
    for (;;) {
        // Differences in Uint32 arithmetic, as the game takes them.
        if (static_cast<Sint32>(reading - last) <= 0) {
            return last;
        }
        if (lastReading.compare_exchange_weak(last, reading)) {
            return reading;
        }
    }
}

sigset_t signalsOf(std::initializer_list<int> numbers) {
    sigset_t set;
    sigemptyset(&set);
    for (int number : numbers) {
        sigaddset(&set, number);
    }
    return set;
}

void* takeFreezeRequests(void*) {
    const sigset_t request = signalsOf({SIGUSR1});
    const sigset_t goOn = signalsOf({SIGCONT});
    const timespec now{0, 0};
    for (;;) {
        int signal = 0;
        if (sigwait(&request, &signal) != 0) {
            continue;
        }
        frozenAt.store(gameTicks());
        generation.fetch_add(1);
        // A SIGCONT from before this freeze must not end it.
        while (sigtimedwait(&goOn, nullptr, &now) > 0) {
        }
        // The whole process stops, this thread too, though maybe a moment after the call returns:
        // it is SIGCONT that says the freeze is over.
        kill(getpid(), SIGSTOP);
        while (sigwait(&goOn, &signal) != 0) {
        }
        heldMs.store(sdlTicks() - frozenAt.load());
        generation.fetch_add(1);
    }
    return nullptr;
}

// Runs when the library is loaded, before the game's main and before any thread of the game, so
// every thread started later inherits the blocked signals. (Blocked, SIGCONT still lets a stopped
// process go on; it is only left for this library's thread to take.)
__attribute__((constructor)) void startFreezeThread() {
    const sigset_t ours = signalsOf({SIGUSR1, SIGCONT});
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
    const Uint32 start = gameTicks();
    for (;;) {
        const Uint32 waited = gameTicks() - start;
        if (waited >= ms) {
            return;
        }
        const Uint32 left = ms - waited;
        sdlDelay(left < delayStepMs ? left : delayStepMs);
    }
}
