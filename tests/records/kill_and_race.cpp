// Saves under fire in real processes, SIGKILL at random instants or two at once: no run is lost.
#include "platform/kept_file.h"
#include "records/best_runs.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <sstream>
#include <thread>

namespace {

namespace fs = std::filesystem;
using Table = std::vector<records::Run>;
using Clock = std::chrono::steady_clock;
using Microseconds = std::chrono::duration<double, std::micro>;

constexpr int kills = 250;
constexpr int races = 100;
// The kills start spread over a little more than one save takes here. Each one too early draws the
// window's start up and each too late its end down, each mid-write widens it: they home in on the
// write, and a fifth at least must land in it.
constexpr double firstWindowPerSave = 1.25;
constexpr double homing = 0.25;
constexpr double windowStep = 0.05;

records::Run run(Uint32 gameMs, int defeated) {
    return {gameMs, defeated, "2026-12-08T16:21:33", "underground"};
}

// A game that saves `saved` and ends: at once, or when the pipe `start` (when given) closes.
pid_t startSaver(const fs::path& file, const records::Run& saved, const int* start = nullptr) {
    const pid_t child = fork();
    if (child == 0) {
        if (start != nullptr) {
            close(start[1]); // only the parent's copy may keep the pipe open
            char ignored = 0;
            while (read(start[0], &ignored, 1) < 0) {
            }
        }
        std::ostringstream errors;
        records::saveRun(file, saved, errors);
        _exit(errors.str().empty() ? 0 : 1);
    }
    return child;
}

bool endedWell(pid_t child) {
    int status = 0;
    return waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Through a link, as among a player's dotfiles: the link stays, and leads to the old or new table.
TEST(SaveUnderFireTest, AKillAtAnyInstantLeavesTheOldTableOrTheNewOneWhole) {
    const testing_support::TemporaryFolder folder;
    const fs::path file = folder.path() / "best-runs";
    const fs::path kept = folder.path() / "dotfiles" / "best-runs";
    fs::create_directory(kept.parent_path());
    fs::create_symlink("dotfiles/best-runs", file);
    const Table oldRuns = {run(9000, 4), run(7000, 2), run(3000, 1)};
    const records::Run newRun = run(5000, 3);
    int placed = 0;
    const Table newRuns = records::mergeRun(oldRuns, newRun, placed);
    const std::string oldText = records::formatTable(oldRuns);

    ASSERT_EQ(platform::replaceAtomically(file, oldText), "");
    const Clock::time_point timed = Clock::now();
    ASSERT_TRUE(endedWell(startSaver(file, newRun)));
    double fromUs = 0, toUs = Microseconds(Clock::now() - timed).count() * firstWindowPerSave;
    ASSERT_EQ(records::readRuns(file), newRuns);

    std::mt19937 random(std::random_device{}());
    int counts[3] = {};  // before the write began, in the middle of it, after the rename
    long leftBehind = 1; // the table alone
    const Clock::time_point started = Clock::now();
    for (int kill = 0; kill < kills; ++kill) {
        ASSERT_EQ(platform::replaceAtomically(file, oldText), "");
        const pid_t saver = startSaver(file, newRun);
        ASSERT_GT(saver, 0) << "fork";
        const double atUs = std::uniform_real_distribution<double>(fromUs, toUs)(random);
        std::this_thread::sleep_for(Microseconds(atUs));
        ::kill(saver, SIGKILL);
        waitpid(saver, nullptr, 0);
        ASSERT_TRUE(fs::is_symlink(file)) << "after kill " << kill;
        const records::Parsed table = records::parseTable(testing_support::contentsOf(kept));
        ASSERT_EQ(table.damage, "") << "after kill " << kill;
        const bool isNew = table.runs == newRuns;
        ASSERT_TRUE(isNew || table.runs == oldRuns) << "after kill " << kill;
        const long left = std::distance(fs::directory_iterator(kept.parent_path()), {});
        const int when = isNew ? 2 : left > leftBehind ? 1 : 0;
        leftBehind = left;
        counts[when]++;
        fromUs = when == 0 ? fromUs + (atUs - fromUs) * homing
                           : fromUs * (when == 1 ? 1 - windowStep : 1);
        toUs = when == 2 ? toUs - (toUs - atUs) * homing : toUs * (when == 1 ? 1 + windowStep : 1);
    }
    std::printf("%d kills through a link, within %.0f to %.0f us at last: %d before the write, %d "
                "mid-write, %d after the rename; %.1f s\n",
                kills, fromUs, toUs, counts[0], counts[1], counts[2],
                std::chrono::duration<double>(Clock::now() - started).count());
    EXPECT_GE(counts[1], kills / 5) << "kills that landed while the new table was written";
}

TEST(SaveUnderFireTest, TwoGamesSavingAtOnceBothLand) {
    const testing_support::TemporaryFolder folder;
    const fs::path file = folder.path() / "best-runs";
    const Table both = {run(2000, 2), run(1000, 1)};
    int lost = 0;
    for (int race = 0; race < races; ++race) {
        fs::remove(file);
        int start[2];
        ASSERT_EQ(pipe(start), 0);
        const pid_t first = startSaver(file, both[1], start);
        const pid_t second = startSaver(file, both[0], start);
        ASSERT_GT(std::min(first, second), 0) << "fork";
        close(start[0]);
        close(start[1]); // both read the end of the pipe at the same moment
        ASSERT_TRUE(endedWell(first) && endedWell(second));
        lost += records::readRuns(file) == both ? 0 : 1;
    }
    EXPECT_EQ(lost, 0) << "races in which a run was lost, of " << races;
}

} // namespace
