// The pieces: the base piece's frames and draw; the hero's keys, swing, q, jump and sword; the
// World's camera, scenes, health and meters; the enemies' steering, strikes, draw and deaths.
#include "pieces/attacker.h"
#include "pieces/enemy_kinds.h"
#include "pieces/hero_world_fixture.h"
#include "replay/session.h"
#include "sprites/mirror_surface.h"
#include "sprites/sprite_catalogue.h"
#include "state/globals.h"

#include <memory>
#include <vector>

using namespace hero_world;
using namespace testing_support;

namespace {

constexpr Uint32 red = 0xFFFF0000;
// A settled hero runs at 800 px/s: a press's 20 ms frame moves it 16 px.
constexpr double step = 16.0;

constexpr double coveredWidth = 803.0; // the background must cover what the window can show

class TestPiece : public GamePiece { // one animation of `frames` frames, each showing `picture`
  public:
    explicit TestPiece(int frames = 3, SDL_Surface* picture = nullptr) {
        buildAnimationTable({frames});
        for (int i = 0; i < frames; ++i) {
            animations[0].frames[i] = picture;
        }
    }
};

class GamePieceTest : public PieceTableFixture {
  protected:
    void TearDown() override {
        SDL_FreeSurface(picture);
        PieceTableFixture::TearDown();
    }
    SDL_Surface* picture = makeAlphaSurface(10, 80, red);
};

TEST_F(GamePieceTest, SetFrameRefusesUnsetArgumentsAndPlacesOutsideTheTable) {
    TestPiece piece(2);
    const int refused[][3] = {{-1, 0, 5}, {0, -1, 5}, {0, 0, -1}, {0, 2, 5}, {1, 0, 5}};
    for (const auto& [animation, frame, sprite] : refused) {
        EXPECT_FALSE(piece.setFrame(animation, frame, sprite)) << animation << "/" << frame;
    }
    EXPECT_EQ(piece.animations[0].frames[0], nullptr);
    EXPECT_TRUE(piece.setFrame(0, 1, 16)) << "an empty catalogue entry may be bound";
}

TEST_F(GamePieceTest, DrawStandsOnThePositionRaisedByLiftTruncatedAndMirroredByFacing) {
    TestPiece piece(1, picture);
    piece.position = Vec2(400, 400);
    piece.lift = -50;
    piece.draw();
    EXPECT_EQ(screenColourAt(400, 270).r, 255);
    EXPECT_EQ(screenColourAt(400, 269).r, 0);
    EXPECT_EQ(screenColourAt(409, 349).r, 255);
    EXPECT_EQ(screenColourAt(410, 300).r, 0);

    SDL_Surface* halfRed = makeAlphaSurface(2, 1, 0xFF0000FF);
    putPixel(halfRed, 0, 0, red);
    TestPiece half(1, halfRed);
    half.position = Vec2(-0.7, 1); // truncated toward zero: x 0
    half.draw();
    EXPECT_EQ(screenColourAt(0, 0).r, 255);
    half.facing = facingMirrored;
    half.draw();
    EXPECT_EQ(screenColourAt(0, 0).b, 255);
    EXPECT_EQ(screenColourAt(1, 0).r, 255);
    SDL_FreeSurface(halfRed);
}

using HeroTest = HeroWorldFixture;

// Each key pressed and let go is walked by golden.tour, whose digest holds the hero's whole state.
// Not there: letting go while moving on both axes, the right Ctrl key, and closing the window.
TEST_F(HeroTest, ReleasingAKeyStopsItsOwnAxisEvenWithItsOtherKeyHeld) {
    const struct {
        SDLKey key;
        bool stopsX, stopsY;
    } cases[] = {{SDLK_RIGHT, true, false},  {SDLK_KP6, true, false}, {SDLK_LEFT, true, false},
                 {SDLK_KP4, true, false},    {SDLK_UP, false, true},  {SDLK_KP8, false, true},
                 {SDLK_DOWN, false, true},   {SDLK_KP2, false, true}, {SDLK_LCTRL, false, false},
                 {SDLK_SPACE, false, false}, {SDLK_p, false, false},  {SDLK_RCTRL, false, false}};
    for (const auto& test : cases) {
        hero->motion.vx = 5.0;
        hero->motion.vy = -3.0;
        press(SDL_KEYUP, test.key);
        EXPECT_EQ(hero->motion.vx, test.stopsX ? 0.0 : 5.0) << SDL_GetKeyName(test.key);
        EXPECT_EQ(hero->motion.vy, test.stopsY ? 0.0 : -3.0) << SDL_GetKeyName(test.key);
    }
    press(SDL_KEYDOWN, SDLK_RCTRL);
    EXPECT_FALSE(hero->jumping) << "only the left Ctrl key jumps";
    press(SDL_QUIT);
    EXPECT_EQ(gameState, stateQuit);
}

TEST_F(HeroTest, SwingAsksForItsSoundIgnoresInputAndEndsOnItsTenthStep) {
    press(SDL_NOEVENT);
    press(SDL_KEYDOWN, SDLK_RIGHT);
    press(SDL_KEYDOWN, SDLK_SPACE);
    CoutCapture quiet; // the swing's report: every golden replay with a swing holds its lines
    const SDLKey ignored[] = {SDLK_RIGHT, SDLK_SPACE, SDLK_LCTRL};
    for (int frame = 1; frame <= 9; ++frame) {
        press(frame % 2 ? SDL_KEYUP : SDL_KEYDOWN, ignored[frame % 3]);
        advanceFrameClock(101);
        hero->animate();
        EXPECT_EQ(hero->animation, player::swordAnimation);
    }
    press(SDL_QUIT);
    EXPECT_EQ(hero->motion.vx, step) << "a running hero slides on through the swing";
    EXPECT_FALSE(hero->jumping);
    EXPECT_EQ(gameState, stateStarting);
    advanceFrameClock(101);
    hero->animate();
    EXPECT_EQ(hero->animation, player::idleAnimation);
    EXPECT_EQ(effects, std::vector<std::string>{"sword/slash"}) << "one sound per swing";
}

TEST_F(HeroTest, JumpPhasesFollowTheJumpClockUntilTouchdown) {
    press(SDL_KEYDOWN, SDLK_LCTRL);
    advanceFrameClock(300);
    press(SDL_KEYDOWN, SDLK_LCTRL);
    EXPECT_EQ(hero->jumpStartTick, startTick) << "no new jump in the air";
    const std::pair<Uint32, int> phases[] = {
        {1, player::jumpStartAnimation},  {99, player::jumpStartAnimation},
        {100, player::jumpUpAnimation},   {399, player::jumpUpAnimation},
        {400, player::jumpTopAnimation},  {599, player::jumpTopAnimation},
        {600, player::jumpDownAnimation}, {899, player::jumpDownAnimation},
        {900, player::idleAnimation},     {999, player::idleAnimation}};
    for (const auto& [at, animation] : phases) {
        setFrameClock(startTick + at);
        hero->animation = player::idleAnimation;
        hero->think();
        EXPECT_TRUE(hero->jumping && hero->lift < 0.0) << at;
        EXPECT_EQ(hero->animation, animation) << at;
    }
    setFrameClock(startTick + 1000);
    hero->think();
    EXPECT_FALSE(hero->jumping);
    EXPECT_EQ(hero->lift, 0.0);
    EXPECT_EQ(hero->animation, player::landingAnimation);
}

TEST_F(HeroTest, SwordCutsLiveEnemiesWithinReachInFrontOnFrames5And6AndEveryoneNearScreams) {
    world->moveBy(Motion(-100, 0, 1, 2)); // screen x = world x - 100
    // Screen places around the hero at (400, 400): struck facing right, struck facing left.
    const struct {
        double x, y;
        bool right, left;
    } cases[] = {{549, 400, true, false}, {550, 400, false, false}, {489, 520, true, false},
                 {380, 400, false, true}, {381, 400, true, true},   {420, 400, true, false},
                 {419, 400, true, true},  {251, 400, false, true},  {250, 400, false, false}};
    std::vector<StrikeTarget*> targets;
    for (const auto& test : cases) {
        targets.push_back(addEnemy(Vec2(test.x + 100, test.y)));
    }
    addEnemy(Vec2(500, 400))->dead = true;
    pieces[newestReleasedSlot() + 1] = new StrikeTarget(Vec2(500, 400)); // not released yet
    hero->animation = player::swordAnimation;
    for (const int frame : {0, 4, 5, 6, 7, 9}) {
        for (const int facing : {player::facingRight, player::facingLeft}) {
            effects.clear();
            hero->frame = frame;
            hero->facing = facing;
            hero->think();
            const bool cuts = frame == 5 || frame == 6;
            EXPECT_EQ(effects, std::vector<std::string>(cuts ? 7 : 0, "death/wilhelm")) << frame;
            for (size_t i = 0; i < targets.size(); ++i) {
                const bool inFront = facing == player::facingRight ? cases[i].right : cases[i].left;
                EXPECT_EQ(targets[i]->kills, cuts && inFront ? 1 : 0) << i << " on " << frame;
                targets[i]->kills = 0;
            }
        }
    }
}

using WorldTest = HeroWorldFixture;

TEST_F(WorldTest, MoveByKeepsTheBackgroundOverTheWindowWhileTheScrollKeepsTheWholeStep) {
    const double clampedLeft = coveredWidth - cityWidth;
    const struct {
        double start, step, position, scroll;
    } cases[] = {{0, -5000, clampedLeft, -5000},
                 {clampedLeft, 10000, 0, clampedLeft + 10000},
                 {-5, 10, 0, 5},
                 {0, -3, -3, -3}};
    for (const auto& test : cases) {
        world->position.x = test.start;
        world->moveBy(Motion(test.step, 0, 1, 2));
        EXPECT_EQ(world->position.x, test.position) << test.start << " by " << test.step;
        EXPECT_EQ(world->getScroll().x, test.scroll) << test.start << " by " << test.step;
    }
}

TEST_F(WorldTest, BackgroundKeysSwitchScenesAndPullANarrowerBackgroundIntoPlace) {
    const struct {
        Uint8 type;
        SDLKey key;
        double start;
        int scene;
        double position;
    } cases[] = {{SDL_KEYDOWN, SDLK_2, -1500, 1, coveredWidth - undergroundWidth},
                 {SDL_KEYUP, SDLK_1, -300, 1, -300},
                 {SDL_KEYDOWN, SDLK_3, -300, 1, -300},
                 {SDL_KEYDOWN, SDLK_1, -300, 0, -300}};
    for (const auto& test : cases) {
        frameEvent = keyEvent(test.type, test.key);
        world->position.x = test.start;
        world->handleInput();
        EXPECT_EQ(world->getScene(), test.scene) << SDL_GetKeyName(test.key);
        EXPECT_EQ(world->position.x, test.position) << SDL_GetKeyName(test.key);
    }
    EXPECT_EQ(world->getScroll().x, 0.0) << "the enemies' scroll is not touched by a switch";
}

// The dying hero takes no input, the window's close included, and goes on being updated.
TEST_F(WorldTest, SpentHealthKillsTheHeroAtEveryStepWhoStartsTheGameOverOnceAndTakesNoInput) {
    world->health = 0.002;
    for (const SDLKey key : {SDLK_LEFT, SDLK_LCTRL, SDLK_SPACE}) {
        hero->animation = player::idleAnimation; // e.g. a jump phase painted over the dying pose
        advanceFrameClock(101);
        world->animate();
        EXPECT_EQ(world->health, 0.0);
        EXPECT_EQ(hero->animation, player::dyingAnimation);
        press(SDL_KEYDOWN, key);
    }
    press(SDL_QUIT);
    EXPECT_EQ(gameOverStarts, 1);
    EXPECT_TRUE(hero->motion.vx == 0.0 && !hero->jumping && effects.empty());
    EXPECT_EQ(hero->animation, player::dyingAnimation);
    EXPECT_EQ(gameState, stateStarting);
    EXPECT_TRUE(hero->isAlive());
}

TEST_F(WorldTest, DrawCutsEachMeterToItsFraction) {
    world->health = 0.333; // 200 x 0.333: the left 66 columns
    world->ammo = 0.5;     // 150 x 0.5: the left 75 columns
    world->draw();
    EXPECT_TRUE(screenColourAt(10, 514) == barColour && screenColourAt(17, 521) == barColour);
    EXPECT_TRUE(screenColourAt(220, 540) == healthEdge) << "the meter is cut from its left edge";
    EXPECT_TRUE(screenColourAt(221, 540) == healthColour);
    EXPECT_TRUE(screenColourAt(220 + 65, 547) == healthColour);
    EXPECT_FALSE(screenColourAt(220 + 66, 540) == healthColour);
    EXPECT_FALSE(screenColourAt(221, 548) == healthColour);
    EXPECT_TRUE(screenColourAt(220 + 74, 562) == ammoColour);
    EXPECT_FALSE(screenColourAt(220 + 75, 562) == ammoColour);
    SDL_FillRect(screen, nullptr, 0);
    world->health = -0.2;
    world->draw();
    EXPECT_FALSE(screenColourAt(220, 540) == healthEdge);
}

using enemy_testing::EnemyFixture;
using enemy_testing::pictureHeight;

class EnemyTest : public EnemyFixture {
  protected:
    attacker* release(Vec2 at) { // walking at 300 px/s, in slot 2 at `at` (world coordinates)
        auto* enemy = new attacker(at);
        pieces[firstEnemySlot] = enemy;
        enemy->setSpeed(300);
        enemy->activate();
        spawnCounter = pieceCount - firstEnemySlot;
        return enemy;
    }
};

TEST_F(EnemyTest, ChaseSteersByScreenPlaceFollowsVerticallyOnlyNearAndAttacksCloserThan100) {
    world->scroll = Vec2(-100, 0);
    hero->position = Vec2(400, 300);
    const struct {
        Vec2 at; // world position; on screen 100 px further left
        double vx, vy;
        int animation;
    } cases[] = {{{500, 300}, -300, -300, monster::attackAnimation},
                 {{499, 299}, 300, 300, monster::attackAnimation},
                 {{650, 200}, -300, 7, monster::walkAnimation}, // 150 px off: vy kept
                 {{649.5, 200}, -300, 300, monster::walkAnimation},
                 {{560, 380}, -300, -300, monster::walkAnimation}, // exactly 100 px away
                 {{560, 379.9}, -300, -300, monster::attackAnimation}};
    attacker* enemy = release(Vec2(0, 0));
    for (const auto& test : cases) {
        enemy->position = test.at;
        enemy->motion.vy = 7;
        enemy->animation = monster::walkAnimation;
        enemy->frame = 1;
        enemy->chase();
        EXPECT_EQ(enemy->motion.vx, test.vx) << test.at.x << "," << test.at.y;
        EXPECT_EQ(enemy->motion.vy, test.vy) << test.at.x << "," << test.at.y;
        EXPECT_EQ(enemy->animation, test.animation) << test.at.x << "," << test.at.y;
        EXPECT_EQ(enemy->frame, 1) << "the frame index is kept";
    }
}

// Each kind's striking frames and force are in every golden replay's digest; not the reach's edge.
TEST_F(EnemyTest, StrikesMissAHeroTenPixelsUpOrHigher) {
    const struct { double lift, health; } cases[] = {{-10, 0}, {-9.9, -0.02}};
    hero->position = Vec2(5000, 300);
    attacker* swordsman = release(Vec2(100, 300));
    for (const auto& test : cases) {
        hero->lift = test.lift;
        world->health = 0;
        swordsman->animation = monster::attackAnimation;
        swordsman->frame = 0; // its striking frame
        wait(101);
        swordsman->animate();
        EXPECT_DOUBLE_EQ(world->health, test.health) << test.lift;
    }
}

TEST_F(EnemyTest, DrawnAtTheScrolledPlaceUnmirroredAndAFreshAttackFromItsFirstFrame) {
    world->scroll = Vec2(-100, 0);
    hero->position = Vec2(450, 300);
    attacker* enemy = release(Vec2(500.7, 300)); // on screen at x 400.7
    enemy->frame = 2;                            // last walk frame; the attack has two
    enemy->facing = facingMirrored;
    enemy->update(); // no animation step is due
    EXPECT_EQ(enemy->animation, monster::attackAnimation);
    const int top = 300 - pictureHeight(sprite::attackerSword0);
    EXPECT_EQ(screenColourAt(400, top).r, sprite::attackerSword0);
    EXPECT_EQ(screenColourAt(400, top).b, 255); // the left-column marker
    EXPECT_EQ(screenColourAt(407, 299).r, sprite::attackerSword0);
    EXPECT_EQ(screenColourAt(399, top).r, 0);
    EXPECT_EQ(screenColourAt(400, top - 1).r, 0);
    EXPECT_EQ(screenColourAt(400, 300).r, 0);
}

// Every listed kind, built as the roster builds it, waits dead until released; killed, its death
// runs to the frame that takes it out of play and counts it (too short a die animation: never).
TEST_F(EnemyTest, EveryKindWaitsDeadUntilReleasedAndItsDeathTakesItOutOfPlay) {
    for (const EnemyKind& kind : enemy_kind::all) {
        const std::unique_ptr<GamePiece> enemy(kind.build(Vec2(0, 0)));
        EXPECT_FALSE(enemy->isAlive()) << kind.name;
        enemy->activate();
        ASSERT_TRUE(enemy->isAlive()) << kind.name;
        completedCount = 0;
        enemy->kill();
        for (int step = 0; step < monster::deathEndFrame; ++step) {
            EXPECT_TRUE(enemy->isAlive()) << kind.name << " left play at step " << step;
            wait(101);
            enemy->animate();
        }
        EXPECT_FALSE(enemy->isAlive()) << kind.name << " never leaves play";
        EXPECT_EQ(completedCount, 1) << kind.name;
    }
}

} // namespace
