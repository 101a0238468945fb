// The base piece: setFrame's refusals, the animation loop and the draw.
#include "pieces/game_piece.h"
#include "platform/clock.h"
#include "sprites/mirror_surface.h"
#include "state/globals.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <vector>

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
};

class GamePieceTest : public ::testing::Test {
  protected:
    void SetUp() override {
        setFrameClock(10000);
        SDL_FillRect(screen, nullptr, 0);
    }
    void TearDown() override { SDL_FreeSurface(picture); }
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

} // namespace

TEST_F(GamePieceTest, AnimateOpensOnFrameZeroOnceThenLoopsOverTheRest) {
    TestPiece piece(3);
    std::vector<int> shown;
    for (int step = 0; step < 5; ++step) {
        advanceFrameClock(101); // a step is due only after more than 100 ms
        piece.animate();
        shown.push_back(piece.frame);
    }
    EXPECT_EQ(shown, (std::vector<int>{1, 2, 1, 2, 1}));
}
