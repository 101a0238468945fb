// The console layer stays silent when output is not a terminal and never waits without one.
#include "platform/clock.h"
#include "platform/console.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <iostream>
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

TEST(ConsoleTest, WithoutATerminalClearingWritesNothingAndThePauseReturnsAtOnce) {
    RedirectedStream input(STDIN_FILENO, O_RDONLY);
    testing::internal::CaptureStdout();
    platform::clearConsole();
    platform::pauseConsole();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

// Standard input on a terminal of our own, for the life of the object; `type` writes to it.
class TerminalInput {
  public:
    TerminalInput() : master_(posix_openpt(O_RDWR | O_NOCTTY)), saved_(dup(STDIN_FILENO)) {
        grantpt(master_);
        unlockpt(master_);
        const int terminal = open(ptsname(master_), O_RDWR | O_NOCTTY);
        dup2(terminal, STDIN_FILENO);
        close(terminal);
    }
    ~TerminalInput() {
        dup2(saved_, STDIN_FILENO);
        close(saved_);
        close(master_);
        std::cin.clear();
    }
    void type(const char* text) { ASSERT_GT(write(master_, text, strlen(text)), 0); }

  private:
    int master_;
    int saved_;
};

int earlyEndChecks = 0;

TEST(ConsoleTest, PauseOnATerminalWaitsForEnterOrForItsEndToCome) {
    TerminalInput terminal;
    testing::internal::CaptureStdout();
    terminal.type("\n");
    platform::pauseConsole(); // returns: Enter was pressed
    // Nobody presses Enter, but the run's end comes at the third look.
    earlyEndChecks = 0;
    platform::pauseConsole([] { return ++earlyEndChecks >= 3; });
    EXPECT_EQ(earlyEndChecks, 3);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Press Enter to continue . . . Press Enter to continue . . . ");
}

TEST(ClockTest, TestClockIsSteppedByHandAndDelayAdvancesIt) {
    platform::setTestClock(4000000000u);
    EXPECT_EQ(platform::ticks(), 4000000000u);
    platform::delay(300000000u);
    EXPECT_EQ(platform::ticks(), 4000000000u + 300000000u); // wraps like the timer
    EXPECT_TRUE(platform::testClockActive());
    platform::useRealClock();
    EXPECT_FALSE(platform::testClockActive());
    platform::setTestClock(0);
}

} // namespace
