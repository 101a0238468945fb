// The platform layer: console pause, block file, test clock, process guard, folders, kept files.
#include "platform/block_file.h"
#include "platform/clock.h"
#include "platform/console.h"
#include "platform/folders.h"
#include "platform/kept_file.h"
#include "platform/process_guard.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <iostream>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

void readFrom(const char* path) { // standard input, from here on
    const int opened = open(path, O_RDWR | O_NOCTTY);
    dup2(opened, STDIN_FILENO);
    close(opened);
}

int earlyEndChecks = 0;

TEST(ConsoleTest, ThePauseWaitsOnlyOnATerminalAndThereUntilEnterOrTheRunsEnd) {
    testing::internal::CaptureStdout();
    const int standardInput = dup(STDIN_FILENO);
    readFrom("/dev/null");
    platform::pauseConsole(); // returns at once
    const int keyboard = posix_openpt(O_RDWR | O_NOCTTY);
    grantpt(keyboard);
    unlockpt(keyboard);
    readFrom(ptsname(keyboard));
    ASSERT_EQ(write(keyboard, "\n", 1), 1);
    platform::pauseConsole(); // returns: Enter was pressed
    // Nobody presses Enter, but the run's end comes at the third look.
    platform::pauseConsole([] { return ++earlyEndChecks >= 3; });
    dup2(standardInput, STDIN_FILENO);
    close(standardInput);
    close(keyboard);
    std::cin.clear();
    EXPECT_EQ(earlyEndChecks, 3);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Press Enter to continue . . . Press Enter to continue . . . ");
}

// With standard input closed the next file opened gets descriptor 0: not a failure to open.
TEST(BlockFileTest, AFileOnDescriptor0IsWrittenAndCutBack) {
    const testing_support::TemporaryFolder folder;
    const fs::path path = folder.path() / "block";
    const int standardInput = dup(STDIN_FILENO);
    close(STDIN_FILENO);
    {
        platform::BlockFile file;
        EXPECT_TRUE(file.create(path.string()));
        EXPECT_TRUE(file.isOpen());
        const unsigned char bytes[] = {'a', 'b', 'c', 'd', 'e'};
        EXPECT_EQ(file.append(bytes, sizeof bytes), sizeof bytes);
        file.cutTo(3);
    }
    dup2(standardInput, STDIN_FILENO);
    close(standardInput);
    EXPECT_EQ(testing_support::contentsOf(path), "abc");
}

TEST(ClockTest, TestClockIsSteppedByHandAndDelayAdvancesIt) {
    platform::setTestClock(4000000000u);
    EXPECT_EQ(platform::ticks(), 4000000000u);
    platform::delay(300000000u);
    EXPECT_EQ(platform::ticks(), 4000000000u + 300000000u); // wraps like the timer
    EXPECT_TRUE(platform::testClockActive());
    platform::useRealClock();
    EXPECT_FALSE(platform::testClockActive());
}

// An ending signal asks the run to end, a second one ends the process at once by that signal; a
// closed standard output is given /dev/null; a failed write's signals end nothing.
TEST(ProcessGuardTest, ASignalAsksTheRunToEndAndASecondEndsItByThatSignal) {
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        EXPECT_EXIT(
            {
                close(STDOUT_FILENO);
                platform::guardProcess();
                std::fprintf(stderr, "standard output open: %d\n",
                             fcntl(STDOUT_FILENO, F_GETFD) != -1);
                raise(SIGPIPE);
                raise(SIGXFSZ);
                std::fprintf(stderr, "asked to end: %d\n", platform::endRequested());
                raise(signal);
                std::fprintf(stderr, "asked to end: %d\n", platform::endRequested());
                raise(signal);
                std::_Exit(0);
            },
            testing::KilledBySignal(signal), "open: 1\nasked to end: 0\nasked to end: 1")
            << strsignal(signal);
    }
}

TEST(PlayerFoldersTest, TheVariableWhenAbsoluteElseTheHomeFolderElseNone) {
    const struct {
        const char *data, *config, *home;
        fs::path dataHome, configHome;
    } cases[] = {
        {"/d", "/c", "/h", "/d/ghoulrun", "/c/ghoulrun"},
        {nullptr, nullptr, "/h", "/h/.local/share/ghoulrun", "/h/.config/ghoulrun"},
        {"", "", "/h", "/h/.local/share/ghoulrun", "/h/.config/ghoulrun"},
        {"rel/d", "rel/c", "/h", "/h/.local/share/ghoulrun", "/h/.config/ghoulrun"},
        {"/d", nullptr, nullptr, "/d/ghoulrun", ""},
        {"rel/d", "", "rel/h", "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.dataHome.string() + " " + c.configHome.string());
        const testing_support::EnvironmentVariable data("XDG_DATA_HOME", c.data);
        const testing_support::EnvironmentVariable config("XDG_CONFIG_HOME", c.config);
        const testing_support::EnvironmentVariable home("HOME", c.home);
        EXPECT_EQ(platform::dataHome(), c.dataHome);
        EXPECT_EQ(platform::configHome(), c.configHome);
    }
}

TEST(KeptFileTest, AReplacementKeepsTheOldPermissionsAndLeavesNothingBeside) {
    const testing_support::TemporaryFolder folder;
    const fs::path file = folder.path() / "settings.ini";
    EXPECT_EQ(platform::replaceAtomically(file, "a=1\n"), "");
    EXPECT_EQ(fs::status(file).permissions(), fs::perms(0644));
    fs::permissions(file, fs::perms(0600));
    EXPECT_EQ(platform::replaceAtomically(file, "a=2\n"), "");
    EXPECT_EQ(testing_support::contentsOf(file), "a=2\n");
    EXPECT_EQ(fs::status(file).permissions(), fs::perms(0600));
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), {}), 1);
}

} // namespace
