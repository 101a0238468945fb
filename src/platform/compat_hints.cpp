// The compatibility layer's environment variables, set for the game unless the player set them.
#include "platform/compat_hints.h"

#include <cstdlib>
#include <string>

namespace platform {
namespace {

// The layer reads a variable as a number: any value but 0 switches its setting on.
constexpr const char* switchedOn = "1";
constexpr const char* windowScalingVariable = "SDL12COMPAT_WINDOW_SCALING";
constexpr const char* scaleMethodVariable = "SDL12COMPAT_SCALE_METHOD";
// Whole enlargements of a pixel picture stay sharp with the nearest pixel, never blurred.
constexpr const char* sharpPixels = "nearest";

void setUnlessPlayerDid(const char* variable, const char* value) {
    setenv(variable, value, 0);
}

} // namespace

void setCompatibilityHints(const CompatibilityHints& hints) {
    if (hints.standardPadLayout) {
        setUnlessPlayerDid(standardPadLayoutVariable, switchedOn);
    }
    if (hints.windowScale > 1) {
        setUnlessPlayerDid(windowScalingVariable, std::to_string(hints.windowScale).c_str());
        setUnlessPlayerDid(scaleMethodVariable, sharpPixels);
    }
}

bool standardPadLayoutAsked() {
    const char* value = std::getenv(standardPadLayoutVariable);
    return value != nullptr && std::atoi(value) != 0;
}

} // namespace platform
