// The platform layer: console pause, block file, folders, kept files (signals: tests/endings).
#include "platform/block_file.h"
#include "platform/console.h"
#include "platform/folders.h"
#include "platform/kept_file.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <functional>
#include <iostream>
#include <sys/mount.h>
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

// A link is written through and stays; what may not be replaced is left as it was, and says why.
TEST(KeptFileTest, ALinkIsWrittenThroughAndWhatMayNotBeReplacedIsRefusedAtOnce) {
    using platform::FileRead;
    const testing_support::TemporaryFolder folder;
    const fs::path file = folder.path() / "settings.ini";
    const fs::path kept = folder.path() / "dotfiles" / "settings.ini";
    const auto old = [](const fs::path& at) { std::ofstream(at) << "old\n"; };
    constexpr std::size_t mostBytes = 16;
    const struct {
        const char* what;
        std::function<void()> make;
        FileRead read;
        std::string refusal; // empty: written
    } shapes[] = {
        {"a link", [&] { old(kept), fs::create_symlink("dotfiles/settings.ini", file); },
         FileRead::whole, ""},
        {"a dangling link", [&] { fs::create_symlink(kept, file); }, FileRead::missing, ""},
        {"a link loop", [&] { fs::create_symlink("settings.ini", file); }, FileRead::failed,
         file.string() + ": Too many levels of symbolic links"},
        {"a read-only folder",
         [&] {
             old(kept), fs::create_symlink(kept, file),
                 fs::permissions(kept.parent_path(), fs::perms(0555));
         },
         FileRead::whole, kept.parent_path().string() + ": read-only"},
    };
    for (const auto& shape : shapes) {
        SCOPED_TRACE(shape.what);
        fs::create_directory(kept.parent_path());
        shape.make();
        const fs::file_type type = fs::symlink_status(file).type();
        const fs::path written = type == fs::file_type::symlink ? kept : file;
        std::string bytes, error;
        EXPECT_EQ(platform::readWholeFile(file, mostBytes, bytes, error), shape.read) << error;
        EXPECT_EQ(platform::replaceAtomically(file, "new\n"), shape.refusal);
        EXPECT_EQ(fs::symlink_status(file).type(), type);
        if (fs::symlink_status(written).type() == fs::file_type::regular) {
            EXPECT_EQ(testing_support::contentsOf(written),
                      shape.refusal.empty() ? "new\n" : "old\n");
        }
        fs::permissions(kept.parent_path(), fs::perms::owner_all);
        fs::remove_all(file);
        fs::remove_all(kept.parent_path());
        EXPECT_TRUE(fs::is_empty(folder.path())) << "left behind";
    }
}

// A read-only mount refuses the write, where this machine lets the test mount one (as root).
TEST(KeptFileTest, AFileOnAReadOnlyMountIsRefused) {
    const testing_support::TemporaryFolder folder;
    const fs::path file = folder.path() / "best-runs";
    std::ofstream(file) << "old\n";
    const char* at = folder.path().c_str();
    if (mount(at, at, nullptr, MS_BIND, nullptr) != 0) {
        GTEST_SKIP() << "no bind mount here: " << std::strerror(errno);
    }
    const int remounted =
        mount(nullptr, at, nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) == 0 ? 0 : errno;
    const std::string refusal = platform::replaceAtomically(file, "new\n");
    umount2(at, MNT_DETACH);
    ASSERT_EQ(remounted, 0) << std::strerror(remounted);
    EXPECT_EQ(refusal, file.string() + ": Read-only file system");
    EXPECT_EQ(testing_support::contentsOf(file), "old\n");
}

} // namespace
