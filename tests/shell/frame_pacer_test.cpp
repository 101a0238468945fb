// The frame cap on the test clock: frames start no closer than the cap allows, the wait is a
// sleep that ends when the next frame is due, and a slow frame is not made up for.
#include "platform/clock.h"
#include "shell/frame_pacer.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Runs frames that each take `work` ms and returns when each of them started.
std::vector<Uint32> frameStarts(FramePacer& pacer, const std::vector<Uint32>& work) {
    std::vector<Uint32> starts;
    for (Uint32 ms : work) {
        pacer.waitForFrameStart();
        starts.push_back(platform::ticks());
        platform::advanceTestClock(ms);
    }
    return starts;
}

TEST(FramePacerTest, SixtyAFrameSecondSpacesFramesByAThirdOf50Ms) {
    platform::setTestClock(1000);
    FramePacer pacer(60);
    const std::vector<Uint32> starts = frameStarts(pacer, std::vector<Uint32>(7, 5));
    // 1000 / 60 ms apart on average: 16 or 17, never closer.
    EXPECT_EQ(starts, (std::vector<Uint32>{1000, 1016, 1033, 1050, 1066, 1083, 1100}));
    EXPECT_EQ(platform::ticks(), 1105u);
}

TEST(FramePacerTest, ASlowFrameStartsTheScheduleAfreshInsteadOfABurst) {
    platform::setTestClock(0);
    FramePacer pacer(100);
    const std::vector<Uint32> starts = frameStarts(pacer, {2, 2, 55, 2, 2});
    EXPECT_EQ(starts, (std::vector<Uint32>{0, 10, 20, 75, 85}));
}

TEST(FramePacerTest, WithoutACapTheLoopNeverWaits) {
    platform::setTestClock(500);
    FramePacer pacer;
    EXPECT_EQ(frameStarts(pacer, {1, 1, 1}), (std::vector<Uint32>{500, 501, 502}));
    EXPECT_EQ(FramePacer(1000).cap(), 1000);
}

} // namespace
