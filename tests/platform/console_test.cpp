// The console layer stays silent when output is not a terminal and never waits without one.
#include "platform/clock.h"
#include "platform/console.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace {

// Points a standard stream at /dev/null for the life of the object.
class RedirectedStream {
  public:
    explicit RedirectedStream(int fd, int flags) : fd_(fd), saved_(dup(fd)) {
        const int null = open("/dev/null", flags);
        dup2(null, fd_);
        close(null);
    }
    ~RedirectedStream() {
        dup2(saved_, fd_);
        close(saved_);
    }

  private:
    int fd_;
    int saved_;
};

TEST(ConsoleTest, ClearingWritesNothingToAPipeOrFile) {
    testing::internal::CaptureStdout();
    platform::clearConsole();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

TEST(ConsoleTest, PauseReturnsAtOnceWithoutATerminal) {
    RedirectedStream input(STDIN_FILENO, O_RDONLY);
    testing::internal::CaptureStdout();
    platform::pauseConsole();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

TEST(ClockTest, TestClockIsSteppedByHandAndDelayAdvancesIt) {
    platform::setTestClock(4000000000u);
    EXPECT_EQ(platform::ticks(), 4000000000u);
    platform::delay(300000000u);
    EXPECT_EQ(platform::ticks(), 4000000000u + 300000000u); // wraps like the timer
    EXPECT_TRUE(platform::testClockActive());
    platform::setTestClock(0);
}

} // namespace
