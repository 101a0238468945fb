// The compatibility layer's hints, set in the environment without overriding the player's own.
#include "platform/compat_hints.h"

#include <cstdlib>
#include <string>

namespace platform {
namespace {

constexpr const char* windowScaling = "SDL12COMPAT_WINDOW_SCALING";
constexpr const char* scaleMethod = "SDL12COMPAT_SCALE_METHOD";
// Whole enlargements of a pixel picture stay sharp with the nearest pixel, never blurred.
constexpr const char* sharpPixels = "nearest";
constexpr int keepExisting = 0;

} // namespace

void setCompatibilityHints(const CompatibilityHints& hints) {
    if (hints.windowScale > 1) {
        setenv(windowScaling, std::to_string(hints.windowScale).c_str(), keepExisting);
        setenv(scaleMethod, sharpPixels, keepExisting);
    }
}

} // namespace platform
