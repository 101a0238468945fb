// What stands in a player's file's place for the fuzz targets that save real files: the input's
// first byte, when below the number of shapes, picks the shape; the rest are the file's bytes.
#pragma once

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

namespace fuzz_place {

namespace fs = std::filesystem;

enum Shape { plain, link, dangling, readOnly, readOnlyFolder, fifo, folder, overLimit, shapes };

struct Place {
    fs::path file, target; // where the game looks; where the bytes are, behind the link
    Shape shape = plain;
    std::string_view bytes;
    fs::file_type type = fs::file_type::none; // what `file` is before the game comes
};

// One folder for the process, in memory: saves flush to the disk.
struct Scratch {
    char name[32] = "/dev/shm/ghoulrun-fuzz-XXXXXX";
    const fs::path root = mkdtemp(name);
    void clear() const {
        std::error_code ignored;
        fs::permissions(root / "kept", fs::perms::owner_all, ignored);
        fs::remove_all(root, ignored);
    }
    ~Scratch() { clear(); }
};

// A fresh place named `name` for the input, a file over `limit` bytes when the shape asks.
inline Place placeFor(std::string_view input, const char* name, std::uintmax_t limit) {
    static const Scratch scratch;
    scratch.clear();
    fs::create_directories(scratch.root / "kept");
    Place place;
    if (!input.empty() && static_cast<unsigned char>(input.front()) < shapes) {
        place.shape = static_cast<Shape>(input.front());
        input.remove_prefix(1);
    }
    place.bytes = input;
    place.file = scratch.root / name;
    const bool linked =
        place.shape == link || place.shape == dangling || place.shape == readOnlyFolder;
    place.target = linked ? scratch.root / "kept" / name : place.file;
    if (place.shape == fifo) {
        mkfifo(place.file.c_str(), 0644);
    } else if (place.shape == folder) {
        fs::create_directory(place.file);
    } else if (place.shape != dangling) {
        std::ofstream(place.target, std::ios::binary) << input;
        fs::resize_file(place.target, input.size() + (place.shape == overLimit ? limit + 1 : 0));
    }
    if (linked) {
        fs::create_symlink(fs::path("kept") / name, place.file);
    }
    if (place.shape == readOnly || place.shape == readOnlyFolder) {
        fs::permissions(place.shape == readOnly ? place.target : scratch.root / "kept",
                        fs::perms(0555));
    }
    place.type = fs::symlink_status(place.file).type();
    return place;
}

// The shapes left as they are, unsaved.
inline bool refused(Shape shape) {
    return shape == readOnly || shape == readOnlyFolder || shape == fifo || shape == folder;
}

// Whether the bytes are in the target with `suffix`, as they were; true where no file holds them.
inline bool kept(const Place& place, const std::string& suffix) {
    const fs::path at = place.target.string() + suffix;
    if (fs::symlink_status(at).type() != fs::file_type::regular) {
        return true;
    }
    std::ifstream in(at, std::ios::binary);
    const std::string is(std::istreambuf_iterator<char>(in), {});
    return place.shape == overLimit ? is.compare(0, place.bytes.size(), place.bytes) == 0
                                    : is == place.bytes;
}

} // namespace fuzz_place
