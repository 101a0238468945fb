// The frame benchmark: the real frame function against its own drawing floor, headless.
//
// For each scenario the roster is built as at start-up, N enemies are released through the
// release schedule, the crowd is walked to the hero, and then frames are measured. The test clock
// advances a fixed 16 ms per frame, so the game does the same on every machine while the wall
// time is measured. The floor of a frame is the drawing it cannot do without, replayed right
// after it: the fill, every blit the frame made (background, bar, meters, enemies, the hero) and
// the flip. The hero's sounds go nowhere and no audio device is opened.
#include "alloc_counter.h"
#include "standin_pictures.h"

#include "crowd/crowd.h"
#include "pieces/monster.h"
#include "pieces/player.h"
#include "pieces/world.h"
#include "platform/clock.h"
#include "shell/frame_pacer.h"
#include "shell/game.h"
#include "shell/globals.h"
#include "sprites/sprite_catalogue.h"

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
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern "C" int __real_SDL_UpperBlit(SDL_Surface* source, SDL_Rect* sourceRect, SDL_Surface* target,
                                    SDL_Rect* targetRect);
extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

constexpr Uint32 frameMs = 16;
constexpr int scenarioCounts[] = {0, 100, 1000, 3000, 9997};
// The crowd's walk to the hero: a few long frames, each half the one before (an enemy that
// overshoots turns back), then frames of the usual length.
constexpr Uint32 approachFrames[] = {24000, 12000, 6000, 3000, 1500, 800, 400, 200, 100, 50, 32};
constexpr int settleFrames = 30;
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

// Frames and floors are timed by the wall clock; BENCH_CPU_TIME=1 times them by the CPU time of
// this thread instead, which holds steadier on a machine busy with other work.
const bool cpuTime = std::getenv("BENCH_CPU_TIME") != nullptr;

double stamp() {
    if (cpuTime) {
        timespec now{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
        return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
    }
    return std::chrono::duration<double, std::milli>(Clock::now().time_since_epoch()).count();
}

// ---- The blits of one frame, written down so the floor can replay them.

struct RecordedBlit {
    SDL_Surface* source;
    SDL_Rect sourceRect;
    bool whole;
    SDL_Rect target;
};

std::array<RecordedBlit, pieceCount + 16> recorded;
size_t recordedCount = 0;
bool recording = false;

// A mirrored copy is freed right after its blit; the floor blits the hero's picture in its place,
// which has the same size and pixel format.
SDL_Surface* heroPicture() {
    GamePiece* hero = pieces[heroSlot];
    return hero->animations[hero->animation].frames[hero->frame];
}

} // namespace

extern "C" int __wrap_SDL_UpperBlit(SDL_Surface* source, SDL_Rect* sourceRect, SDL_Surface* target,
                                    SDL_Rect* targetRect) {
    if (recording && recordedCount < recorded.size() && target == screen) {
        RecordedBlit& blit = recorded[recordedCount++];
        blit.source = source == bench::liveCopy() ? heroPicture() : source;
        blit.whole = sourceRect == nullptr;
        blit.sourceRect = sourceRect ? *sourceRect : SDL_Rect{};
        blit.target = targetRect ? *targetRect : SDL_Rect{};
    }
    return __real_SDL_UpperBlit(source, sourceRect, target, targetRect);
}

namespace {

void drawFloor() {
    SDL_FillRect(screen, nullptr, 255);
    for (size_t i = 0; i < recordedCount; ++i) {
        RecordedBlit& blit = recorded[i];
        SDL_Rect target = blit.target;
        __real_SDL_UpperBlit(blit.source, blit.whole ? nullptr : &blit.sourceRect, screen, &target);
    }
    SDL_Flip(screen);
}

// ---- Scenario set-up through the game's own paths.

void quietHero() {
    heroSounds() = HeroSounds{[](const char*, const char*, int) {}, [] {}};
}

World* world() {
    return static_cast<World*>(pieces[worldSlot]);
}

// A fresh run at timer 0: the whole roster, nothing released.
void freshRun() {
    destroyRoster();
    platform::useTestClock(0);
    resetShellGlobals();
    buildRoster();
    gameState = statePlaying;
}

// Releases `count` enemies through the release schedule, stepping the clock 1 ms at a time.
void releaseEnemies(int count) {
    while (newestReleasedSlot() - heroSlot < count) {
        platform::advanceTestClock(1);
        frameTick = platform::ticks(); // each release test as a frame of its own would see it
        releaseDueEnemy();
    }
    // The frames that would have run meanwhile are skipped: the next one is timed from here.
    lastFrameEndTick = platform::ticks();
}

// One frame `ms` after the last; the release schedule is held so that N stays as it is, and the
// hero's health is kept up so that the hero keeps standing or running.
void stepFrame(Uint32 ms) {
    platform::advanceTestClock(ms);
    lastSpawnTick = platform::ticks();
    world()->health = 1.0;
    runFrame();
}

void pressLeft() {
    SDL_Event press{};
    press.type = SDL_KEYDOWN;
    press.key.type = SDL_KEYDOWN;
    press.key.state = SDL_PRESSED;
    press.key.keysym.sym = SDLK_LEFT;
    SDL_PushEvent(&press);
}

int enemiesInPlay() {
    int count = 0;
    for (int slot = firstEnemySlot; slot <= newestReleasedSlot(); ++slot) {
        count += pieces[slot]->isAlive() ? 1 : 0;
    }
    return count;
}

// The crowding pass of one frame on its own, in frame order, timed; positions are put back.
double timeCrowdingPass() {
    const int newest = newestReleasedSlot();
    std::vector<Vec2> saved;
    for (int slot = firstEnemySlot; slot <= newest; ++slot) {
        saved.push_back(pieces[slot]->position);
    }
    // As in the frame loop: the Crowd follows each enemy's move for the passes after it.
    Crowd& crowd = frameCrowd();
    const double start = stamp();
    crowd.open();
    for (int slot = newest; slot >= firstEnemySlot; --slot) {
        if (pieces[slot]->isAlive()) {
            crowd.enter(slot);
            static_cast<monster*>(pieces[slot])->separate();
            crowd.refresh(slot);
        }
    }
    crowd.close();
    const double ms = stamp() - start;
    for (int slot = firstEnemySlot; slot <= newest; ++slot) {
        pieces[slot]->position = saved[slot - firstEnemySlot];
    }
    return ms;
}

double percentile(std::vector<double> values, double share) {
    std::sort(values.begin(), values.end());
    const size_t at = static_cast<size_t>(std::ceil(share * values.size())) - 1;
    return values[std::min(at, values.size() - 1)];
}

struct Measured {
    std::vector<double> frames;
    std::vector<double> floors;
    bench::AllocationCounts counts;
    long helpedFrames = 0; // frames whose crowding heads the helper thread worked out
};

Measured measure(int frameCount) {
    Measured result;
    const long helpedBefore = frameCrowd().helpedFrames();
    bench::AllocationCounts total;
    for (int i = 0; i < frameCount; ++i) {
        platform::advanceTestClock(frameMs);
        lastSpawnTick = platform::ticks();
        world()->health = 1.0;
        recordedCount = 0;
        recording = true;
        bench::startCounting();
        const double start = stamp();
        runFrame();
        const double frame = stamp() - start;
        const bench::AllocationCounts counts = bench::stopCounting();
        recording = false;
        const double floorStart = stamp();
        drawFloor();
        result.floors.push_back(stamp() - floorStart);
        result.frames.push_back(frame);
        total.allocations += counts.allocations;
        total.inMirroredCopies += counts.inMirroredCopies;
        total.surfacesCreated += counts.surfacesCreated;
    }
    result.counts = total;
    result.helpedFrames = frameCrowd().helpedFrames() - helpedBefore;
    return result;
}

// Frames to measure for n enemies: enough for a steady median, within a few seconds.
int framesFor(int n) {
    if (n >= 9000) {
        return 20;
    }
    if (n >= 3000) {
        return 40;
    }
    if (n >= 1000) {
        return 100;
    }
    return 300;
}

void report(int n, const char* hero, const Measured& m, double pairNs) {
    const double frame = percentile(m.frames, 0.5);
    const double p95 = percentile(m.frames, 0.95);
    const double floor = percentile(m.floors, 0.5);
    const double frames = static_cast<double>(m.frames.size());
    std::printf("N=%-5d hero=%-8s frame %8.3f ms (p95 %8.3f)  %7.1f fps  floor %8.3f ms  "
                "ratio %5.3f  pair %6.3f ns  allocs/frame %.1f (%.1f in %.1f mirrored copies)  "
                "helped %ld/%zu\n",
                n, hero, frame, p95, 1000.0 / frame, floor, frame / floor, pairNs,
                m.counts.allocations / frames, m.counts.inMirroredCopies / frames,
                m.counts.surfacesCreated / frames, m.helpedFrames, m.frames.size());
    std::printf("bench N=%d hero=%s frame_ms=%.3f p95_ms=%.3f fps=%.1f floor_ms=%.3f ratio=%.3f "
                "pair_ns=%.3f allocs=%ld allocs_outside_copies=%ld copies=%ld frames=%zu "
                "helped_frames=%ld\n",
                n, hero, frame, p95, 1000.0 / frame, floor, frame / floor, pairNs,
                m.counts.allocations, m.counts.allocations - m.counts.inMirroredCopies,
                m.counts.surfacesCreated, m.frames.size(), m.helpedFrames);
    std::fflush(stdout);
}

double pairNanoseconds(int n) {

    if (n == 0) {
        return 0.0;
    }
    std::vector<double> passes;
    const int runs = n >= 9000 ? 3 : 7;
    passes.reserve(runs);
    for (int i = 0; i < runs; ++i) {
        passes.push_back(timeCrowdingPass());
    }
    const double pairs = static_cast<double>(enemiesInPlay()) * (newestReleasedSlot() - heroSlot);
    return percentile(passes, 0.5) * 1e6 / pairs;
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

void runScenario(int n) {
    std::streambuf* console = std::cout.rdbuf(nullptr); // "Loading ..." and console clearing
    freshRun();
    releaseEnemies(n);
    for (Uint32 ms : approachFrames) {
        stepFrame(ms);
    }
    for (int i = 0; i < settleFrames; ++i) {
        stepFrame(frameMs);
    }
    std::cout.rdbuf(console);
    if (std::getenv("BENCH_DEBUG") != nullptr) {
        describeCrowd(n);
    }
    const int frames = framesFor(n);
    std::cout.rdbuf(nullptr);
    Measured standing = measure(frames);
    double pairNs = pairNanoseconds(n);
    std::cout.rdbuf(console);
    report(n, "standing", standing, pairNs);

    std::cout.rdbuf(nullptr);
    pressLeft();
    for (int i = 0; i < settleFrames; ++i) {
        stepFrame(frameMs);
    }
    Measured running = measure(frames);
    pairNs = pairNanoseconds(n);
    const double speedRatio = heroSpeedRatio();
    std::cout.rdbuf(console);
    report(n, "running", running, pairNs);
    std::printf("bench N=%d hero_speed_ratio=%.3f\n", n, speedRatio);
}

// ---- Start-up: a child process from its start to the end of its first frame.

void openHeadlessDisplay() {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    if (SDL_Init(SDL_INIT_TIMER | SDL_INIT_VIDEO) < 0) {
        std::fprintf(stderr, "bench: SDL_Init: %s\n", SDL_GetError());
        std::exit(1);
    }
    screen = SDL_SetVideoMode(screenWidth, screenHeight, 32,
                              SDL_HWSURFACE | SDL_HWACCEL | SDL_DOUBLEBUF);
    if (screen == nullptr) {
        std::fprintf(stderr, "bench: SDL_SetVideoMode: %s\n", SDL_GetError());
        std::exit(1);
    }
}

// The game's start-up without the sound engine: window, sprites, the full roster, one frame.
int startUpChild(const char* gameFolder) {
    if (chdir(gameFolder) != 0) {
        return 1;
    }
    std::streambuf* console = std::cout.rdbuf(nullptr);
    openHeadlessDisplay();
    SDL_WM_SetCaption("Ghoulrun", nullptr);
    quietHero();
    loadSprites();
    buildRoster();
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
    const char* pictures = "generated set";
    if (gameFolder.empty() || !std::filesystem::exists(gameFolder / "images" / "city2.bmp")) {
        gameFolder = std::filesystem::temp_directory_path() / "ghoulrun-bench-pictures";
        bench::writeStandInPictures(gameFolder);
        pictures = "stand-in pictures";
    }
    gameFolder = std::filesystem::absolute(gameFolder);
    const Clock::time_point benchStart = Clock::now();
    std::printf("Ghoulrun frame benchmark (%s build): %s in %s; %u ms of game time per frame; %s\n",
                GHOULRUN_BUILD_TYPE, pictures, gameFolder.c_str(), frameMs,
                cpuTime ? "timed by thread CPU time" : "timed by the wall clock");
    std::fflush(stdout);

    const double startUpTime = startUpMs("/proc/self/exe", gameFolder.string());

    std::filesystem::current_path(gameFolder);
    openHeadlessDisplay();
    quietHero();
    loadSprites();
    // BENCH_ONLY=N runs the one scenario with N enemies (for profiling).
    const char* only = std::getenv("BENCH_ONLY");
    for (int n : scenarioCounts) {
        if (only == nullptr || std::atoi(only) == n) {
            runScenario(n);
        }
    }
    if (only == nullptr || std::atoi(only) == cappedEnemies) {
        for (int cap : {cappedFps, 0}) {
            const double share = cpuShare(cappedEnemies, cap);
            std::printf("%s with %d enemies: %.1f %% of one core per second of play\n",
                        cap == 0 ? "no frame cap" : "--fps 60", cappedEnemies, 100.0 * share);
            std::printf("bench N=%d fps_cap=%d cpu_share=%.3f\n", cappedEnemies, cap, share);
        }
    }
    std::printf("start-up to first frame: %.1f ms (median of %d runs: window, %s, roster of %d "
                "enemies, first frame; no sound engine)\n",
                startUpTime, startUpRuns, "82 picture loads", pieceCount - 1);
    std::printf("bench startup_ms=%.1f\n", startUpTime);
    std::printf("bench total %.1f s\n", msSince(benchStart) / 1000.0);
    destroyRoster();
    releaseSprites();
    SDL_Quit();
    return 0;
}
