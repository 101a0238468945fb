// Waiting on another thread without sleeping, for waits far shorter than a scheduler tick.
#pragma once

#include <thread>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace platform {

// A waiting thread spins this many times, then lets other threads have its core while it waits.
inline constexpr int spinsBeforeYielding = 4096;

// Waits until `ready()` holds. Between looks it calls `meanwhile()`, which may do other work and
// says whether it did; while there is none the thread pauses, and after a while yields its core.
template <class Ready, class Meanwhile> void spinUntil(Ready ready, Meanwhile meanwhile) {
    for (int spins = 0; !ready(); ++spins) {
        if (meanwhile()) {
            spins = 0;
        } else if (spins < spinsBeforeYielding) {
#if defined(__x86_64__) || defined(__i386__)
            _mm_pause();
#endif
        } else {
            std::this_thread::yield();
        }
    }
}

template <class Ready> void spinUntil(Ready ready) {
    spinUntil(ready, [] { return false; });
}

} // namespace platform
