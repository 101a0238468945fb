// The asset generator: draws every picture and synthesises every sound of the game into the
// run folder, and draws the desktop icons. Usage: asset_generator pictures|sounds|music <run
// folder>, or asset_generator icons <icon theme folder>.
// The parts are separate runs so that the build can make them side by side.
#include "art/enemies/enemies.h"
#include "art/hero.h"
#include "art/icon.h"
#include "art/picture.h"
#include "art/scenes/scenes.h"
#include "audio/music.h"
#include "audio/sound_effects.h"
#include "formats/bmp_writer.h"
#include "formats/ogg_writer.h"
#include "formats/png_writer.h"
#include "formats/wav_writer.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr float musicQuality = 0.3f; // Vorbis quality (-0.1 .. 1): ample for a 22 kHz mix

// The icon sizes desktops look for in the hicolor theme, in screen pixels.
constexpr int iconSizes[] = {32, 64, 128, 256};
constexpr const char* iconName = "ghoulrun.png";

// The catalogue's bitmap files with their transparent colours, from the game's picture list.
struct ListedPicture {
    const char* file;
    art::Rgb key;
};
constexpr ListedPicture listedPictures[] = {
#define SPRITE(index, name, key, file) {file, art::key##Key},
#include "sprites/sprite_list.h"
};
// The one picture the game loads outside the catalogue: the pause banner.
constexpr const char* unlistedPicture = "paused";

bool isBackground(const std::string& name) {
    return name == "city2" || name == "underground";
}

std::string fileOf(const art::Picture& picture) {
    return "images/" + picture.name + ".bmp";
}

// Every file of the picture list is drawn, with the list's colour key, and nothing else is
// drawn: a picture missing here would otherwise only show as a failed load at start-up.
void checkAgainstList(const std::vector<art::Picture>& drawn) {
    for (const ListedPicture& listed : listedPictures) {
        const auto picture = std::find_if(drawn.begin(), drawn.end(), [&](const art::Picture& p) {
            return fileOf(p) == listed.file;
        });
        if (picture == drawn.end()) {
            throw std::runtime_error(std::string("nothing draws ") + listed.file);
        }
        if (!(picture->key == listed.key)) {
            throw std::runtime_error(std::string(listed.file) + " is drawn with the wrong key");
        }
    }
    for (const art::Picture& picture : drawn) {
        const bool listed =
            std::any_of(std::begin(listedPictures), std::end(listedPictures),
                        [&](const ListedPicture& entry) { return fileOf(picture) == entry.file; });
        if (!listed && picture.name != unlistedPicture) {
            throw std::runtime_error(fileOf(picture) + " is drawn but on no list");
        }
    }
}

// A background has no see-through pixel: a hole would show the last frame.
void checkHasNoHole(const std::string& name, const art::Image& saved) {
    for (int y = 0; y < saved.height(); ++y) {
        for (int x = 0; x < saved.width(); ++x) {
            if (!saved.opaque(x, y)) {
                throw std::runtime_error(name + " has a hole at " + std::to_string(x) + "," +
                                         std::to_string(y));
            }
        }
    }
}

void writePictures(const std::filesystem::path& runFolder) {
    std::vector<art::Picture> drawn;
    for (auto* group : {&art::heroPictures, &art::enemyPictures, &art::scenePictures}) {
        for (art::Picture& picture : group()) {
            drawn.push_back(std::move(picture));
        }
    }
    checkAgainstList(drawn);
    const std::filesystem::path folder = runFolder / "images";
    std::filesystem::create_directories(folder);
    for (const art::Picture& picture : drawn) {
        const art::Image saved = picture.image.enlarged(art::pixelSize);
        if (isBackground(picture.name)) {
            checkHasNoHole(picture.name, saved);
        }
        art::writeBmp(folder / (picture.name + ".bmp"), saved, picture.key);
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
