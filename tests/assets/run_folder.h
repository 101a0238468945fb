// Where the build lays out the game's data, and the generator that made it.
#pragma once

#include <filesystem>

namespace asset_tests {

inline std::filesystem::path runFolder() {
    return GHOULRUN_RUN_FOLDER;
}
inline std::filesystem::path assetGenerator() {
    return GHOULRUN_ASSET_GENERATOR;
}

} // namespace asset_tests
