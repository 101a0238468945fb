// The volume indicator in the game's lettering.
#include "render/volume_indicator.h"

#include "render/lettering.h"
#include "state/globals.h"

#include <string_view>

namespace {

constexpr std::string_view volumeLabel = "VOLUME ";
constexpr std::string_view percentSign = "%";
constexpr std::string_view mutedLabel = "MUTED";
// From the screen's top right corner, in the sky, where no piece is ever drawn.
constexpr int margin = 12;

} // namespace

void drawVolumeIndicator(int percent, bool muted) {
    const CountText level(percent);
    const int width =
        muted ? textWidth(mutedLabel)
              : textWidth(volumeLabel) + textWidth(level.view()) + textWidth(percentSign);
    const int x = screenWidth - margin - width;
    if (muted) {
        drawText(mutedLabel, x, margin);
        return;
    }
    drawText(percentSign, drawText(level.view(), drawText(volumeLabel, x, margin), margin), margin);
}
