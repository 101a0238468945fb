// The browser build's frame times with a crowd held at N enemies, on the page's own clock.
//
// The game starts up as in the page (the window on the page's canvas, the pictures, the queue of
// blits and the crowding helper thread; no sound). For each N a run starts afresh, N enemies are
// released and walked to the hero, and then real frames are drawn to the canvas on the test
// clock, each followed by a return to the browser, which presents it; the crowd sizes take turns.
// For each measured frame two times are read with the page's clock (performance.now): the frame
// function alone, and from the frame's start to the next one's, the browser's part included. Prints
// a line per N for tests/web/frame_times.mjs:
//
//   frame-times N=<n> frames=<count> frame_p50_ms=... frame_p95_ms=... wall_p50_ms=...
//   wall_p95_ms=... fps=<1000 / wall_p50_ms> helped=<frames the crowding helper shared>
//
// and "frame-times done" at the end.
#include "crowd_scenario.h"

#include "crowd/crowd.h"
#include "crowd/crowding.h"
#include "render/blit_queue.h"
#include "shell/data_folder.h"
#include "shell/game.h"
#include "shell/window.h"
#include "sprites/sprite_catalogue.h"
#include "state/globals.h"

#include <emscripten.h>

#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <vector>

namespace {

constexpr int crowdSizes[] = {100, 300, 1000};
// The crowd sizes take turns, round by round, so that a busy stretch of the machine falls on all
// of them alike; each round sets its crowd up afresh and runs a warm-up for the browser's compiler
// and caches before the frames it measures.
constexpr int rounds = 3;
constexpr int warmUpFrames = 60;
constexpr int measuredFramesPerRound = 100;
// SDL 2 hands the page back to the browser inside every flip; asked not to, it leaves that to this
// program, which does it right after the frame, so that the frame function is timed without the
// browser's part. The browser gets control at the same point of the frame either way.
constexpr const char* sdlYieldVariable = "SDL_EMSCRIPTEN_ASYNCIFY";

struct FrameTimes {
    std::vector<double> frame; // the frame function, ms
    std::vector<double> wall;  // frame start to the next frame's start, ms
    long helped = 0;           // measured frames the crowding helper thread shared
};

// One frame, from its start (`start`, a reading of the page's clock) until the browser hands the
// page back; `start` becomes the next frame's start. Returns the frame function's time.
double drawFrame(double& start) {
    bench::holdFrame(bench::frameMs);
    runFrame();
    const double drawn = emscripten_get_now();
    emscripten_sleep(0); // the browser presents the frame
    const double frame = drawn - start;
    start = emscripten_get_now();
    return frame;
}

// One round with `n` enemies, its measured frames added to `times`.
void measureRound(int n, FrameTimes& times) {
    bench::setUpCrowd(n);
    double start = emscripten_get_now();
    for (int i = 0; i < warmUpFrames; ++i) {
        drawFrame(start);
    }
    const long helpedBefore = frameCrowd().helpedFrames();
    for (int i = 0; i < measuredFramesPerRound; ++i) {
        const double frameStart = start;
        times.frame.push_back(drawFrame(start));
        times.wall.push_back(start - frameStart);
    }
    times.helped += frameCrowd().helpedFrames() - helpedBefore;
}

void report(int n, const FrameTimes& times) {
    const double wallMedian = bench::median(times.wall);
    std::printf("frame-times N=%d frames=%zu frame_p50_ms=%.2f frame_p95_ms=%.2f wall_p50_ms=%.2f "
                "wall_p95_ms=%.2f fps=%.1f helped=%ld\n",
                n, times.wall.size(), bench::median(times.frame),
                bench::percentile(times.frame, 0.95), wallMedian,
                bench::percentile(times.wall, 0.95), 1000.0 / wallMedian, times.helped);
    std::fflush(stdout);
}

// The game's start-up without the sound engine, in its order.
bool startUpQuiet() {
    setenv(sdlYieldVariable, "0", 1);
    if (!enterDataFolder({}) || !openWindow(false)) {
        return false;
    }
    bench::quietHero();
    if (!loadSprites()) {
        return false;
    }
    buildRoster();
    connectFrameBlits();
    crowding::prepare();
    return true;
}

} // namespace

int main() {
    if (!startUpQuiet()) {
        std::printf("frame-times failed: start-up\n");
        return EXIT_FAILURE;
    }
    std::vector<FrameTimes> times(std::size(crowdSizes));
    for (int round = 0; round < rounds; ++round) {
        for (size_t i = 0; i < times.size(); ++i) {
            measureRound(crowdSizes[i], times[i]);
        }
    }
    for (size_t i = 0; i < times.size(); ++i) {
        report(crowdSizes[i], times[i]);
    }
    std::printf("frame-times done\n");
    destroyRoster();
    releaseSprites();
    return EXIT_SUCCESS;
}
