// The player's folders from the environment, and what replacing a kept file keeps of the old one.
#include "platform/folders.h"
#include "platform/kept_file.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>

namespace {

namespace fs = std::filesystem;

// Sets (or, given nothing, unsets) one environment variable while it lives.
struct Variable {
    Variable(const char* variable, const char* value) : name(variable) {
        if (const char* old = std::getenv(name)) {
            was = old;
        }
        put(value);
    }
    ~Variable() { put(was ? was->c_str() : nullptr); }
    void put(const char* value) const { value ? setenv(name, value, 1) : unsetenv(name); }
    const char* name;
    std::optional<std::string> was;
};

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
        const Variable data("XDG_DATA_HOME", c.data);
        const Variable config("XDG_CONFIG_HOME", c.config);
        const Variable home("HOME", c.home);
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
