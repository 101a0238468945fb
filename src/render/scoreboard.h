// The run's figures on the screen: the clock and the enemies defeated in the status bar, and the
// results card over the scene once the hero has died.
#pragma once

#include <SDL/SDL.h>

#include <array>

// The best runs a card lists.
constexpr int cardBestRuns = 10;

// One line of the card's best runs.
struct CardRun {
    Uint32 gameMs = 0;
    int defeated = 0;
};

// What the results card shows.
struct ResultsCard {
    Uint32 gameMs = 0; // the time survived, game time
    int defeated = 0;
    bool newBest = false;
    bool notSaved = false; // the run made the best runs but could not be kept among them
    int place = -1;        // this run's line among the best runs, -1 when it is not among them
    std::array<CardRun, cardBestRuns> best{};
    int bestCount = 0;
};

// Writes the survival clock (game time `gameMs`) and the enemies defeated into the status bar,
// which must have been drawn this frame. Allocates nothing.
void drawRunFigures(Uint32 gameMs, int defeated);

// Draws the results card over the middle of the screen. Allocates nothing.
void drawResultsCard(const ResultsCard& card);
