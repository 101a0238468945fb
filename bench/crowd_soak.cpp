// The crowd soak: minutes of game time with thousands of enemies in play, headless.
//
// The game as start-up makes it (a screen from SDL's dummy video driver with the blits on, the
// generated pictures, the roster, the queue of blits and the crowding helper thread), driven frame
// by frame on the test clock from a reading where the release schedule lets an enemy out every
// frame. The hero plays through SDL's event queue as a player would: it runs both ways, jumps,
// goes up and down the street, switches between the city and the underground and now and then
// swings, round after round; between rounds, while the crowd is above its target, it walks up to
// the nearest enemy and swings, backing out first where one swing could take the crowd below its
// target. The crowd's strikes would end the run within seconds: whenever the health runs low the
// driver fills it up through the World's own changeHealth. Runs of the same length end in the same
// state digest, whatever the build and whichever crowding pass it takes.
//
//   crowd_soak GAME_FOLDER [MINUTES]
//
// Prints a line per minute of game time and a closing line of figures ("soak ..."). Exits 1 when
// the hero died, when the helper thread never shared a frame (or never drew) on a machine with a
// core to spare, when the crowd stood below its floor for most of a run of two minutes or more, or
// when the resident memory grew by a mebibyte or more from the first minute mark after the last
// release to the end. Until then each newly released slot first touches its share of the crowd's
// tables, which are laid out whole for the roster and the street; a crowd spreading along the
// street still touches a little more of them for some minutes after.
#include "headless_screen.h"

#include "crowd/crowd.h"
#include "crowd/crowding.h"
#include "pieces/player.h"
#include "pieces/world.h"
#include "platform/clock.h"
#include "platform/cores.h"
#include "render/blit_queue.h"
#include "render/screen_blit.h"
#include "replay/state_digest.h"
#include "shell/game.h"
#include "sprites/sprite_catalogue.h"
#include "state/globals.h"

#include <SDL/SDL.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

namespace {

using WallClock = std::chrono::steady_clock;

// Game time per frame (a pace the game keeps with thousands of enemies on a slow machine), and
// the frames in a minute of it. At one release a frame the roster is all out in the fifth minute.
// A shorter frame releases faster than the sword can thin the crowd, which then stands at twice the
// size, and the plain crowding pass (the crowd times the whole roster, every frame) takes hours.
constexpr Uint32 frameMs = 30;
constexpr int framesPerMinute = 60 * 1000 / frameMs;
constexpr int defaultMinutes = 10;
// The clock starts where the release interval has shrunk to nothing: an enemy every frame.
constexpr Uint32 firstReading = 350000;
// The crowd the soak promises for most of a run, and the target the sword brings it down to: it
// falls evenly over the run, so that the sword keeps killing once the roster is all out, and stays
// far enough above the floor for the kills of one swing.
constexpr int crowdFloor = 3000;
constexpr int firstCrowdTarget = 3600;
constexpr int lastCrowdTarget = 3100;
// Below this share of full health the driver fills the health up again.
constexpr double refillBelow = 0.5;
constexpr double fullHealth = 1.0;
// The resident memory may grow by less than this once the roster is all released, in KiB.
constexpr long rssGrowthLimitKiB = 1024;
// In a fight the hero swings once the nearest enemy is in front of it and this close (inside the
// sword's reach, with room for the slide of a running swing), and walks up or down the street
// until the enemy is this close across it.
constexpr double strikeDistance = 110.0;
constexpr double alongTolerance = 30.0;
// Enemies this close to the hero may fall to one swing. While more of them stand this close than
// the crowd can lose above its target, the hero backs out of the crowd instead of swinging, so that
// no swing brings the crowd down past its floor.
constexpr double killReach = 250.0;

// One key event at a frame of a sequence.
struct KeyStep {
    int frame;
    Uint8 type;
    SDLKey key;
};
// The opening run from the street's left end to the middle of its release points.
constexpr KeyStep opening[] = {{0, SDL_KEYDOWN, SDLK_RIGHT}, {40, SDL_KEYUP, SDLK_RIGHT}};
constexpr int openingFrames = 45;
// A round of play: the background first (city, then underground, by turns), then runs that end
// where they began, a jump, up and down the street, and in every few rounds one swing whatever the
// crowd; every key is up again, and the swing over, at its end.
constexpr KeyStep round[] = {
    {5, SDL_KEYDOWN, SDLK_RIGHT},   {35, SDL_KEYUP, SDLK_RIGHT},   {40, SDL_KEYDOWN, SDLK_LEFT},
    {70, SDL_KEYUP, SDLK_LEFT},     {75, SDL_KEYDOWN, SDLK_LCTRL}, {76, SDL_KEYUP, SDLK_LCTRL},
    {110, SDL_KEYDOWN, SDLK_UP},    {130, SDL_KEYUP, SDLK_UP},     {135, SDL_KEYDOWN, SDLK_DOWN},
    {145, SDL_KEYUP, SDLK_DOWN},    {150, SDL_KEYDOWN, SDLK_LEFT}, {165, SDL_KEYUP, SDLK_LEFT},
    {170, SDL_KEYDOWN, SDLK_RIGHT}, {185, SDL_KEYUP, SDLK_RIGHT},
};
constexpr int roundSwingFrame = 190;
constexpr int swingEveryRounds = 4;
constexpr int roundFrames = 230;

World* world() {
    return static_cast<World*>(pieces[worldSlot]);
}

GamePiece* hero() {
    return pieces[heroSlot];
}

void pushKey(Uint8 type, SDLKey key) {
    SDL_Event event{};
    event.type = type;
    event.key.type = type;
    event.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    event.key.keysym.sym = key;
    SDL_PushEvent(&event);
}

// The step of `steps` at `frame`, if any.
template <size_t count> const KeyStep* stepAt(const KeyStep (&steps)[count], int frame) {
    for (const KeyStep& step : steps) {
        if (step.frame == frame) {
            return &step;
        }
    }
    return nullptr;
}

int enemiesInPlay() {
    int count = 0;
    for (int slot = firstEnemySlot; slot <= newestReleasedSlot(); ++slot) {
        count += pieces[slot] != nullptr && !pieces[slot]->dead ? 1 : 0;
    }
    return count;
}

// The enemies in play around the hero, as seen from it on the screen: the nearest one, and how
// many stand within a swing's reach (and a margin, for those that walk in while it cuts) with
// the middle of where they stand.
struct Surroundings {
    Vec2 nearest{1.0e9, 0.0}; // the street's far end when none is in play
    int withinReach = 0;
    Vec2 middle;
};

Surroundings surroundings() {
    const Vec2 scroll = world()->getScroll();
    const Vec2 at = hero()->position;
    Surroundings around;
    double nearestDistance = distance(around.nearest, Vec2());
    for (int slot = firstEnemySlot; slot <= newestReleasedSlot(); ++slot) {
        const GamePiece* enemy = pieces[slot];
        if (enemy == nullptr || enemy->dead) {
            continue;
        }
        const Vec2 offset(enemy->position.x + scroll.x - at.x, enemy->position.y + scroll.y - at.y);
        const double away = distance(offset, Vec2());
        if (away < nearestDistance) {
            nearestDistance = away;
            around.nearest = offset;
        }
        if (away < killReach) {
            ++around.withinReach;
            around.middle = around.middle + offset;
        }
    }
    return around;
}

// The hero's part of each frame: the opening, then rounds, and after each round a fight while the
// crowd is above its target. A fight walks the hero up to the nearest enemy, turned toward it,
// and swings (Space) when it is close, over and over, for as long as a round lasts; where the
// crowd is too thick for a swing to spare, it backs out first. A swing under way takes no keys,
// so the next step waits for its end. At most one key event a frame.
class Player {
  public:
    explicit Player(int frameCount) : frames(frameCount) {}

    void play(int frameIndex, int inPlay) {
        if (frameIndex < openingFrames) {
            push(stepAt(opening, frameIndex));
        } else if (fightFrame >= 0) {
            fight(frameIndex, inPlay);
        } else if (roundFrame == roundFrames && inPlay > target(frameIndex)) {
            roundFrame = 0;
            fightFrame = 0;
            fight(frameIndex, inPlay);
        } else {
            roundFrame %= roundFrames;
            if (roundFrame == 0) {
                pushKey(SDL_KEYDOWN, ++rounds % 2 == 1 ? SDLK_1 : SDLK_2);
            } else if (roundFrame == roundSwingFrame && rounds % swingEveryRounds == 0) {
                swing();
            } else if (roundFrame == roundSwingFrame + 1) {
                pushKey(SDL_KEYUP, SDLK_SPACE); // one swing, not another after it
            }
            push(stepAt(round, roundFrame++));
        }
    }

    int swings = 0;

  private:
    int frames;
    int roundFrame = 0;
    int rounds = 0;
    int fightFrame = -1;              // frames into the fight; -1 out of one
    SDLKey heldAcross = SDLK_UNKNOWN; // the fight's keys held down, if any
    SDLKey heldAlong = SDLK_UNKNOWN;

    int target(int frameIndex) const {
        const long fallen = static_cast<long>(firstCrowdTarget - lastCrowdTarget) * frameIndex;
        return firstCrowdTarget - static_cast<int>(fallen / frames);
    }

    void swing() {
        pushKey(SDL_KEYDOWN, SDLK_SPACE);
        ++swings;
    }

    static void push(const KeyStep* step) {
        if (step != nullptr) {
            pushKey(step->type, step->key);
        }
    }

    void fight(int frameIndex, int inPlay) {
        if (hero()->animation == player::swordAnimation) {
            ++fightFrame; // the swing runs on
            return;
        }
        if (fightFrame >= roundFrames || inPlay <= target(frameIndex)) {
            endFight();
            return;
        }
        ++fightFrame;
        const Surroundings around = surroundings();
        if (around.withinReach > inPlay - target(frameIndex)) {
            walkToward(Vec2(-around.middle.x, -around.middle.y));
        } else if (heading(around.nearest) == heldAcross &&
                   distance(around.nearest, Vec2()) < strikeDistance) {
            swing();
        } else {
            walkToward(around.nearest);
        }
    }

    // Turns the hero toward `offset` (a place seen from it) and walks it there, one key at a time:
    // across the street first, then along it, which it lets go of once level with the place.
    void walkToward(const Vec2& offset) {
        const SDLKey across = heading(offset);
        if (across != heldAcross) {
            hold(heldAcross, across);
        } else if (std::abs(offset.y) > alongTolerance) {
            const SDLKey along = offset.y < 0.0 ? SDLK_UP : SDLK_DOWN;
            if (along != heldAlong) {
                hold(heldAlong, along);
            }
        } else if (heldAlong != SDLK_UNKNOWN) {
            pushKey(SDL_KEYUP, heldAlong);
            heldAlong = SDLK_UNKNOWN;
        }
    }

    static SDLKey heading(const Vec2& offset) { return offset.x < 0.0 ? SDLK_LEFT : SDLK_RIGHT; }

    // Presses `key` in place of `held`, a key held down on the same axis.
    static void hold(SDLKey& held, SDLKey key) {
        pushKey(SDL_KEYDOWN, key);
        held = key;
    }

    // Lets go of the fight's keys, so that the next round starts with every key up.
    void endFight() {
        for (SDLKey* held : {&heldAcross, &heldAlong}) {
            if (*held != SDLK_UNKNOWN) {
                pushKey(SDL_KEYUP, *held);
                *held = SDLK_UNKNOWN;
            }
        }
        fightFrame = -1;
    }
};

// The hero's sounds go nowhere (no audio device is opened); its death would end the run, so it
// is noted and fails the soak.
bool heroDied = false;

void quietHero() {
    heroSounds() = HeroSounds{[](const char*, const char*, int) {}, [] { heroDied = true; }};
}

// Refills the health when it runs low, through the World's own rule for a change of health.
long refills = 0;

void keepHeroAlive() {
    const double health = world()->health;
    if (health < refillBelow) {
        pieces[worldSlot]->changeHealth(fullHealth - health, +1);
        ++refills;
    }
}

// The process's resident memory in KiB (VmRSS), or -1 when it cannot be read.
long residentKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) {
            return std::atol(line.c_str() + std::strlen("VmRSS:"));
        }
    }
    return -1;
}

// The game's start-up without a window or the sound engine, on the test clock.
void startHeadless() {
    openHeadlessScreen("crowd_soak");
    platform::useTestClock(firstReading);
    resetShellGlobals(platform::ticks());
    quietHero();
    loadSprites();
    buildRoster();
    connectFrameBlits();
    crowding::prepare();
    replay::followEffectRequests();
    setScreenBlitsSkipped(false);
    gameState = statePlaying;
}

// How many enemies were in play, frame by frame: a count of frames per crowd size (laid out
// whole at the start, so that counting touches no new memory), and this minute's extremes.
struct CrowdCounts {
    std::vector<long> framesWith = std::vector<long>(pieceCount + 1);
    int minuteLowest = pieceCount;
    int minuteHighest = 0;

    void add(int inPlay) {
        ++framesWith[inPlay];
        minuteLowest = std::min(minuteLowest, inPlay);
        minuteHighest = std::max(minuteHighest, inPlay);
    }
    int peak() const {
        int size = pieceCount;
        while (size > 0 && framesWith[size] == 0) {
            --size;
        }
        return size;
    }
    int median(int frames) const {
        long seen = 0;
        int size = 0;
        while (size < pieceCount && (seen += framesWith[size]) <= frames / 2) {
            ++size;
        }
        return size;
    }
    long framesAtLeast(int floor) const {
        long count = 0;
        for (int size = floor; size <= pieceCount; ++size) {
            count += framesWith[size];
        }
        return count;
    }
};

double secondsSince(WallClock::time_point start) {
    return std::chrono::duration<double>(WallClock::now() - start).count();
}

// The resident memory at the first minute, at the first minute mark once the roster is all
// released, and at the end.
struct Residency {
    long minuteOne = -1;
    long rosterOut = -1;
    long end = -1;
};

// Whether the run kept its promises; says why not on standard error.
bool keptPromises(const CrowdCounts& counts, int frames, const Residency& memory) {
    bool kept = true;
    auto fail = [&kept](const char* why) {
        std::fprintf(stderr, "crowd_soak: %s\n", why);
        kept = false;
    };
    if (heroDied) {
        fail("the hero died");
    }
    if (!crowding::plainOnly() && platform::usableCores() >= 2 &&
        (frameCrowd().helpedFrames() == 0 || frameBlits().helperBlits() == 0)) {
        fail("the helper thread never shared a frame's passes and blits");
    }
    if (frames >= 2 * framesPerMinute && 2 * counts.framesAtLeast(crowdFloor) <= frames) {
        fail("the crowd stood below its floor for most of the run");
    }
    if (memory.rosterOut >= 0 && memory.end - memory.rosterOut >= rssGrowthLimitKiB) {
        fail("the resident memory grew by a mebibyte or more once the roster was out");
    }
    return kept;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: crowd_soak GAME_FOLDER [MINUTES]\n");
        return 2;
    }
    const int minutes = argc > 2 ? std::max(1, std::atoi(argv[2])) : defaultMinutes;
    const int frames = minutes * framesPerMinute;
    std::filesystem::current_path(argv[1]);
    const WallClock::time_point started = WallClock::now();

    std::streambuf* console = std::cout.rdbuf(nullptr); // "Loading ...", the swing reports
    startHeadless();
    Player hero(frames);
    CrowdCounts counts;
    Residency memory;
    int inPlay = 0;
    for (int frameIndex = 0; frameIndex < frames; ++frameIndex) {
        hero.play(frameIndex, inPlay);
        keepHeroAlive();
        platform::advanceTestClock(frameMs);
        runFrame();
        replay::noteFrameShown();
        inPlay = enemiesInPlay();
        counts.add(inPlay);
        if ((frameIndex + 1) % framesPerMinute != 0) {
            continue;
        }
        const long rss = residentKiB();
        const int minute = (frameIndex + 1) / framesPerMinute;
        memory.minuteOne = minute == 1 ? rss : memory.minuteOne;
        if (memory.rosterOut < 0 && spawnCounter == 1 && minute < minutes) {
            memory.rosterOut = rss;
        }
        std::printf("minute %d: %d to %d enemies in play, %d completed, %ld helped frames, "
                    "%ld KiB resident, %.1f s\n",
                    minute, counts.minuteLowest, counts.minuteHighest, completedCount,
                    frameCrowd().helpedFrames(), rss, secondsSince(started));
        std::fflush(stdout);
        counts.minuteLowest = pieceCount;
        counts.minuteHighest = 0;
    }
    memory.end = residentKiB();
    const unsigned long long digest = replay::stateDigest();
    std::cout.rdbuf(console);

    std::printf("soak minutes=%d frames=%d peak=%d median=%d frames_at_floor=%ld swings=%d "
                "refills=%ld completed=%d helped_frames=%ld helper_blits=%ld plain=%d "
                "rss_minute1_kib=%ld rss_roster_out_kib=%ld rss_end_kib=%ld wall_s=%.1f "
                "digest=%016llx\n",
                minutes, frames, counts.peak(), counts.median(frames),
                counts.framesAtLeast(crowdFloor), hero.swings, refills, completedCount,
                frameCrowd().helpedFrames(), frameBlits().helperBlits(),
                crowding::plainOnly() ? 1 : 0, memory.minuteOne, memory.rosterOut, memory.end,
                secondsSince(started), digest);
    const bool kept = keptPromises(counts, frames, memory);
    destroyRoster();
    releaseSprites();
    SDL_Quit();
    return kept ? 0 : 1;
}
