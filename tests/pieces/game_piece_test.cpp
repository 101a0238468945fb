// The base piece: Motion's forms, the fresh state, setFrame, animation steps, draw, update.
#include "pieces/game_piece.h"
#include "platform/clock.h"
#include "shell/globals.h"
#include "sprites/mirror_surface.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

using namespace testing_support;

namespace {

constexpr Uint32 red = 0xFFFF0000;

// A piece with one animation of `frames` frames, each showing `picture`.
class TestPiece : public GamePiece {
  public:
    explicit TestPiece(int frames = 3, SDL_Surface* picture = nullptr) {
        buildAnimationTable({frames});
        for (int i = 0; i < frames; ++i) {
            animations[0].frames[i] = picture;
        }
    }
    using GamePiece::buildAnimationTable;
    int inputCalls = 0;
    void handleInput() override { ++inputCalls; }
};

class GamePieceTest : public ::testing::Test {
  protected:
    void SetUp() override {
        testing_support::setFrameClock(10000);
        SDL_FillRect(screen, nullptr, 0);
    }
    void TearDown() override { SDL_FreeSurface(picture); }
    SDL_Surface* picture = makeAlphaSurface(10, 80, red);
};

TEST(MotionTest, ThreeFormsBoundSpeedAndTopSpeed) {
    const Motion rest;
    EXPECT_EQ(rest.speed, 1.0);
    EXPECT_EQ(rest.topSpeed, 2.0);
    const Motion zero(0, 0);
    EXPECT_EQ(zero.speed, 1.0);
    EXPECT_EQ(zero.topSpeed, 1.0);
    const Motion equal(5, 3);
    EXPECT_EQ(equal.speed, 5.0);
    EXPECT_EQ(equal.topSpeed, 5.0);
    const Motion moving(-4, 7, 2, 7);
    EXPECT_EQ(moving.vx, -4.0);
    EXPECT_EQ(moving.vy, 7.0);
    EXPECT_EQ(moving.speed, 2.0);
    EXPECT_EQ(moving.topSpeed, 7.0);
    const Vec2 moved = Vec2(1, 2) + moving;
    EXPECT_EQ(moved.x, -3.0);
    EXPECT_EQ(distance(Vec2(0, 0), Vec2(3, 4)), 5.0);
}

TEST_F(GamePieceTest, FreshPieceIsAtRestInPlayAndTimedFromNow) {
    TestPiece piece;
    EXPECT_EQ(piece.motion.vx, 0.0);
    EXPECT_EQ(piece.motion.vy, 0.0);
    EXPECT_EQ(piece.motion.speed, 1.0);
    EXPECT_EQ(piece.motion.topSpeed, 1.0);
    EXPECT_EQ(piece.lastFrameTick, 10000u);
    EXPECT_TRUE(piece.isAlive());
    EXPECT_EQ(piece.facing, facingAsLoaded);
    EXPECT_EQ(piece.getScroll().x, 0.0);
    EXPECT_EQ(piece.getScene(), 0);
}

TEST_F(GamePieceTest, SetFrameRefusesUnsetArgumentsAndPlacesOutsideTheTable) {
    TestPiece piece(2);
    EXPECT_FALSE(piece.setFrame(-1, 0, 5));
    EXPECT_FALSE(piece.setFrame(0, -1, 5));
    EXPECT_FALSE(piece.setFrame(0, 0, -1));
    EXPECT_FALSE(piece.setFrame(0, 2, 5)); // one past the count: nothing stored
    EXPECT_FALSE(piece.setFrame(1, 0, 5));
    EXPECT_EQ(piece.animations[0].frames[0], nullptr);
    EXPECT_TRUE(piece.setFrame(0, 1, 16)); // an empty entry may be bound
}

TEST_F(GamePieceTest, AnimationStepsOnlyAfterMoreThan100msAndLoopsPastFrameZero) {
    TestPiece piece(3);
    std::vector<int> shown{piece.frame};
    testing_support::advanceFrameClock(100);
    piece.animate();
    EXPECT_EQ(piece.frame, 0) << "100 ms is not enough";
    for (int step = 0; step < 4; ++step) {
        testing_support::advanceFrameClock(101);
        piece.animate();
        shown.push_back(piece.frame);
    }
    EXPECT_EQ(shown, (std::vector<int>{0, 1, 2, 1, 2}));

    TestPiece still(1, picture);
    testing_support::advanceFrameClock(101);
    still.animate();
    EXPECT_EQ(still.frame, 1);
    still.draw();
    EXPECT_EQ(still.frame, 0) << "a single frame stays frame 0 on screen";
}

TEST_F(GamePieceTest, DrawStandsOnThePositionRaisedByLiftAndTruncates) {
    TestPiece piece(1, picture);
    piece.position = Vec2(400, 400);
    piece.lift = -50;
    piece.draw();
    EXPECT_EQ(screenColourAt(400, 270).r, 255);
    EXPECT_EQ(screenColourAt(400, 269).r, 0);
    EXPECT_EQ(screenColourAt(409, 349).r, 255);
    EXPECT_EQ(screenColourAt(410, 300).r, 0);

    SDL_FillRect(screen, nullptr, 0);
    SDL_Surface* wide = makeAlphaSurface(210, 10, red);
    TestPiece left(1, wide);
    left.position = Vec2(-200.7, 100);
    left.draw(); // x truncates toward zero: -200, so columns 0 to 9 show
    EXPECT_EQ(screenColourAt(9, 95).r, 255);
    EXPECT_EQ(screenColourAt(10, 95).r, 0);
    SDL_FreeSurface(wide);
}

TEST_F(GamePieceTest, FacingMirrorsTheDrawnFrame) {
    SDL_Surface* halfRed = makeAlphaSurface(2, 1, 0xFF0000FF);
    putPixel(halfRed, 0, 0, red);
    TestPiece piece(1, halfRed);
    piece.position = Vec2(0, 1);
    piece.draw();
    EXPECT_EQ(screenColourAt(0, 0).r, 255);
    piece.facing = facingMirrored;
    piece.draw();
    EXPECT_EQ(screenColourAt(0, 0).b, 255);
    EXPECT_EQ(screenColourAt(1, 0).r, 255);
    SDL_FreeSurface(halfRed);
}

TEST_F(GamePieceTest, DeadPieceIsInertUntilActivated) {
    TestPiece piece(3, picture);
    piece.position = Vec2(100, 100);
    piece.motion.vx = 5;
    piece.kill();
    EXPECT_FALSE(piece.isAlive());
    testing_support::advanceFrameClock(500);
    piece.update();
    EXPECT_EQ(piece.inputCalls, 0);
    EXPECT_EQ(piece.position.x, 100.0);
    EXPECT_EQ(piece.frame, 0);
    EXPECT_EQ(screenColourAt(100, 99).r, 0);

    piece.activate();
    piece.update();
    EXPECT_EQ(piece.inputCalls, 1);
    EXPECT_EQ(piece.position.x, 105.0);
    EXPECT_EQ(piece.frame, 1);
    EXPECT_EQ(screenColourAt(105, 99).r, 255);
}

TEST_F(GamePieceTest, MoveByAndSetPositionChangeThePosition) {
    TestPiece piece;
    piece.moveBy(Motion(3, -2, 9, 9));
    EXPECT_EQ(piece.position.x, 3.0);
    EXPECT_EQ(piece.position.y, -2.0);
    const Vec2 placed = piece.setPosition(Vec2(7, 8));
    EXPECT_EQ(placed.x, 7.0);
    EXPECT_EQ(piece.position.y, 8.0);
    piece.setSpeed(450);
    EXPECT_EQ(piece.motion.speed, 450.0);
}

} // namespace
