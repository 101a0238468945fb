// What every fuzz target shares: a promise of the reader that does not hold ends the run as a
// crash, which libFuzzer reports with the input that broke it.
#pragma once

#include <cstdlib>

inline void require(bool holds) {
    if (!holds) {
        std::abort();
    }
}
