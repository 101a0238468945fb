// Checks, as a program, that a game over ends the process: a child process runs the game's state
// loop with the game engine, starts the game-over sequence and must exit with status 0 between
// 5.6 and 15 s later (5.7 s of waits, and whatever a busy machine adds). Prints the verdict;
// exits 0 when it holds.
#include "shell/game.h"
#include "shell/globals.h"
#include "sound/sound_engine.h"
#include "sound/sound_files.h"
#include "support/test_support.h"

#include <SDL/SDL.h>

#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace {

// The sequence waits 2000 + 3700 ms before it lets the game end: never sooner than that (less
// the timer's millisecond). Later only by how busy the machine is; past the latest the game has
// failed to end at all.
constexpr double earliestEndSeconds = 5.6;
constexpr double latestEndSeconds = 15.0;

// Start-up as the game does it, over sounds written to a temporary folder that is gone again
// before the run (everything is decoded by then; the music file stays open).
void startGame() {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    if (SDL_Init(SDL_INIT_TIMER | SDL_INIT_AUDIO | SDL_INIT_VIDEO) < 0) {
        std::exit(2);
    }
    std::atexit(SDL_Quit);
    screen = SDL_SetVideoMode(screenWidth, screenHeight, 32, SDL_SWSURFACE);
    testing_support::TemporaryFolder folder;
    testing_support::writeWav(folder.path() / "sfx" / "death" / "gameover.wav", 1000);
    testing_support::writeOggVorbis(folder.path() / "pompeii.ogg", 1000);
    testing_support::WorkingFolder inside(folder.path());
    SoundEngine::instance()->init();
    SoundEngine::instance()->playMusic(-1);
}

// The child: tells the parent through `signal` the moment the sequence starts, then plays.
[[noreturn]] void runChild(int signal) {
    try {
        startGame();
    } catch (const char* message) {
        std::fprintf(stderr, "start-up failed: %s\n", message);
        std::exit(3);
    }
    gameState = statePlaying;
    const char started = 's';
    if (write(signal, &started, 1) != 1) {
        std::exit(4);
    }
    SDL_CreateThread(SoundEngine::gameOverSequence, nullptr);
    stateLoop();
    std::exit(5); // the loop only returns when the game state says quit, which nothing sets
}

} // namespace

int main() {
    int channel[2];
    if (pipe(channel) != 0) {
        return 1;
    }
    const pid_t child = fork();
    if (child == 0) {
        close(channel[0]);
        runChild(channel[1]);
    }
    close(channel[1]);
    char started = 0;
    if (read(channel[0], &started, 1) != 1) {
        std::fprintf(stderr, "the child never started the game over\n");
        waitpid(child, nullptr, 0);
        return 1;
    }
    const auto begin = std::chrono::steady_clock::now();
    int status = 0;
    waitpid(child, &status, 0);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();

    const bool exitedCleanly = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    const bool onTime = seconds >= earliestEndSeconds && seconds <= latestEndSeconds;
    std::printf("child %s with status %d after %.3f s\n",
                WIFEXITED(status) ? "exited" : "was killed",
                WIFEXITED(status) ? WEXITSTATUS(status) : WTERMSIG(status), seconds);
    return exitedCleanly && onTime ? 0 : 1;
}
