// The best runs: their order, their text, damaged files and folders that will not take the table.
#include "platform/wall_clock.h"
#include "records/best_runs.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <fstream>
#include <sstream>

namespace {

namespace fs = std::filesystem;
using Table = std::vector<records::Run>;

const std::string header = "ghoulrun best runs, version 1\n# game-ms defeated date scene\n";
const std::string someDate = "2026-12-08T16:21:33";

records::Run run(Uint32 gameMs, int defeated, const std::string& when = someDate) {
    return {gameMs, defeated, when, "city"};
}

void writeFile(const fs::path& file, const std::string& bytes) {
    std::ofstream(file, std::ios::binary) << bytes;
}

Table tenRuns() {
    Table table;
    for (int rank = 0; rank < records::keptRuns; ++rank) {
        table.push_back(run(Uint32(10000 - 1000 * rank), rank));
    }
    return table;
}

TEST(BestRunsTest, ARunGoesBelowEveryRunAsGoodAsItAndOnlyTheBestTenStay) {
    const Table ten = tenRuns();
    const struct {
        const char* what;
        Table table;
        records::Run run;
        int place;
    } cases[] = {
        {"into an empty table", {}, run(5, 0), 0},
        {"a longer time goes above more enemies", {run(500, 9)}, run(600, 0), 0},
        {"a shorter time goes below fewer enemies", {run(500, 0)}, run(400, 9), 1},
        {"on equal times more enemies go above", {run(500, 3), run(500, 1)}, run(500, 2), 1},
        {"a full tie goes below", {run(500, 2, "2020-01-01T00:00:00")}, run(500, 2), 1},
        {"a worse run does not make a full table", ten, run(500, 0), -1},
        {"a run tied with the last does not either", ten, ten.back(), -1},
        {"a better run pushes the last out", ten, run(5000, 1), 6},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        int place = -2;
        const Table merged = records::mergeRun(c.table, c.run, place);
        EXPECT_EQ(place, c.place);
        EXPECT_EQ(merged.size(), std::min(c.table.size() + 1, std::size_t(records::keptRuns)));
        for (std::size_t at = 1; at < merged.size(); ++at) {
            EXPECT_FALSE(records::isBetter(merged[at], merged[at - 1])) << "order at " << at;
        }
        if (place > 0) {
            EXPECT_EQ(merged[std::size_t(place)], c.run);
            EXPECT_EQ(merged.front(), c.table.front()) << "the earlier run keeps its place";
        }
    }
}

TEST(BestRunsTest, TheTextReadsAsWrittenAndAHandEditedTableIsPutInOrder) {
    const Table table = {run(67400, 12), {9, 0, platform::localTimeNow(), "underground"}};
    const std::string text = records::formatTable(table);
    EXPECT_EQ(text.substr(0, text.find('\n', header.size()) + 1),
              header + "67400 12 2026-12-08T16:21:33 city\n");
    EXPECT_EQ(records::parseTable(text).damage, "");
    EXPECT_EQ(records::parseTable(text).runs, table);

    // Twelve runs out of order, among blank lines and a note: the best ten, in order.
    std::string edited = header + "\n# mine\n";
    for (int line = 0; line < 12; ++line) {
        edited += std::to_string(100 * (line % 6)) + "\t " + std::to_string(line) + " " + someDate +
                  " city\n";
    }
    const records::Parsed sorted = records::parseTable(edited);
    EXPECT_EQ(sorted.damage, "");
    ASSERT_EQ(sorted.runs.size(), std::size_t(records::keptRuns));
    EXPECT_EQ(sorted.runs.front(), run(500, 11));
    EXPECT_EQ(sorted.runs.back(), run(100, 1));
}

// Each damaged shape in one folder moves aside untouched to the next free name, told in one line.
TEST(BestRunsTest, EveryDamagedFileIsKeptAsideUnderAFreeNameAndANewTableStarts) {
    const std::string runLine = "67400 12 " + someDate + " city\n";
    const std::string before = "67400 12 " + someDate;
    const struct {
        std::string bytes, damage;
    } shapes[] = {
        {"", "empty"},
        {header + runLine.substr(0, 10), "cut short"},
        {header + before + std::string(" city\0\n", 7), "holds bytes that are not text"},
        {header + before + " city\r\n", "holds bytes that are not text"},
        {runLine, "not a table of best runs"},
        {"ghoulrun best runs, version one\n", "not a table of best runs"},
        {"ghoulrun best runs, version 2\n" + runLine, "version 2 is not one this game reads"},
        {header + runLine + "67a00 12 " + someDate + " city\n", "line 4: bad game time"},
        {header + "4294967296 12 " + someDate + " city\n", "line 3: bad game time"},
        {header + "67400 -1 " + someDate + " city\n", "line 3: bad count of enemies defeated"},
        {header + "67400 12 2026-13-08T16:21:33 city\n", "line 3: bad date"},
        {header + "67400 12 2026-12-08 16:21:33 city\n", "line 3: not the 4 fields of a run"},
        {header + "67400 12 city\n", "line 3: not the 4 fields of a run"},
        {header + before + " moon\n", "line 3: unknown scene"},
        {header + std::string(records::largestTableBytes, '#') + "\n",
         "larger than " + std::to_string(records::largestTableBytes) + " bytes"},
    };
    const testing_support::TemporaryFolder folder;
    const fs::path file = folder.path() / "best-runs";
    std::string keptAs = file.string() + ".damaged";
    int copy = 1;
    for (const auto& shape : shapes) {
        SCOPED_TRACE(shape.damage);
        writeFile(file, shape.bytes);
        std::ostringstream errors;
        const records::Saved saved = records::saveRun(file, run(100, 1), errors);
        EXPECT_EQ(errors.str(), "ghoulrun: " + file.string() + ": " + shape.damage + "; kept as " +
                                    keptAs + "\n");
        EXPECT_EQ(testing_support::contentsOf(keptAs), shape.bytes);
        EXPECT_EQ(saved.table, Table{run(100, 1)});
        EXPECT_EQ(records::readRuns(file), saved.table);
        keptAs = file.string() + ".damaged." + std::to_string(++copy);
    }
}

TEST(BestRunsTest, ARunMergesWithTheTableOnDiskWhichOnlyABetterRunRewrites) {
    const testing_support::TemporaryFolder folder;
    const fs::path file = folder.path() / "new" / "ghoulrun" / "best-runs";
    std::ostringstream errors;
    EXPECT_TRUE(records::saveRun(file, run(500, 1), errors).newBest) << "the first run ever";
    const records::Saved tie = records::saveRun(file, run(500, 1), errors);
    EXPECT_EQ(tie.place, 1);
    EXPECT_FALSE(tie.newBest);
    EXPECT_TRUE(records::saveRun(file, run(501, 0), errors).newBest);
    EXPECT_EQ(records::readRuns(file), (Table{run(501, 0), run(500, 1), run(500, 1)}));
    EXPECT_EQ(fs::status(file.parent_path()).permissions(), fs::perms::owner_all);

    const std::string noted = records::formatTable(tenRuns()) + "# a rewrite would lose this\n";
    writeFile(file, noted);
    EXPECT_EQ(records::saveRun(file, run(1, 1), errors).place, -1);
    EXPECT_EQ(testing_support::contentsOf(file), noted);
    EXPECT_EQ(errors.str(), "");

    // Reading a damaged table leaves it where it is, with nothing made beside it.
    writeFile(file, "ghoulrun best runs, version 1\n1 1 city\n");
    EXPECT_TRUE(records::readRuns(file).empty());
    EXPECT_EQ(std::distance(fs::directory_iterator(file.parent_path()), {}), 2) << "and its lock";
}

// A run the disk will not take is not kept: one line names what failed and why, the file stays as
// it was, and the card claims no place: it shows the runs that could be read, if any.
TEST(BestRunsTest, ATableThatCannotBeWrittenCostsOneLineAndTheCardClaimsNoPlace) {
    const testing_support::TemporaryFolder folder;
    const fs::path plain = folder.path() / "plain";
    writeFile(plain, "not a folder");
    const fs::path file = folder.path() / "best-runs";
    const Table before = {run(9000, 9)};
    const std::string table = records::formatTable(before);
    const std::string prefix = "ghoulrun: " + file.string();
    enum class In { nothing, folder, lockFolder, fifo, readOnly, namesTaken };
    const struct {
        fs::path file;
        std::string line;
        In in = In::nothing;
        bool fullDisk = false;
    } cases[] = {
        {{},
         "ghoulrun: no folder to keep the best runs in: neither XDG_DATA_HOME nor HOME names one"},
        {plain / "ghoulrun" / "best-runs",
         "ghoulrun: " + plain.string() + ": Not a directory; not saved"},
        {file, prefix + ": Is a directory; not saved", In::folder},
        {file, prefix + ".lock: Is a directory; not saved", In::lockFolder},
        {file, prefix + ": File too large; not saved", In::nothing, true},
        {file, prefix + ": read-only; not saved", In::readOnly},
        {file, prefix + ": not a regular file; not saved", In::fifo},
        {file,
         prefix + ": line 3: not the 4 fields of a run; not moved aside: " + file.string() +
             ".damaged.1000: File exists; not saved",
         In::namesTaken},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        const std::string bytes = c.in == In::namesTaken ? header + "1 1 city\n" : table;
        const bool tableThere = c.file == file && c.in != In::folder && c.in != In::fifo;
        if (tableThere) {
            writeFile(file, bytes);
        }
        if (c.in == In::folder || c.in == In::lockFolder) {
            fs::create_directory(c.in == In::folder ? file : fs::path(file.string() + ".lock"));
        }
        if (c.in == In::fifo ? mkfifo(file.c_str(), 0644) != 0 : c.in == In::readOnly) {
            fs::permissions(file, fs::perms(0444));
        }
        for (int copy = 1; c.in == In::namesTaken && copy <= 1000; ++copy) { // as many as are tried
            const std::string aside = file.string() + ".damaged";
            writeFile(copy == 1 ? aside : aside + "." + std::to_string(copy), "");
        }
        std::ostringstream errors;
        const records::Saved saved = [&] {
            const testing_support::FileSizeLimit disk(c.fullDisk ? 0 : RLIM_INFINITY);
            return records::saveRun(c.file, run(9500, 1), errors);
        }();
        EXPECT_EQ(errors.str(), c.line + "\n");
        EXPECT_TRUE(saved.notSaved && !saved.newBest && saved.place == -1);
        EXPECT_EQ(saved.table, tableThere && c.in != In::namesTaken ? before : Table{});
        if (tableThere) {
            EXPECT_EQ(testing_support::contentsOf(file), bytes);
        }
        for (const auto& left : fs::directory_iterator(folder.path())) {
            EXPECT_EQ(left.path().string().find(".new-"), std::string::npos) << left.path();
            if (left.path() != plain) {
                fs::remove_all(left.path());
            }
        }
    }
}

} // namespace
