// The frame benchmark: the real frame function against the floors of its own work, headless.
//
// For each N the roster is built as at start-up, N enemies are released through the release
// schedule, the crowd is walked to the hero, and then frames are measured with the hero standing
// and then running. The test clock advances a fixed 16 ms per frame, so the game does the same
// on every machine while the wall time is measured. Beside the frames go their floors: the
// drawing the frame cannot do without (the fill, every blit it made, the flip), replayed on one
// core and split over two, and the crowding passes' chain of dependent pushes, replayed alone.
// The scenarios take turns repetition by repetition, and every repetition starts afresh, so all
// repetitions of a scenario measure the same frames. The hero's sounds go nowhere and no audio
// device is opened.
#include "alloc_counter.h"
#include "crowd_scenario.h"
#include "crowding_floor.h"
#include "drawing_floors.h"
#include "headless_screen.h"
#include "standin_pictures.h"

#include "crowd/crowd.h"
#include "crowd/crowding.h"
#include "pieces/monster.h"
#include "pieces/player.h"
#include "pieces/world.h"
#include "platform/clock.h"
#include "render/blit_queue.h"
#include "shell/frame_pacer.h"
#include "shell/game.h"
#include "sprites/sprite_catalogue.h"
#include "state/globals.h"

#include <SDL/SDL.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <iostream>
#include <iterator>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

constexpr int scenarioCounts[] = {0, 100, 1000, 3000, 9997};
// Frames after the hero turns to run, before the running frames are measured.
constexpr int settleFrames = 30;
// Each scenario runs this many repetitions of this many measured frames (BENCH_REPS and
// BENCH_FRAMES set others); the drawing floors are taken after every floorInterval-th frame, and
// the crowding floor, replayed crowdingFloorRuns times, from one more frame.
constexpr int defaultRepetitions = 5;
constexpr int defaultFramesPerRepetition = 200;
constexpr int floorInterval = 8;
constexpr int crowdingFloorRuns = 3;
constexpr int startUpRuns = 5;
// The capped run: its frame cap, its enemies and how long it is timed, in ms.
constexpr int cappedFps = 60;
constexpr int cappedEnemies = 100;
constexpr double cappedRunMs = 3000;
// Real time the hero's speed is measured over, in ms.
constexpr Uint32 heroSpeedRunMs = 1000;

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

using bench::frameMs;
using bench::freshRun;
using bench::median;
using bench::percentile;
using bench::quietHero;
using bench::releaseEnemies;
using bench::setUpCrowd;
using bench::stepFrame;
using bench::world;

void pressLeft() {
    SDL_Event press{};
    press.type = SDL_KEYDOWN;
    press.key.type = SDL_KEYDOWN;
    press.key.state = SDL_PRESSED;
    press.key.keysym.sym = SDLK_LEFT;
    SDL_PushEvent(&press);
}

// A mirrored copy is freed right after its blit; the floors blit the hero's picture in its
// place, which has the same size and pixel format.
SDL_Surface* heroPicture() {
    GamePiece* hero = pieces[heroSlot];
    return hero->animations[hero->animation].frames[hero->frame];
}

// How far apart the lowest and highest of `values` lie, as a share of their median.
double spread(const std::vector<double>& values) {
    const auto [lowest, highest] = std::minmax_element(values.begin(), values.end());
    return (*highest - *lowest) / median(values);
}

// What one repetition of a scenario measured: medians over its frames.
struct Repetition {
    double frame = 0.0;
    double p95 = 0.0;
    double oneCore = 0.0;
    double twoCore = 0.0;
    double crowding = 0.0;
    double crowdingWork = 0.0; // every push of the frame, bare, on one core
    bool helped = false;       // the helper thread shared the frames
    long framePixels = 0;      // pixels the frames with floors blitted onto the screen
    long floorPixels = 0;      // and their one-core floors
    bench::CrowdingChain chain;
    bench::AllocationCounts counts;
    long helpedFrames = 0;

    // The largest floor that holds for these frames: the drawing on the cores the frame had, and
    // the crowding chain, which only the frame loop can follow.
    double bestFloor() const { return std::max(helped ? twoCore : oneCore, crowding); }
};

// The frames measured in one repetition.
int framesPerRepetition() {
    const char* set = std::getenv("BENCH_FRAMES");
    return set != nullptr ? std::max(1, std::atoi(set)) : defaultFramesPerRepetition;
}

int repetitions() {
    const char* set = std::getenv("BENCH_REPS");
    return set != nullptr ? std::max(1, std::atoi(set)) : defaultRepetitions;
}

// Times `frameCount` frames; after every floorInterval-th one its drawing floors, after the last
// one more frame that is not timed but captured for the crowding floor.
Repetition measure(int frameCount) {
    std::vector<double> frames;
    std::vector<double> oneCore;
    std::vector<double> twoCore;
    frames.reserve(frameCount);
    Repetition result;
    const long helpedBefore = frameCrowd().helpedFrames();
    bench::setStandInForCopies(heroPicture);
    for (int i = 0; i < frameCount; ++i) {
        const bool withFloors = i % floorInterval == 0;
        bench::holdFrame(frameMs);
        if (withFloors) {
            bench::startRecording();
            bench::startCountingPixels();
        }
        bench::startCounting();
        const Clock::time_point start = Clock::now();
        runFrame();
        frames.push_back(msSince(start));
        result.framePixels += withFloors ? bench::stopCountingPixels() : 0;
        const bench::AllocationCounts counts = bench::stopCounting();
        bench::stopRecording();
        result.counts.allocations += counts.allocations;
        result.counts.inMirroredCopies += counts.inMirroredCopies;
        result.counts.surfacesCreated += counts.surfacesCreated;
        if (withFloors) {
            bench::startCountingPixels();
            oneCore.push_back(bench::oneCoreFloorMs());
            result.floorPixels += bench::stopCountingPixels();
            twoCore.push_back(bench::twoCoreFloorMs());
        }
    }
    result.helpedFrames = frameCrowd().helpedFrames() - helpedBefore;
    result.helped = 2 * result.helpedFrames > frameCount;
    bench::capture(true);
    stepFrame(frameMs);
    bench::capture(false);
    result.chain = bench::capturedChain();
    std::vector<double> chainRuns;
    std::vector<double> workRuns;
    for (int i = 0; i < crowdingFloorRuns; ++i) {
        chainRuns.push_back(bench::crowdingFloorMs());
        workRuns.push_back(bench::crowdingWorkMs());
    }
    result.frame = median(frames);
    result.p95 = percentile(frames, 0.95);
    result.oneCore = median(oneCore);
    result.twoCore = median(twoCore);
    result.crowding = median(chainRuns);
    result.crowdingWork = median(workRuns);
    return result;
}

// Every repetition of one scenario, and what they come to.
struct Scenario {
    int n = 0;
    const char* hero = "";
    std::vector<Repetition> repetitions;
    double heroSpeedRatio = 0.0;

    template <class Field> std::vector<double> each(Field field) const {
        std::vector<double> values;
        for (const Repetition& repetition : repetitions) {
            values.push_back(field(repetition));
        }
        return values;
    }
};

double ratioOf(const Repetition& r) {
    return r.frame / r.bestFloor();
}

double oneCoreRatioOf(const Repetition& r) {
    return r.frame / r.oneCore;
}

void report(const Scenario& s) {
    const auto frames = s.each([](const Repetition& r) { return r.frame; });
    const auto ratios = s.each(ratioOf);
    const auto oneCoreRatios = s.each(oneCoreRatioOf);
    const double frame = median(frames);
    const double oneCore = median(s.each([](const Repetition& r) { return r.oneCore; }));
    const double twoCore = median(s.each([](const Repetition& r) { return r.twoCore; }));
    const double crowding = median(s.each([](const Repetition& r) { return r.crowding; }));
    const double work = median(s.each([](const Repetition& r) { return r.crowdingWork; }));
    const double best = median(s.each([](const Repetition& r) { return r.bestFloor(); }));
    const double p95 = median(s.each([](const Repetition& r) { return r.p95; }));
    const Repetition& last = s.repetitions.back();
    const bench::CrowdingChain& chain = last.chain;
    long frameCount = 0;
    bench::AllocationCounts counts;
    long helped = 0;
    long mismatches = 0;
    double framePixels = 0;
    double floorPixels = 0;
    for (const Repetition& r : s.repetitions) {
        framePixels += static_cast<double>(r.framePixels);
        floorPixels += static_cast<double>(r.floorPixels);
        frameCount += framesPerRepetition();
        counts.allocations += r.counts.allocations;
        counts.inMirroredCopies += r.counts.inMirroredCopies;
        counts.surfacesCreated += r.counts.surfacesCreated;
        helped += r.helpedFrames;
        mismatches += r.chain.mismatches;
    }
    // The share of the blits' pixels the frames drew (a crowded frame leaves out what is covered).
    const double drawnShare = floorPixels > 0 ? framePixels / floorPixels : 0.0;
    const double stepNs = chain.chainPushes > 0 ? crowding * 1e6 / chain.chainPushes : 0.0;
    std::printf(
        "N=%-5d hero=%-8s frame %7.3f ms (spread %4.1f %%, p95 %7.3f)  %6.1f fps  floors: "
        "one core %7.3f, two cores %7.3f, crowding %7.3f ms  ratio %5.3f (spread %4.1f %%, "
        "to one core %5.3f, at most %5.3f)  chain %ld of %ld pushes (%.2f ns each; all pushes "
        "bare %.3f ms)  drew %.3f of the blits' pixels  allocs/frame %.1f (%.1f in %.1f mirrored "
        "copies)  helped %ld/%ld\n",
        s.n, s.hero, frame, 100 * spread(frames), p95, 1000.0 / frame, oneCore, twoCore, crowding,
        median(ratios), 100 * spread(ratios), median(oneCoreRatios),
        *std::max_element(oneCoreRatios.begin(), oneCoreRatios.end()), chain.chainPushes,
        chain.pushes, stepNs, work, drawnShare,
        static_cast<double>(counts.allocations) / frameCount,
        static_cast<double>(counts.inMirroredCopies) / frameCount,
        static_cast<double>(counts.surfacesCreated) / frameCount, helped, frameCount);
    std::printf(
        "bench N=%d hero=%s frame_ms=%.3f frame_spread_pct=%.1f p95_ms=%.3f fps=%.1f "
        "floor_ms=%.3f floor2_ms=%.3f crowd_floor_ms=%.3f crowd_work_ms=%.3f best_floor_ms=%.3f "
        "ratio=%.3f "
        "ratio_spread_pct=%.1f ratio_one_core=%.3f ratio_one_core_max=%.3f pairs=%ld "
        "pushes=%ld chain_pushes=%ld step_ns=%.3f mismatches=%ld allocs=%ld "
        "allocs_outside_copies=%ld copies=%ld frames=%ld reps=%zu helped_frames=%ld "
        "hero_speed_ratio=%.3f drawn_share=%.3f\n",
        s.n, s.hero, frame, 100 * spread(frames), p95, 1000.0 / frame, oneCore, twoCore, crowding,
        work, best, median(ratios), 100 * spread(ratios), median(oneCoreRatios),
        *std::max_element(oneCoreRatios.begin(), oneCoreRatios.end()), chain.pairs, chain.pushes,
        chain.chainPushes, stepNs, mismatches, counts.allocations,
        counts.allocations - counts.inMirroredCopies, counts.surfacesCreated, frameCount,
        s.repetitions.size(), helped, s.heroSpeedRatio, drawnShare);
    std::fflush(stdout);
}

// One line per scenario for the plot: N, then frame and floors in ms, standing then running.
void writePlotData(const std::filesystem::path& file, const std::vector<Scenario>& scenarios) {
    std::FILE* out = std::fopen(file.c_str(), "w");
    if (out == nullptr) {
        std::fprintf(stderr, "bench: cannot write %s\n", file.c_str());
        return;
    }
    std::fprintf(out, "# N frame_standing one_core two_cores crowding frame_running one_core "
                      "two_cores crowding (ms, medians of the repetitions)\n");
    for (size_t i = 0; i + 1 < scenarios.size(); i += 2) {
        std::fprintf(out, "%d", scenarios[i].n);
        for (const Scenario* s : {&scenarios[i], &scenarios[i + 1]}) {
            std::fprintf(out, " %.4f %.4f %.4f %.4f",
                         median(s->each([](const Repetition& r) { return r.frame; })),
                         median(s->each([](const Repetition& r) { return r.oneCore; })),
                         median(s->each([](const Repetition& r) { return r.twoCore; })),
                         median(s->each([](const Repetition& r) { return r.crowding; })));
        }
        std::fprintf(out, "\n");
    }
    std::fclose(out);
}

// Where the crowd stands, and how many pushes one crowding pass makes per enemy and axis.
void describeCrowd(int n) {
    const Vec2 scroll = world()->getScroll();
    const int newest = newestReleasedSlot();
    int onScreen = 0;
    int nearHero = 0;
    long pushes = 0;
    for (int slot = firstEnemySlot; slot <= newest; ++slot) {
        const Vec2 at = pieces[slot]->position + scroll;
        onScreen += at.x > -128 && at.x < screenWidth ? 1 : 0;
        nearHero += distance(at, pieces[heroSlot]->position) < 100 ? 1 : 0;
        Vec2 own = pieces[slot]->position;
        for (int other = firstEnemySlot; other <= newest; ++other) {
            const Vec2 them = pieces[other]->position;
            if (other != slot && std::fabs(own.x - them.x) < 30) {
                own.x += (own.x - them.x) / 8;
                ++pushes;
            }
            if (other != slot && std::fabs(own.y - them.y) < 30) {
                own.y += (own.y - them.y) / 8;
                ++pushes;
            }
        }
    }
    std::printf("crowd N=%d: %d on screen, %d within 100 px of the hero, %.1f pushes per enemy "
                "and axis in a pass\n",
                n, onScreen, nearHero, n > 0 ? pushes / (2.0 * n) : 0.0);
}

// The hero's speed in play, against its own: for about a second of real time, the sum of the
// hero's horizontal steps over the time between the first and the last frame's start. A frame
// loop that times every move by the interval between frame starts gives 1.
double processCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

double heroSpeedRatio() {
    pressLeft();
    platform::useRealClock();
    runFrame();
    const Uint32 firstStart = lastFrameEndTick;
    double travelled = 0.0;
    while (lastFrameEndTick - firstStart < heroSpeedRunMs) {
        lastSpawnTick = platform::ticks();
        world()->health = 1.0;
        runFrame();
        travelled += -pieces[heroSlot]->motion.vx;
    }
    const double seconds = (lastFrameEndTick - firstStart) / 1000.0;
    const double ratio = travelled / seconds / pieces[heroSlot]->motion.speed;
    platform::useTestClock(lastFrameEndTick);
    return ratio;
}

// The CPU the game takes per second of play with a frame cap of `fps` (0 for none), as a share of
// one core: N enemies in play, the real clock, the cap sleeping between frames (both threads
// counted).
double cpuShare(int n, int fps) {
    std::streambuf* console = std::cout.rdbuf(nullptr);
    freshRun();
    releaseEnemies(n);
    platform::useRealClock();
    FramePacer pacer(fps);
    const double cpuBefore = processCpuSeconds();
    const Clock::time_point start = Clock::now();
    while (msSince(start) < cappedRunMs) {
        pacer.waitForFrameStart();
        lastSpawnTick = platform::ticks();
        world()->health = 1.0;
        runFrame();
    }
    const double share = (processCpuSeconds() - cpuBefore) / (msSince(start) / 1000.0);
    platform::useTestClock(0);
    std::cout.rdbuf(console);
    return share;
}

// One repetition of both scenarios with `n` enemies: the hero standing, then running left.
void runRepetition(Scenario& standing, Scenario& running, bool measureHeroSpeed) {
    setUpCrowd(standing.n); // afresh: every repetition measures the very same frames
    if (std::getenv("BENCH_DEBUG") != nullptr && running.repetitions.empty()) {
        describeCrowd(standing.n);
    }
    std::streambuf* console = std::cout.rdbuf(nullptr);
    const int frames = framesPerRepetition();
    standing.repetitions.push_back(measure(frames));
    pressLeft();
    for (int i = 0; i < settleFrames; ++i) {
        stepFrame(frameMs);
    }
    running.repetitions.push_back(measure(frames));
    if (measureHeroSpeed) {
        running.heroSpeedRatio = heroSpeedRatio();
    }
    std::cout.rdbuf(console);
}

// Every scenario, repetition by repetition: the scenarios take turns, so that a slow stretch of
// the machine falls on all of them alike.
std::vector<Scenario> runScenarios(const char* only) {
    std::vector<Scenario> scenarios;
    for (int n : scenarioCounts) {
        if (only == nullptr || std::atoi(only) == n) {
            scenarios.push_back(Scenario{n, "standing", {}, 0.0});
            scenarios.push_back(Scenario{n, "running", {}, 0.0});
        }
    }
    const int count = repetitions();
    for (int repetition = 0; repetition < count; ++repetition) {
        for (size_t i = 0; i + 1 < scenarios.size(); i += 2) {
            runRepetition(scenarios[i], scenarios[i + 1], repetition == 0);
        }
        std::fprintf(stderr, "bench: repetition %d of %d done\n", repetition + 1, count);
    }
    return scenarios;
}

// ---- Start-up: a child process from its start to the end of its first frame.

// The game's start-up without the sound engine: window, sprites, the full roster, one frame.
int startUpChild(const char* gameFolder) {
    if (chdir(gameFolder) != 0) {
        return 1;
    }
    std::streambuf* console = std::cout.rdbuf(nullptr);
    openHeadlessScreen("bench");
    SDL_WM_SetCaption("Ghoulrun", nullptr);
    quietHero();
    loadSprites();
    buildRoster();
    connectFrameBlits(); // the game's start-up, in its order
    crowding::prepare();
    gameState = statePlaying;
    runFrame();
    const auto now = Clock::now().time_since_epoch();
    std::cout.rdbuf(console);
    std::printf("%lld\n", static_cast<long long>(
                              std::chrono::duration_cast<std::chrono::nanoseconds>(now).count()));
    return 0;
}

double startUpMs(const char* self, const std::string& gameFolder) {
    std::vector<double> runs;
    for (int i = 0; i < startUpRuns; ++i) {
        int pipeEnds[2];
        if (pipe(pipeEnds) != 0) {
            return -1;
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
        std::string flag = "--start-up";
        std::string folder = gameFolder;
        char* arguments[] = {const_cast<char*>(self), flag.data(), folder.data(), nullptr};
        const auto started = Clock::now().time_since_epoch();
        pid_t child = 0;
        const int spawned = posix_spawn(&child, self, &actions, nullptr, arguments, environ);
        posix_spawn_file_actions_destroy(&actions);
        close(pipeEnds[1]);
        if (spawned != 0) {
            close(pipeEnds[0]);
            return -1;
        }
        char text[64] = {};
        ssize_t got = 0;
        ssize_t part = 0;
        while ((part = read(pipeEnds[0], text + got, sizeof text - 1 - got)) > 0) {
            got += part;
        }
        close(pipeEnds[0]);
        int status = 0;
        waitpid(child, &status, 0);
        const long long firstFrame = std::atoll(text);
        const long long start =
            std::chrono::duration_cast<std::chrono::nanoseconds>(started).count();
        runs.push_back((firstFrame - start) / 1e6);
    }
    return percentile(runs, 0.5);
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--start-up") == 0) {
        return startUpChild(argv[2]);
    }
    // The picture set: the game folder given (with its images/), or stand-ins of the same sizes.
    std::filesystem::path gameFolder = argc > 1 ? argv[1] : "";
    // Where the figures for the plot go, when a second argument names a file.
    const std::filesystem::path plotData =
        argc > 2 ? std::filesystem::absolute(argv[2]) : std::filesystem::path{};
    const char* pictures = "generated set";
    if (gameFolder.empty() || !std::filesystem::exists(gameFolder / "images" / "city2.bmp")) {
        gameFolder = std::filesystem::temp_directory_path() / "ghoulrun-bench-pictures";
        bench::writeStandInPictures(gameFolder);
        pictures = "stand-in pictures";
    }
    gameFolder = std::filesystem::absolute(gameFolder);
    const Clock::time_point benchStart = Clock::now();
    std::printf("Ghoulrun frame benchmark (%s build): %s in %s; %u ms of game time per frame; "
                "%d repetitions of %d frames\n",
                GHOULRUN_BUILD_TYPE, pictures, gameFolder.c_str(), frameMs, repetitions(),
                framesPerRepetition());
    std::fflush(stdout);

    const double startUpTime = startUpMs("/proc/self/exe", gameFolder.string());

    std::filesystem::current_path(gameFolder);
    openHeadlessScreen("bench");
    quietHero();
    loadSprites();
    // As the game starts up: the queue takes the screen's blits, the helper thread its pictures.
    connectFrameBlits();
    crowding::prepare();
    bench::copyPictures(spriteCatalogue, catalogueSize);
    // BENCH_ONLY=N runs the one scenario with N enemies (for profiling).
    const char* only = std::getenv("BENCH_ONLY");
    const std::vector<Scenario> scenarios = runScenarios(only);
    for (const Scenario& scenario : scenarios) {
        report(scenario);
    }
    if (!plotData.empty()) {
        writePlotData(plotData, scenarios);
    }
    if (only == nullptr || std::atoi(only) == cappedEnemies) {
        for (int cap : {cappedFps, 0}) {
            const double share = cpuShare(cappedEnemies, cap);
            std::printf("%s with %d enemies: %.1f %% of one core per second of play\n",
                        cap == 0 ? "no frame cap" : "--fps 60", cappedEnemies, 100.0 * share);
            std::printf("bench N=%d fps_cap=%d cpu_share=%.3f\n", cappedEnemies, cap, share);
        }
    }
    std::printf("start-up to first frame: %.1f ms (median of %d runs: window, %zu picture loads, "
                "roster of %d enemies, first frame; no sound engine)\n",
                startUpTime, startUpRuns, std::size(listedSprites), pieceCount - 1);
    std::printf("bench startup_ms=%.1f\n", startUpTime);
    std::printf("bench total %.1f s\n", msSince(benchStart) / 1000.0);
    destroyRoster();
    releaseSprites();
    SDL_Quit();
    return 0;
}
