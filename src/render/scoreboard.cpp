// The run's figures in the status bar and on the results card, in the game's lettering.
#include "render/scoreboard.h"

#include "render/lettering.h"
#include "render/screen_blit.h"
#include "sprites/interface_layout.h"
#include "sprites/sprite_catalogue.h"
#include "state/globals.h"

#include <string_view>

namespace {

namespace layout = interface_layout;

constexpr std::string_view timeLabel = "TIME ";
constexpr std::string_view defeatedLabel = "DEFEATED ";
constexpr std::string_view newBestLabel = "NEW BEST";
constexpr std::string_view notSavedLabel = "NOT SAVED";
constexpr std::string_view bestRunsLabel = "BEST RUNS";
constexpr std::string_view thisRunMark = "<";
// A line of the card left empty between the run's own figures and the best runs.
constexpr int blankLines = 1;

int cardLineY(int top, int line) {
    return top + layout::cardTextTop + line * layout::cardLineSpacing;
}

void drawLabelled(std::string_view label, std::string_view value, int x, int y) {
    drawText(value, drawText(label, x, y), y);
}

void drawBestRun(const CardRun& run, int place, bool thisRun, int left, int y) {
    drawText(CountText(place + 1).view(), left + layout::cardTextLeft, y);
    drawText(ClockText(run.gameMs).view(), left + layout::cardTimeColumn, y);
    drawText(CountText(run.defeated).view(), left + layout::cardDefeatedColumn, y);
    if (thisRun) {
        drawText(thisRunMark, left + layout::cardMarkColumn, y);
    }
}

} // namespace

void drawRunFigures(Uint32 gameMs, int defeated) {
    drawText(ClockText(gameMs).view(), layout::clockX, layout::figuresY);
    drawText(CountText(defeated).view(), layout::defeatedX, layout::figuresY);
}

void drawResultsCard(const ResultsCard& card) {
    SDL_Surface* picture = spriteAt(sprite::resultsCard);
    if (picture == nullptr || screen == nullptr) {
        return;
    }
    const int left = (screen->w - picture->w) / 2;
    const int top = (screen->h - picture->h) / 2;
    SDL_Rect at{static_cast<Sint16>(left), static_cast<Sint16>(top), 0, 0};
    blitToScreen(picture, nullptr, &at);
    const int textX = left + layout::cardTextLeft;
    int line = 0;
    drawLabelled(timeLabel, ClockText(card.gameMs).view(), textX, cardLineY(top, line++));
    drawLabelled(defeatedLabel, CountText(card.defeated).view(), textX, cardLineY(top, line++));
    if (card.newBest || card.notSaved) {
        drawText(card.notSaved ? notSavedLabel : newBestLabel, textX, cardLineY(top, line));
    }
    line += 1 + blankLines;
    drawText(bestRunsLabel, textX, cardLineY(top, line++));
    for (int place = 0; place < card.bestCount && place < cardBestRuns; ++place) {
        drawBestRun(card.best[static_cast<std::size_t>(place)], place, place == card.place, left,
                    cardLineY(top, line++));
    }
}
