// A double's bits as a word, and relaxed atomic changes to a plain 64-bit word: the C++ library's
// own std::bit_cast and std::atomic_ref wherever it has them, and the compiler's builtins, which
// give the same bits and the same atomicity, where it does not (emscripten's older libc++).
#pragma once

#include <atomic>
#include <bit>
#include <cstdint>
#include <type_traits>
#include <version>

namespace platform {

#if defined(__cpp_lib_bit_cast)
using std::bit_cast;
#else
template <class To, class From> constexpr To bit_cast(const From& from) noexcept {
    static_assert(sizeof(To) == sizeof(From) && std::is_trivially_copyable_v<To> &&
                  std::is_trivially_copyable_v<From>);
    return __builtin_bit_cast(To, from);
}
#endif

#if defined(__cpp_lib_atomic_ref)
using AtomicWord = std::atomic_ref<std::uint64_t>;
#else
// The part of std::atomic_ref<std::uint64_t> the game uses, on the same builtins libstdc++'s
// atomic_ref is made of. The library's orders pass through as the builtins' own.
static_assert(static_cast<int>(std::memory_order_relaxed) == __ATOMIC_RELAXED &&
              static_cast<int>(std::memory_order_seq_cst) == __ATOMIC_SEQ_CST);
class AtomicWord {
  public:
    explicit AtomicWord(std::uint64_t& word) noexcept : word_(&word) {}

    std::uint64_t load(std::memory_order order) const noexcept {
        return __atomic_load_n(word_, static_cast<int>(order));
    }
    std::uint64_t fetch_or(std::uint64_t bits, std::memory_order order) const noexcept {
        return __atomic_fetch_or(word_, bits, static_cast<int>(order));
    }
    std::uint64_t fetch_and(std::uint64_t bits, std::memory_order order) const noexcept {
        return __atomic_fetch_and(word_, bits, static_cast<int>(order));
    }

  private:
    std::uint64_t* word_;
};
#endif

} // namespace platform
