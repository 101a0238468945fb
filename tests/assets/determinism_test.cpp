// The generator makes the same bytes every time: a fresh run matches the build's run folder.
#include "assets/run_folder.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace {

std::string contentsOf(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

TEST(GeneratedData, ASecondRunWritesIdenticalFiles) {
    testing_support::TemporaryFolder fresh;
    for (const char* part : {"pictures", "sounds", "music"}) {
        std::string command = "\"";
        command += asset_tests::assetGenerator().string();
        command += "\" ";
        command += part;
        command += " \"";
        command += fresh.path().string();
        command += "\"";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
    }
    int compared = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(fresh.path())) {
        if (!entry.is_regular_file()) {
            continue;
        }
        const auto relative = std::filesystem::relative(entry.path(), fresh.path());
        const auto built = asset_tests::runFolder() / relative;
        ASSERT_TRUE(std::filesystem::exists(built)) << relative;
        EXPECT_TRUE(contentsOf(entry.path()) == contentsOf(built)) << relative << " differs";
        ++compared;
    }
    // every picture file and the pause banner, the three effects and the music
    EXPECT_EQ(compared, 78 + 1 + 3 + 1);
}

} // namespace
