// Local date and time through the C library's thread-safe conversion.
#include "platform/wall_clock.h"

#include <array>

namespace platform {
namespace {

constexpr const char* localTimeFormat = "%Y-%m-%dT%H:%M:%S";
// The formatted text and its terminating NUL, with room for a year beyond 9999.
constexpr std::size_t localTimeRoom = 32;

} // namespace

std::string localTimeText(std::time_t at) {
    std::tm local{};
    localtime_r(&at, &local);
    std::array<char, localTimeRoom> text{};
    const std::size_t length = std::strftime(text.data(), text.size(), localTimeFormat, &local);
    return {text.data(), length};
}

std::string localTimeNow() {
    return localTimeText(std::time(nullptr));
}

} // namespace platform
