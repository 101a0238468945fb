// A small seeded random number generator whose sequence is the same on every machine.
#pragma once

#include <cstdint>

namespace art {

// SplitMix64: fast, tiny and defined bit for bit, so the generated data never changes between
// builds or compilers (the standard distributions are not portable).
class Random {
  public:
    explicit Random(std::uint64_t seed) : state_(seed) {}

    std::uint64_t next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    // Uniform in [0, 1).
    double unit() { return static_cast<double>(next() >> 11) * (1.0 / 9007199254740992.0); }
    // Uniform in [low, high).
    double between(double low, double high) { return low + (high - low) * unit(); }
    // Uniform integer in [low, high].
    int range(int low, int high) {
        return low + static_cast<int>(next() % static_cast<std::uint64_t>(high - low + 1));
    }
    bool chance(double probability) { return unit() < probability; }

  private:
    std::uint64_t state_;
};

} // namespace art
