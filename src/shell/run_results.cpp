// The run's figures on the screen, and the run kept among the best runs when the hero dies.
#include "shell/run_results.h"

#include "pieces/game_piece.h"
#include "platform/wall_clock.h"
#include "records/best_runs.h"
#include "render/scoreboard.h"
#include "replay/session.h"
#include "state/globals.h"

#include <algorithm>
#include <iostream>

namespace {

static_assert(cardBestRuns == records::keptRuns, "the card lists the whole table");

constexpr int undergroundSceneNumber = 1;

bool clockStarted = false;
Uint32 firstFrameTick = 0;
bool runNoted = false;
ResultsCard card;

std::string sceneName() {
    GamePiece* world = pieces[worldSlot];
    const bool underground = world != nullptr && world->getScene() == undergroundSceneNumber;
    return std::string(underground ? records::undergroundScene : records::cityScene);
}

// Live, the run joins the best runs on disk; a replay shows where the recorded run would stand
// among them, and leaves them as they are.
records::Saved keepRun(const records::Run& run) {
    const std::filesystem::path file = records::bestRunsFile();
    if (!replay::replaying()) {
        return records::saveRun(file, run, std::cerr);
    }
    records::Saved shown;
    const std::vector<records::Run> before = records::readRuns(file);
    shown.table = records::mergeRun(before, run, shown.place);
    shown.newBest = shown.place == 0;
    return shown;
}

void noteRun() {
    runNoted = true;
    records::Run run;
    run.gameMs = runGameTime();
    run.defeated = completedCount;
    run.when = platform::localTimeNow();
    run.scene = sceneName();
    const records::Saved saved = keepRun(run);
    card = ResultsCard{};
    card.gameMs = run.gameMs;
    card.defeated = run.defeated;
    card.newBest = saved.newBest;
    card.notSaved = saved.notSaved;
    card.place = saved.place;
    card.bestCount = std::min(static_cast<int>(saved.table.size()), cardBestRuns);
    for (int place = 0; place < card.bestCount; ++place) {
        const records::Run& kept = saved.table[static_cast<std::size_t>(place)];
        card.best[static_cast<std::size_t>(place)] = CardRun{kept.gameMs, kept.defeated};
    }
}

} // namespace

void showRunResults() {
    if (!clockStarted) {
        clockStarted = true;
        firstFrameTick = frameTick;
    }
    if (!runNoted && heroDead) {
        noteRun();
    }
    // From the death on, the status bar shows the card's figures: enemies that finish dying
    // afterwards were not defeated by this run.
    drawRunFigures(runNoted ? card.gameMs : runGameTime(),
                   runNoted ? card.defeated : completedCount);
    if (runNoted) {
        drawResultsCard(card);
    }
}

bool resultsShown() {
    return runNoted;
}

Uint32 runGameTime() {
    return clockStarted ? frameTick - firstFrameTick : 0;
}

void forgetRunResults() {
    clockStarted = false;
    runNoted = false;
    card = ResultsCard{};
}
