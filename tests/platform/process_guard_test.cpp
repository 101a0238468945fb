// The process guard: an ending signal asks the run to end, a second one ends the process by that
// signal at once; a closed standard output is given /dev/null; a failed write's signals end
// nothing.
#include "platform/process_guard.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace {

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

} // namespace
