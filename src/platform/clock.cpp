// The time seam: SDL_GetTicks and SDL_Delay, or a test clock that the tests step by hand.
#include "platform/clock.h"

#include <atomic>

namespace platform {
namespace {

std::atomic<bool> testClockOn{false};
std::atomic<Uint32> testClockNow{0};
std::atomic<Uint32> testOversleep{0};

} // namespace

Uint32 ticks() {
    if (testClockOn.load(std::memory_order_relaxed)) {
        return testClockNow.load(std::memory_order_relaxed);
    }
    return SDL_GetTicks();
}

void delay(Uint32 ms) {
    if (testClockOn.load()) {
        advanceTestClock(ms + testOversleep.load());
        return;
    }
    SDL_Delay(ms);
}

void useTestClock(Uint32 now) {
    testClockNow.store(now);
    testClockOn.store(true);
}

void setTestClock(Uint32 now) {
    testClockNow.store(now);
}

void advanceTestClock(Uint32 ms) {
    testClockNow.fetch_add(ms);
}

void setTestOversleep(Uint32 ms) {
    testOversleep.store(ms);
}

void useRealClock() {
    testClockOn.store(false);
}

} // namespace platform
