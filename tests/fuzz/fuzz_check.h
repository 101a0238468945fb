// What every fuzz target shares: a broken promise of the reader is a crash libFuzzer reports.
#pragma once

#include <cstdlib>

inline void require(bool holds) {
    if (!holds) {
        std::abort();
    }
}
