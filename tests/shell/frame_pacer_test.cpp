// The frame cap on the test clock: frames start no closer than the cap allows, the wait ends when
// the next frame is due, and a slow frame is not made up for.
#include "platform/clock.h"
#include "shell/frame_pacer.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(FramePacerTest, FramesStartOnScheduleAndASlowOneStartsItAfresh) {
    const struct {
        int fps;
        Uint32 start;
        std::vector<Uint32> work, starts;
    } cases[] = {{60, 1000, {5, 5, 5, 5, 5, 5, 5}, {1000, 1016, 1033, 1050, 1066, 1083, 1100}},
                 {100, 0, {2, 2, 55, 2, 2}, {0, 10, 20, 75, 85}},
                 {0, 500, {1, 1, 1}, {500, 501, 502}}};
    for (const auto& test : cases) {
        platform::setTestClock(test.start);
        FramePacer pacer(test.fps);
        std::vector<Uint32> starts;
        for (Uint32 ms : test.work) {
            pacer.waitForFrameStart();
            starts.push_back(platform::ticks());
            platform::advanceTestClock(ms);
        }
        EXPECT_EQ(starts, test.starts) << test.fps << " a second";
    }
}

} // namespace
