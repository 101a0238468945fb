// Start-up, the roster, the state loop and the frame loop.
#include "shell/game.h"

#include "crowd/crowding.h"
#include "pieces/enemy_kinds.h"
#include "pieces/game_piece.h"
#include "pieces/player.h"
#include "pieces/world.h"
#include "platform/clock.h"
#include "platform/console.h"
#include "platform/display_loss.h"
#include "platform/gamepad.h"
#include "platform/process_guard.h"
#include "render/blit_queue.h"
#include "render/screen_blit.h"
#include "replay/session.h"
#include "shell/frame_pacer.h"
#include "shell/pause.h"
#include "shell/pause_request.h"
#include "shell/play_again.h"
#include "shell/player_settings.h"
#include "shell/run_results.h"
#include "shell/shell_controls.h"
#include "shell/window.h"
#include "sound/sound_engine.h"
#include "sprites/sprite_catalogue.h"
#include "state/globals.h"

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>

namespace {

constexpr Uint32 backgroundFill = 255; // pure blue, shows wherever nothing is drawn
constexpr int musicLoopsForever = -1;

// The release interval starts at this many ms and shrinks by 1 ms per intervalShrinkMs of play.
constexpr Uint32 firstReleaseInterval = 1000;
constexpr Uint32 intervalShrinkMs = 350;

// Spawn points by slot modulo 4, in world coordinates (x = left edge, y = feet).
constexpr double spawnPoints[4][2] = {{1300, 140}, {2578, 140}, {-200, 500}, {5000, 500}};

// How many slots ahead the frame loop asks for an enemy's fields: the enemies lie all over memory,
// and with thousands of them each update would otherwise start by waiting for its own.
constexpr int enemiesAhead = 8;
constexpr int cacheLineBytes = 64;
constexpr int piecePrefetchLines = (sizeof(GamePiece) + cacheLineBytes - 1) / cacheLineBytes;

// The frame cap of this run, if the command line set one.
FramePacer pacer;

// Unsigned clock differences beyond this are readings from before, wrapped round.
constexpr Uint32 wrapHalf = 0x80000000U;

// When the game-over sequence has played out, once the shell has seen the hero die.
bool gameOverTimed = false;
Uint32 gameOverEnds = 0;

// Stops SDL as the run's scope ends.
struct SdlStop {
    SdlStop() = default;
    SdlStop(const SdlStop&) = delete;
    SdlStop& operator=(const SdlStop&) = delete;
    ~SdlStop() { SDL_Quit(); }
};

// The first look after the hero died starts the game-over clock. The sequence's thread started in
// the frame of the death, at or before this reading, so it has played out by the end set here
// (and the end of the run waits for its thread all the same). A replay ends where its recording
// ends, whatever the sequence does.
void followHeroDeath() {
    if (heroDead && !gameOverTimed && !replay::replaying()) {
        gameOverTimed = true;
        gameOverEnds = platform::ticks() + SoundEngine::gameOverLengthMs();
    }
}

bool gameOverPlayedOut() {
    return gameOverTimed && platform::ticks() - gameOverEnds < wrapHalf;
}

void startSound() {
    SoundEngine* engine = SoundEngine::instance();
    engine->init();
    applyPlayerVolume();
    engine->playMusic(musicLoopsForever);
    if (replay::headless()) {
        // Nobody hears it, and the replay ends where its recording ends: no sequence is needed
        // to end the run.
        heroSounds().startGameOver = [] {};
    }
}

} // namespace

GamePiece* makeEnemy(int slot) {
    const EnemyKind& kind = enemy_kind::forSlot(slot);
    const int oddSlot = slot % 2;
    GamePiece* enemy = kind.build(Vec2(0.0, 0.0));
    enemy->setSpeed(kind.baseSpeed + kind.oddSlotStep * oddSlot);
    return enemy;
}

namespace {

// Starts bringing `enemy` (if any) into the cache.
void askForEnemy(const GamePiece* enemy) {
    const char* bytes = reinterpret_cast<const char*>(enemy);
    for (int line = 0; enemy != nullptr && line < piecePrefetchLines; ++line) {
        __builtin_prefetch(bytes + static_cast<std::ptrdiff_t>(line) * cacheLineBytes);
    }
}

void updatePiecesInPlay() {
    // Each enemy's move is followed as it happens, for the crowding passes after it; the hero
    // draws over every enemy.
    for (int slot = newestReleasedSlot(); slot >= firstEnemySlot; --slot) {
        askForEnemy(slot - enemiesAhead >= firstEnemySlot ? pieces[slot - enemiesAhead] : nullptr);
        if (GamePiece* enemy = pieces[slot]) {
            crowding::updateEnemy(slot, *enemy);
        }
    }
    crowding::endFrame();
    if (GamePiece* hero = pieces[heroSlot]) {
        hero->update();
    }
}

} // namespace

int runGame(const RunOptions& options) {
    platform::guardProcess();
    if (!replay::begin(options.replay)) {
        return EXIT_FAILURE;
    }
    const RunOptions chosen = withPlayerSettings(options);
    pacer = FramePacer(chosen.fps.value_or(0));
    // From here on SDL stops as the run ends, however it ends: a start-up failure and an escaping
    // exception of the sound engine included.
    const SdlStop sdl;
    if (!startUp(chosen.fullscreen.value_or(false), chosen.scale.value_or(1))) {
        return EXIT_FAILURE;
    }
    // A lost display ends the process from inside Xlib, never back here: the settings go first.
    platform::beforeEndOnLostDisplay(savePlayerSettings);
    gameState = statePlaying;
    return endRun(stateLoop());
}

int endRun(RunEnd end) {
    switch (end) {
    case RunEnd::closed:
        finishRun(std::cout);
        break;
    case RunEnd::quit:
        // On the card the sequence is under way: it stops at once, as the process must.
        SoundEngine::cancelGameOver();
        break;
    case RunEnd::gameOver:
    case RunEnd::replayOver:
        // A replay that ran out of recorded frames ended there, by its game-over sequence, without
        // a report. Either sequence is let finish before SDL goes.
        SoundEngine::waitForGameOver();
        break;
    }
    // However the run ends, what the player changed while playing is kept.
    savePlayerSettings();
    return replay::finish();
}

void finishRun(std::ostream& out) {
    followHeroDeath();
    replay::noteFinalState();
    const Uint32 now = replay::reportReading();
    destroyRoster();
    writeReport(out, now);
    if (!replay::replaying() && !platform::endRequested()) {
        // A game-over sequence still under way ends the run when it is done, Enter or not; a
        // signal that comes meanwhile ends it at once.
        platform::pauseConsole([] { return gameOverPlayedOut() || platform::endRequested(); });
    }
    SoundEngine::waitForGameOver();
}

bool startUp(bool fullscreen, int scale) {
    if (!openWindow(fullscreen, scale)) {
        return false;
    }
    startSound();
    if (!loadSprites()) {
        return false;
    }
    loadPauseBanner();
    buildRoster();
    // A frame the crowding helper shares has the screen's blits queued, and made by both threads.
    connectFrameBlits();
    crowding::prepare();
    return true;
}

void buildRoster() {
    // Every piece starts its animation clock at this one reading.
    frameTick = replay::rosterReading();
    std::cout << "Loading Enemies" << std::endl;
    for (int slot = pieceCount; slot >= firstEnemySlot; --slot) {
        pieces[slot] = makeEnemy(slot);
    }
    // The hero starts mid-screen on the street; the World last, with the background at the
    // window's top-left corner.
    pieces[heroSlot] = new player(Vec2(400.0, 400.0));
    pieces[worldSlot] = new World(Vec2(0.0, 0.0));
}

void startNewRun() {
    clearPlayAgainRequest();
    savePlayerSettings();
    SoundEngine::cancelGameOver();
    gameOverTimed = false;
    replay::startAfresh();
    destroyRoster();
    // The game's clock starts again at 0, where a new process's clock stands when it takes these
    // readings before SDL starts.
    resetShellGlobals(0);
    forgetRunResults();
    SoundEngine::instance()->playMusic(musicLoopsForever);
    buildRoster();
    gameState = statePlaying;
}

void destroyRoster() {
    for (GamePiece*& piece : pieces) {
        delete piece;
        piece = nullptr;
    }
}

RunEnd stateLoop() {
    for (;;) {
        if (gameState == stateQuit) {
            return RunEnd::closed;
        }
        if (replay::replayOver()) {
            return RunEnd::replayOver;
        }
        if (platform::endRequested()) {
            // A signal ends the run as closing the window does, even while the hero dies.
            gameState = stateQuit;
            return RunEnd::closed;
        }
        switch (gameState) {
        case statePlaying:
            pacer.waitForFrameStart();
            gameState = runFrame();
            if (quitAtOnce) {
                return RunEnd::quit;
            }
            followHeroDeath();
            if (pauseRequested()) {
                pauseUntilResumed();
            }
            if (playAgainRequested()) {
                startNewRun();
            }
            break;
        case stateStarting:
        case stateSpareTwo:
        case stateSpareThree:
            break;
        default:
            gameState = stateQuit;
            break;
        }
        // A signal that came meanwhile still gets its report, at the top of the loop.
        if (gameOverPlayedOut() && !platform::endRequested()) {
            return RunEnd::gameOver;
        }
    }
}

int runFrame() {
    frameTick = replay::frameReading();
    if (!screenBlitsSkipped()) {
        SDL_FillRect(screen, nullptr, backgroundFill);
    }
    replay::pollFrameEvent(frameEvent, takeShellControl);
    if (quitAtOnce) {
        return stateQuit; // the card's q: nothing more moves or is drawn
    }
    releaseDueEnemy();
    // The enemies stand where the frame finds them from here on until their updates: the crowding
    // passes' helper can start on them while the background draws.
    crowding::beginFrame();
    if (GamePiece* world = pieces[worldSlot]) {
        world->update();
    }
    updatePiecesInPlay();
    if (quitAtOnce) {
        return stateQuit; // the hero's q: the run ends where the frame stands
    }
    showRunResults();
    showVolumeIndicator();
    if (!screenBlitsSkipped()) {
        SDL_Flip(screen);
    }
    // The next frame's movement is measured from this frame's start, which is where the frame
    // before it ended: every piece then moves by exactly the time between two frame starts,
    // drawing and flip included.
    lastFrameEndTick = frameTick;
    replay::endFrame();
    return gameState == stateQuit ? stateQuit : statePlaying;
}

Uint32 releaseInterval(Uint32 now) {
    const Uint32 shrink = now / intervalShrinkMs;
    return shrink >= firstReleaseInterval ? 0 : firstReleaseInterval - shrink;
}

void releaseDueEnemy() {
    const Uint32 elapsed = frameTick - lastSpawnTick;
    if (elapsed <= releaseInterval(frameTick)) {
        return;
    }
    lastSpawnTick = frameTick;
    if (--spawnCounter < firstEnemySlot) {
        spawnCounter = 1;
        return;
    }
    const int slot = newestReleasedSlot();
    if (GamePiece* enemy = pieces[slot]) {
        const double* spawn = spawnPoints[slot % 4];
        enemy->setPosition(Vec2(spawn[0], spawn[1]));
        enemy->activate();
    }
}

void writeReport(std::ostream& out, Uint32 now) {
    out << "You completed " << 100 * completedCount / pieceCount << " of the endurance"
        << std::endl;
    out << "You survived for " << now / 100 / 10 << " seconds" << std::endl;
    out << "GAME OVER" << std::endl;
}
