// The console stays silent without a terminal, the pause never waits without one, and on one it
// waits only until Enter or the run's end comes; the test clock steps by hand.
#include "platform/clock.h"
#include "platform/console.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
#include <iostream>
#include <unistd.h>

namespace {

// Standard input from `descriptor` (which it takes over) for the life of the object.
class StandardInput {
  public:
    explicit StandardInput(int descriptor) : saved(dup(STDIN_FILENO)) {
        dup2(descriptor, STDIN_FILENO);
        close(descriptor);
    }
    ~StandardInput() {
        dup2(saved, STDIN_FILENO);
        close(saved);
        std::cin.clear();
    }

  private:
    int saved;
};

int earlyEndChecks = 0;

TEST(ConsoleTest, ThePauseWaitsOnlyOnATerminalAndThereUntilEnterOrTheRunsEnd) {
    testing::internal::CaptureStdout();
    {
        const StandardInput nobody(open("/dev/null", O_RDONLY));
        platform::clearConsole(); // standard output is a file here
        platform::pauseConsole(); // returns at once
    }
    const int keyboard = posix_openpt(O_RDWR | O_NOCTTY);
    grantpt(keyboard);
    unlockpt(keyboard);
    {
        const StandardInput terminal(open(ptsname(keyboard), O_RDWR | O_NOCTTY));
        ASSERT_EQ(write(keyboard, "\n", 1), 1);
        platform::pauseConsole(); // returns: Enter was pressed
        // Nobody presses Enter, but the run's end comes at the third look.
        platform::pauseConsole([] { return ++earlyEndChecks >= 3; });
    }
    close(keyboard);
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
