// The benchmark's one reading of the wall clock.
#pragma once

#include <chrono>

namespace bench {

// The steady clock now, in ms.
inline double nowMs() {
    return std::chrono::duration<double, std::milli>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

} // namespace bench
