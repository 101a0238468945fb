// The asset generator: draws every picture and synthesises every sound of the game into the
// run folder, and draws the desktop icons. Usage: asset_generator pictures|sounds|music <run
// folder>, or asset_generator icons <icon theme folder>.
// The parts are separate runs so that the build can make them side by side.
#include "picture.h"
#include "wav_writer.h"

#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <string>

namespace {

constexpr float musicQuality = 0.3f; // Vorbis quality (-0.1 .. 1): ample for a 22 kHz mix

// The icon sizes desktops look for in the hicolor theme, in screen pixels.
constexpr int iconSizes[] = {32, 64, 128, 256};
constexpr const char* iconName = "ghoulrun.png";

bool isBackground(const std::string& name) {
    return name == "city2" || name == "underground";
}

void writePictures(const std::filesystem::path& runFolder) {
    const std::filesystem::path folder = runFolder / "images";
    std::filesystem::create_directories(folder);
    for (auto* group : {&art::heroPictures, &art::enemyPictures, &art::scenePictures}) {
        for (const art::Picture& picture : group()) {
            const art::Image saved = picture.image.enlarged(art::pixelSize);
            if (isBackground(picture.name)) {
                // A background has no see-through pixel: a hole would show the last frame.
                for (int y = 0; y < saved.height(); ++y) {
                    for (int x = 0; x < saved.width(); ++x) {
                        if (!saved.opaque(x, y)) {
                            throw std::runtime_error(picture.name + " has a hole at " +
                                                     std::to_string(x) + "," + std::to_string(y));
                        }
                    }
                }
            }
            art::writeBmp(folder / (picture.name + ".bmp"), saved, picture.key);
        }
    }
}

void writeSounds(const std::filesystem::path& runFolder) {
    const std::filesystem::path sword = runFolder / "sfx" / "sword";
    const std::filesystem::path death = runFolder / "sfx" / "death";
    std::filesystem::create_directories(sword);
    std::filesystem::create_directories(death);
    audio::writeWav(sword / "slash.wav", audio::slash());
    audio::writeWav(death / "wilhelm.wav", audio::scream());
    audio::writeWav(death / "gameover.wav", audio::gameOverJingle());
}

void writeMusic(const std::filesystem::path& runFolder) {
    std::filesystem::create_directories(runFolder);
    audio::writeOgg(runFolder / "pompeii.ogg", audio::nightTheme(), musicQuality);
}

// <theme folder>/<size>x<size>/apps/ghoulrun.png for every size, as the icon theme lays them out.
void writeIcons(const std::filesystem::path& themeFolder) {
    const art::Image icon = art::drawIcon();
    for (const int size : iconSizes) {
        const std::string sizeName = std::to_string(size) + "x" + std::to_string(size);
        const std::filesystem::path folder = themeFolder / sizeName / "apps";
        std::filesystem::create_directories(folder);
        art::writePng(folder / iconName, icon.enlarged(size / art::iconDrawingSize));
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s pictures|sounds|music|icons <folder>\n", argv[0]);
        return 2;
    }
    const std::string part = argv[1];
    const std::filesystem::path runFolder = argv[2];
    try {
        if (part == "pictures") {
            writePictures(runFolder);
        } else if (part == "sounds") {
            writeSounds(runFolder);
        } else if (part == "music") {
            writeMusic(runFolder);
        } else if (part == "icons") {
            writeIcons(runFolder);
        } else {
            std::fprintf(stderr, "asset_generator: unknown part '%s'\n", part.c_str());
            return 2;
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "asset_generator: %s\n", error.what());
        return 1;
    }
    return 0;
}
