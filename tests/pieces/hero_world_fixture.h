// A World in slot 0 and the hero in slot 1, built from small generated pictures, with the hero's
// sounds recorded instead of played.
#pragma once

#include "pieces/game_piece.h"
#include "pieces/player.h"
#include "pieces/world.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace hero_world {

constexpr int cityWidth = 2000;
constexpr int undergroundWidth = 1600;
constexpr int healthWidth = 200;
constexpr int ammoWidth = 150;
constexpr testing_support::Rgb healthColour{255, 0, 0};
constexpr testing_support::Rgb healthEdge{255, 0, 9}; // the health meter's left column
constexpr testing_support::Rgb ammoColour{0, 255, 0};
constexpr Uint32 startTick = 10000;

// An enemy stand-in: counts the sword's kill calls and, like a dying enemy, stays alive.
class StrikeTarget : public GamePiece {
  public:
    explicit StrikeTarget(Vec2 at) { position = at; }
    void kill() override { ++kills; }
    int kills = 0;
};

// Collects what is written to std::cout while it lives.
class CoutCapture {
  public:
    CoutCapture() : previous_(std::cout.rdbuf(text_.rdbuf())) {}
    ~CoutCapture() { std::cout.rdbuf(previous_); }
    CoutCapture(const CoutCapture&) = delete;
    CoutCapture& operator=(const CoutCapture&) = delete;
    std::string text() const { return text_.str(); }

  private:
    std::ostringstream text_;
    std::streambuf* previous_;
};

// The catalogue index of each frame of `animation` of `piece`; -1 where no picture is bound.
std::vector<int> pictureIndices(const GamePiece& piece, int animation);
// True when `pictures` is not empty and runs through consecutive catalogue entries.
bool isConsecutiveRun(const std::vector<int>& pictures);

class HeroWorldFixture : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Releases one more enemy slot holding a stand-in at `worldPosition`.
    StrikeTarget* addEnemy(Vec2 worldPosition);
    // Makes `type` with `key` the frame's event.
    static void setEvent(Uint8 type, SDLKey key = SDLK_UNKNOWN);
    // Runs the hero's input step as a frame that took `frameTime` ms.
    void inputAfter(Uint32 frameTime);

    testing_support::TemporaryFolder pictures;
    World* world = nullptr;
    player* hero = nullptr;
    std::string loadOutput;           // what building the scene printed
    std::vector<std::string> effects; // "category/name" of every effect requested
    int gameOverStarts = 0;
};

} // namespace hero_world
