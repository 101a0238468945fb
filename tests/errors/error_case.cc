// One case of the error matrix: damages a fresh copy of the game's run folder in one way, runs
// the real game there and checks the answer a player gets. A damaged folder must end the game
// within 5 s with status 1 and exactly one line on standard error naming the file or the cause,
// never with a signal; a folder that is merely unusual must let the game start.
//
// Usage: ghoulrun_error_case <case>, with GHOULRUN_GAME_DIR naming the folder of the game
// binary. When that folder holds the game's own pictures, sounds and music they are copied;
// otherwise a small stand-in data set is written. Prints what it saw; exits 0 when the case holds.
#include "sound/sound_files.h"
#include "sprites/sprite_catalogue.h"
#include "support/test_support.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <iostream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;
using testing_support::Rgb;

namespace {

// A damaged folder must be answered within this time.
constexpr auto failureDeadline = std::chrono::seconds(5);
// A game that is to start must still be running after this long...
constexpr auto startedAfter = std::chrono::milliseconds(1500);
// ...and, asked to quit as the window manager would, end with status 0 within this long (a
// sanitized game may still be building its roster when asked).
constexpr auto quitDeadline = std::chrono::seconds(10);
// Address space the plain game may use. Its whole roster fits in a small part of it; a loader
// that tried to honour a header claiming 100000 x 100000 pixels would need far more. Sanitizer
// builds reserve terabytes of shadow memory, so they run without this limit and are judged by
// their peak resident memory alone.
constexpr rlim_t addressSpaceLimit = rlim_t{2} << 30;
// Peak resident memory a run that ends at start-up may reach, in KiB.
constexpr long plainPeakLimitKb = 256 * 1024;
constexpr long sanitizedPeakLimitKb = 1024 * 1024;

// Stand-in pictures, used when the run folder has no pictures of its own.
constexpr int backgroundWidth = 1600;
constexpr int backgroundHeight = 600;
constexpr int barWidth = 780;
constexpr int barHeight = 80;
constexpr int figureWidth = 48;
constexpr int figureHeight = 64;

constexpr int sampleMs = 200;
constexpr int musicMs = 1000;

const char* const soundFiles[] = {"sfx/sword/slash.wav", "sfx/death/wilhelm.wav",
                                  "sfx/death/gameover.wav"};

// ---------------------------------------------------------------------------------------------
// The valid run folder

void writeStandInPictures(const fs::path& run) {
    fs::create_directories(run / "images");
    for (int index = 0; index < catalogueSize; ++index) {
        const char* path = spritePath(index);
        if (path == nullptr) {
            continue;
        }
        int width = figureWidth;
        int height = figureHeight;
        if (index <= 1) {
            width = backgroundWidth;
            height = backgroundHeight;
        } else if (index == 2) {
            width = barWidth;
            height = barHeight;
        }
        const Rgb colour{static_cast<std::uint8_t>(index * 3), 90, 40};
        testing_support::writeBmp24(run / path, width, height,
                                    std::vector<Rgb>(width * height, colour));
    }
}

bool holdsGameData(const fs::path& folder) {
    if (!fs::is_regular_file(folder / "pompeii.ogg")) {
        return false;
    }
    for (int index = 0; index < catalogueSize; ++index) {
        const char* path = spritePath(index);
        if (path != nullptr && !fs::is_regular_file(folder / path)) {
            return false;
        }
    }
    for (const char* sound : soundFiles) {
        if (!fs::is_regular_file(folder / sound)) {
            return false;
        }
    }
    return true;
}

// Fills `run` with a complete set of game data; says where it came from.
std::string prepareRunFolder(const fs::path& gameDir, const fs::path& run) {
    if (holdsGameData(gameDir)) {
        for (const char* item : {"images", "sfx", "pompeii.ogg"}) {
            fs::copy(gameDir / item, run / item, fs::copy_options::recursive);
        }
        return "the game's own data from " + gameDir.string();
    }
    writeStandInPictures(run);
    for (const char* sound : soundFiles) {
        testing_support::writeWav(run / sound, sampleMs);
    }
    testing_support::writeOggVorbis(run / "pompeii.ogg", musicMs);
    return "stand-in data (the run folder has no data of its own)";
}

// ---------------------------------------------------------------------------------------------
// Damage

void putLittleEndian(std::ostream& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out.put(static_cast<char>((value >> (8 * i)) & 0xFF));
    }
}

void writeText(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

void emptyFile(const fs::path& path) {
    fs::resize_file(path, 0);
}

void cutInHalf(const fs::path& path) {
    fs::resize_file(path, fs::file_size(path) / 2);
}

// A bitmap header for a 24-bit picture of `width` x `height`, followed by a single row's worth
// of pixels: the file is tiny, the picture it claims is not.
void writeBmpClaiming(const fs::path& path, std::uint32_t width, std::uint32_t height) {
    const std::uint64_t rowBytes = (std::uint64_t{width} * 3 + 3) & ~std::uint64_t{3};
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write("BM", 2);
    putLittleEndian(out, 0xFFFFFFFF, 4); // file size, as large as it can claim
    putLittleEndian(out, 0, 4);
    putLittleEndian(out, 54, 4); // pixel data offset
    putLittleEndian(out, 40, 4); // info header size
    putLittleEndian(out, width, 4);
    putLittleEndian(out, height, 4);
    putLittleEndian(out, 1, 2);  // planes
    putLittleEndian(out, 24, 2); // bits per pixel
    putLittleEndian(out, 0, 4);  // no compression
    putLittleEndian(out, 0xFFFFFFFF, 4);
    for (int field = 0; field < 4; ++field) {
        putLittleEndian(out, 0, 4);
    }
    out << std::string(static_cast<std::size_t>(std::min<std::uint64_t>(rowBytes, 4096)), '\x40');
}

// A valid 8-bit bitmap with a 256-colour palette, a grey ramp, showing diagonal stripes.
void writeBmp8(const fs::path& path, int width, int height) {
    const int rowBytes = (width + 3) & ~3;
    const std::uint32_t paletteBytes = 256 * 4;
    const std::uint32_t offset = 54 + paletteBytes;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write("BM", 2);
    putLittleEndian(out, offset + rowBytes * height, 4);
    putLittleEndian(out, 0, 4);
    putLittleEndian(out, offset, 4);
    putLittleEndian(out, 40, 4);
    putLittleEndian(out, width, 4);
    putLittleEndian(out, height, 4);
    putLittleEndian(out, 1, 2);
    putLittleEndian(out, 8, 2);
    putLittleEndian(out, 0, 4);
    putLittleEndian(out, rowBytes * height, 4);
    putLittleEndian(out, 2835, 4);
    putLittleEndian(out, 2835, 4);
    putLittleEndian(out, 256, 4);
    putLittleEndian(out, 0, 4);
    for (int entry = 0; entry < 256; ++entry) {
        const char grey = static_cast<char>(entry);
        out.put(grey).put(grey).put(grey).put('\0'); // blue, green, red, unused
    }
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < rowBytes; ++x) {
            out.put(static_cast<char>((x + y) % 256));
        }
    }
}

// A WAV whose samples are MPEG layer 3 (format tag 0x55), which the mixer cannot decode from a
// WAV container.
void writeWavInUnsupportedEncoding(const fs::path& path) {
    const std::uint32_t dataBytes = 1024;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write("RIFF", 4);
    putLittleEndian(out, 4 + 8 + 30 + 8 + dataBytes, 4);
    out.write("WAVEfmt ", 8);
    putLittleEndian(out, 30, 4);    // format chunk size
    putLittleEndian(out, 0x55, 2);  // MPEG layer 3
    putLittleEndian(out, 1, 2);     // mono
    putLittleEndian(out, 22050, 4); // frames per second
    putLittleEndian(out, 4000, 4);  // bytes per second
    putLittleEndian(out, 1, 2);     // block align
    putLittleEndian(out, 0, 2);     // bits per sample
    putLittleEndian(out, 12, 2);    // extra format bytes
    putLittleEndian(out, 1, 2);     // MPEGLAYER3WAVEFORMAT's fields
    putLittleEndian(out, 2, 4);
    putLittleEndian(out, 104, 2);
    putLittleEndian(out, 1, 2);
    putLittleEndian(out, 1393, 2);
    out.write("data", 4);
    putLittleEndian(out, dataBytes, 4);
    out << std::string(dataBytes, '\x55');
}

// A sample that starts like a WAV and then holds nonsense.
void corruptWav(const fs::path& path) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write("RIFF", 4);
    putLittleEndian(out, 4000, 4);
    out.write("WAVE", 4);
    for (int i = 0; i < 1000; ++i) {
        out.put(static_cast<char>((i * 131 + 7) % 251));
    }
}

void corruptOgg(const fs::path& path) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write("OggS", 4);
    for (int i = 0; i < 4000; ++i) {
        out.put(static_cast<char>((i * 197 + 3) % 253));
    }
}

// ---------------------------------------------------------------------------------------------
// The cases

enum class Expect { fails, starts };

// Stands for the case's run folder in an environment value.
constexpr const char* runFolderMark = "@RUN@";

struct Case {
    std::function<void(const fs::path&)> damage;
    Expect expect;
    // Every one of these must occur in the line on standard error.
    std::vector<std::string> mentions;
    // Environment changes for the game: a value of "" unsets the variable.
    std::map<std::string, std::string> environment;
    // The case is about memory: the game runs under the address space limit.
    bool boundedMemory = false;
};

std::map<std::string, Case> cases() {
    std::map<std::string, Case> all;
    all["valid_run_folder"] = {[](const fs::path&) {}, Expect::starts, {}, {}};
    all["images_missing"] = {[](const fs::path& run) { fs::remove_all(run / "images"); },
                             Expect::fails,
                             {"images/city2.bmp"},
                             {}};
    all["picture_missing"] = {[](const fs::path& run) { fs::remove(run / "images/sword4.bmp"); },
                              Expect::fails,
                              {"images/sword4.bmp"},
                              {}};
    all["picture_empty"] = {[](const fs::path& run) { emptyFile(run / "images/idle0.bmp"); },
                            Expect::fails,
                            {"images/idle0.bmp"},
                            {}};
    all["picture_truncated"] = {[](const fs::path& run) { cutInHalf(run / "images/health.bmp"); },
                                Expect::fails,
                                {"images/health.bmp"},
                                {}};
    all["picture_is_text"] = {
        [](const fs::path& run) { writeText(run / "images/bar.bmp", "a note, not a picture\n"); },
        Expect::fails,
        {"images/bar.bmp"},
        {}};
    // Both headers claim more than any picture of the game. The first could not be held in
    // memory at all; the second, 1.2 GB, could be, and must be refused rather than allocated.
    all["picture_header_enormous"] = {
        [](const fs::path& run) { writeBmpClaiming(run / "images/city2.bmp", 100000, 100000); },
        Expect::fails,
        {"images/city2.bmp", "too large"},
        {},
        true};
    all["picture_header_large"] = {
        [](const fs::path& run) { writeBmpClaiming(run / "images/run3.bmp", 20000, 20000); },
        Expect::fails,
        {"images/run3.bmp", "too large"},
        {},
        true};
    all["picture_8bit_palette"] = {[](const fs::path& run) {
                                       writeBmp8(run / "images/idle0.bmp", 40, 60);
                                       writeBmp8(run / "images/attacker_walk0.bmp", 40, 60);
                                   },
                                   Expect::starts,
                                   {},
                                   {}};
    all["sfx_missing"] = {
        [](const fs::path& run) { fs::remove_all(run / "sfx"); }, Expect::fails, {"sfx"}, {}};
    all["sfx_plain_file"] = {[](const fs::path& run) {
                                 fs::remove_all(run / "sfx");
                                 writeText(run / "sfx", "not a folder\n");
                             },
                             Expect::fails,
                             {"sfx"},
                             {}};
    all["sfx_symlink_loop"] = {
        [](const fs::path& run) { fs::create_symlink("loop", run / "sfx/loop"); },
        Expect::fails,
        {"sfx/loop"},
        {}};
    all["sample_symlink_loop"] = {
        [](const fs::path& run) { fs::create_symlink("echo.wav", run / "sfx/death/echo.wav"); },
        Expect::fails,
        {"echo.wav"},
        {}};
    all["sample_empty"] = {[](const fs::path& run) { emptyFile(run / "sfx/sword/slash.wav"); },
                           Expect::fails,
                           {"slash.wav"},
                           {}};
    all["sample_corrupt"] = {[](const fs::path& run) { corruptWav(run / "sfx/death/wilhelm.wav"); },
                             Expect::fails,
                             {"wilhelm.wav"},
                             {}};
    all["sample_unsupported_encoding"] = {
        [](const fs::path& run) { writeWavInUnsupportedEncoding(run / "sfx/death/gameover.wav"); },
        Expect::fails,
        {"gameover.wav"},
        {}};
    all["sample_nested_folder"] = {
        [](const fs::path& run) { fs::create_directories(run / "sfx/sword/old.wav"); },
        Expect::fails,
        {"old.wav"},
        {}};
    all["music_missing"] = {[](const fs::path& run) { fs::remove(run / "pompeii.ogg"); },
                            Expect::fails,
                            {"pompeii.ogg"},
                            {}};
    all["music_corrupt"] = {[](const fs::path& run) { corruptOgg(run / "pompeii.ogg"); },
                            Expect::fails,
                            {"pompeii.ogg"},
                            {}};
    all["no_audio_device"] = {[](const fs::path&) {},
                              Expect::fails,
                              {"Unable to init SDL: ", "nosuchdriver"},
                              {{"SDL_AUDIODRIVER", "nosuchdriver"}}};
    all["no_display"] = {[](const fs::path&) {},
                         Expect::fails,
                         {"Unable to init SDL: ", "nosuchdriver"},
                         {{"SDL_VIDEODRIVER", "nosuchdriver"}}};
    // SDL's audio opens, but its device cannot: the disk driver writes into a missing folder.
    all["audio_device_unopenable"] = {
        [](const fs::path&) {},
        Expect::fails,
        {"Mixer could not be initialized"},
        {{"SDL_AUDIODRIVER", "disk"}, {"SDL_DISKAUDIOFILE", "no-such-folder/audio.raw"}}};
    all["no_display_server"] = {[](const fs::path&) {},
                                Expect::fails,
                                {"Unable to init SDL: ", "x11"},
                                {{"SDL_VIDEODRIVER", "x11"}, {"DISPLAY", ""}}};
    // No driver named and nothing to show a window on: SDL would fall back to drawing into
    // memory. The runtime folder is the run folder, where no Wayland compositor listens.
    all["no_display_at_all"] = {[](const fs::path&) {},
                                Expect::fails,
                                {"Unable to init SDL: ", "display"},
                                {{"SDL_VIDEODRIVER", ""},
                                 {"DISPLAY", ""},
                                 {"WAYLAND_DISPLAY", ""},
                                 {"XDG_RUNTIME_DIR", runFolderMark}}};
    return all;
}

// ---------------------------------------------------------------------------------------------
// Running the game

struct Outcome {
    bool ended = false;     // the process ended by itself (or after the quit request)
    bool signalled = false; // ...through a signal
    int status = 0;         // exit status or signal number
    bool dumpedCore = false;
    bool wasRunning = false; // still running when checked after startedAfter
    double seconds = 0;      // from launch to the end
    long peakKb = 0;         // peak resident memory
    std::string standardError;
};

bool sanitizedBuild() {
    const char* flag = std::getenv("GHOULRUN_SANITIZED");
    return flag != nullptr && std::strcmp(flag, "1") == 0;
}

[[noreturn]] void execGame(const fs::path& binary, const fs::path& run, const Case& test) {
    if (chdir(run.c_str()) != 0) {
        _exit(126);
    }
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    for (const auto& [name, value] : test.environment) {
        if (value.empty()) {
            unsetenv(name.c_str());
        } else {
            setenv(name.c_str(), value == runFolderMark ? run.c_str() : value.c_str(), 1);
        }
    }
    const int input = open("/dev/null", O_RDONLY);
    const int output = open("stdout.txt", O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int errors = open("stderr.txt", O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (input < 0 || output < 0 || errors < 0 || dup2(input, 0) < 0 || dup2(output, 1) < 0 ||
        dup2(errors, 2) < 0) {
        _exit(126);
    }
    // No core files in the run folder; a crash still shows as a signal in the status.
    const rlimit noCore{0, 0};
    setrlimit(RLIMIT_CORE, &noCore);
    if (test.boundedMemory && !sanitizedBuild()) {
        const rlimit space{addressSpaceLimit, addressSpaceLimit};
        setrlimit(RLIMIT_AS, &space);
    }
    execl(binary.c_str(), "ghoulrun", static_cast<char*>(nullptr));
    _exit(127);
}

// Waits for the child until `deadline`; true when it ended.
bool waitUntil(pid_t child, std::chrono::steady_clock::time_point deadline, Outcome& outcome) {
    for (;;) {
        int status = 0;
        rusage usage{};
        const pid_t done = wait4(child, &status, WNOHANG, &usage);
        if (done == child) {
            outcome.ended = true;
            outcome.peakKb = usage.ru_maxrss;
            if (WIFSIGNALED(status)) {
                outcome.signalled = true;
                outcome.status = WTERMSIG(status);
                outcome.dumpedCore = WCOREDUMP(status);
            } else {
                outcome.status = WEXITSTATUS(status);
            }
            return true;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

Outcome runGame(const fs::path& binary, const fs::path& run, const Case& test) {
    Outcome outcome;
    const auto launched = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0) {
        execGame(binary, run, test);
    }
    if (test.expect == Expect::starts) {
        if (!waitUntil(child, launched + startedAfter, outcome)) {
            outcome.wasRunning = true;
            kill(child, SIGTERM); // SDL turns it into a quit event, as closing the window does
            waitUntil(child, std::chrono::steady_clock::now() + quitDeadline, outcome);
        }
    } else {
        waitUntil(child, launched + failureDeadline, outcome);
    }
    if (!outcome.ended) {
        kill(child, SIGKILL);
        int ignored = 0;
        waitpid(child, &ignored, 0);
    }
    outcome.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - launched).count();
    std::ifstream errors(run / "stderr.txt", std::ios::binary);
    outcome.standardError.assign(std::istreambuf_iterator<char>(errors), {});
    return outcome;
}

// ---------------------------------------------------------------------------------------------
// Verdict

std::vector<std::string> judge(const Case& test, const Outcome& outcome) {
    std::vector<std::string> faults;
    if (outcome.signalled) {
        faults.push_back("ended by signal " + std::to_string(outcome.status) + " (" +
                         strsignal(outcome.status) + ")" +
                         (outcome.dumpedCore ? ", core dumped" : ""));
    }
    if (test.expect == Expect::starts) {
        if (!outcome.wasRunning) {
            faults.push_back("ended by itself during start-up");
        } else if (!outcome.ended) {
            faults.push_back("did not end within 10 s of the quit request");
        } else if (!outcome.signalled && outcome.status != 0) {
            faults.push_back("ended with status " + std::to_string(outcome.status) +
                             " after the quit request");
        }
        if (!outcome.standardError.empty()) {
            faults.push_back("wrote to standard error");
        }
        return faults;
    }

    if (!outcome.ended) {
        faults.push_back("still running after 5 s");
    } else if (!outcome.signalled && outcome.status != 1) {
        faults.push_back("ended with status " + std::to_string(outcome.status) + ", not 1");
    }
    const std::string& text = outcome.standardError;
    const std::size_t firstEnd = text.find('\n');
    if (text.empty() || firstEnd == 0) {
        faults.push_back("no message on standard error");
    } else if (firstEnd != text.size() - 1) {
        faults.push_back("standard error is not exactly one line");
    }
    for (const std::string& mention : test.mentions) {
        if (text.find(mention) == std::string::npos) {
            faults.push_back("the message does not mention \"" + mention + "\"");
        }
    }
    const long peakLimit = sanitizedBuild() ? sanitizedPeakLimitKb : plainPeakLimitKb;
    if (outcome.peakKb > peakLimit) {
        faults.push_back("peak resident memory " + std::to_string(outcome.peakKb / 1024) + " MiB");
    }
    return faults;
}

void describe(const std::string& name, const std::string& source, const Outcome& outcome) {
    std::cout << "case " << name << " on " << source << '\n';
    if (!outcome.ended) {
        std::cout << "  still running, killed";
    } else if (outcome.signalled) {
        std::cout << "  signal " << outcome.status;
    } else {
        std::cout << "  status " << outcome.status;
    }
    if (outcome.wasRunning) {
        std::cout << " (after running " << std::chrono::duration<double>(startedAfter).count()
                  << " s and a quit request)";
    }
    std::cout << " after " << outcome.seconds << " s, peak memory " << outcome.peakKb / 1024
              << " MiB\n";
    std::istringstream lines(outcome.standardError);
    for (std::string line; std::getline(lines, line);) {
        std::cout << "  stderr: " << line << '\n';
    }
}

} // namespace

int main(int argc, char* argv[]) {
    const std::map<std::string, Case> all = cases();
    if (argc != 2 || !all.contains(argv[1])) {
        std::cerr << "usage: ghoulrun_error_case <case>; cases:";
        for (const auto& [name, test] : all) {
            std::cerr << ' ' << name;
        }
        std::cerr << '\n';
        return 2;
    }
    const char* gameDir = std::getenv("GHOULRUN_GAME_DIR");
    if (gameDir == nullptr || !fs::is_regular_file(fs::path(gameDir) / "ghoulrun")) {
        std::cerr << "GHOULRUN_GAME_DIR must name the folder of the ghoulrun binary\n";
        return 2;
    }
    const std::string name = argv[1];
    const Case& test = all.at(name);

    testing_support::TemporaryFolder run;
    const std::string source = prepareRunFolder(gameDir, run.path());
    test.damage(run.path());
    const Outcome outcome = runGame(fs::path(gameDir) / "ghoulrun", run.path(), test);
    describe(name, source, outcome);

    const std::vector<std::string> faults = judge(test, outcome);
    for (const std::string& fault : faults) {
        std::cout << "FAULT: " << fault << '\n';
    }
    std::cout << (faults.empty() ? "passed" : "failed") << std::endl;
    return faults.empty() ? 0 : 1;
}
