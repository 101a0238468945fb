// The compatibility layer's environment variables, set for the game unless the player set them.
#include "platform/compat_hints.h"

#include <cstdlib>

namespace platform {
namespace {

// The layer reads a variable as a number: any value but 0 switches its setting on.
constexpr const char* switchedOn = "1";

void setUnlessPlayerDid(const char* variable, const char* value) {
    setenv(variable, value, 0);
}

} // namespace

void setCompatibilityHints(const CompatibilityHints& hints) {
    if (hints.standardPadLayout) {
        setUnlessPlayerDid(standardPadLayoutVariable, switchedOn);
    }
}

bool standardPadLayoutAsked() {
    const char* value = std::getenv(standardPadLayoutVariable);
    return value != nullptr && std::atoi(value) != 0;
}

} // namespace platform
