// The run's frame inputs: live, recorded as they happen, or played back from a recording.
#include "replay/session.h"

#include "platform/clock.h"
#include "platform/gamepad.h"
#include "platform/process_guard.h"
#include "render/screen_blit.h"
#include "replay/recording.h"
#include "replay/state_digest.h"
#include "state/globals.h"

#include <algorithm>
#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace replay {
namespace {

#ifndef GHOULRUN_VERSION
#define GHOULRUN_VERSION "unknown"
#endif

// A check record every this many frames: often enough to name the frame where a replay went
// astray to within a second of play, rarely enough to cost nothing.
constexpr Uint32 checkEveryFrames = 64;
// Replaying with a window, a wait for the recorded pace looks at least this often whether the
// run is to end.
constexpr Uint32 longestPaceWaitMs = 20;

enum class Mode { live, recording, replaying };

struct Session {
    Mode mode = Mode::live;
    bool headless = false;
    std::string path;
    Writer writer;
    Recording recording;
    std::size_t next = 0;     // the replay's next record
    Uint32 frames = 0;        // frames begun
    Uint32 lastFrameTick = 0; // the current frame's reading
    const Record* frameRecord = nullptr;
    bool windowClosed = false;  // replaying with a window: the player closed it
    Uint32 replayStartReal = 0; // the real clock at the first replayed frame
    Uint32 firstFrameTick = 0;  // the recorded reading of that frame
    bool finalNoted = false;
    Uint32 pausedTotal = 0; // live: time spent paused, left out of every reading
    Uint32 pausedSince = 0;
    std::uint64_t finalDigest = 0;
    bool recordingLost = false; // said once; the run then ends with status 1
    bool wentAstray = false;    // a replay's digest differed: the run ends there, with status 1
};

Session session;

// The game's clock: the real one less the time spent paused.
Uint32 gameClock() {
    return platform::ticks() - session.pausedTotal;
}

void refuse(const std::string& path, const std::string& reason) {
    std::fprintf(stderr, "ghoulrun: %s: %s\n", path.c_str(), reason.c_str());
}

// The closing line of a replay, whichever way the replayed run ends.
void printClosingLine() {
    if (session.mode != Mode::replaying) {
        return;
    }
    const std::uint64_t digest = session.finalNoted ? session.finalDigest : stateDigest();
    std::fflush(stdout);
    std::printf("replay: %" PRIu32 " frames, state %016" PRIx64 "\n", session.frames, digest);
    std::fflush(stdout);
}

// The next record when it is of `kind` (the roster's reading, read once at start-up, is passed
// over), or null.
const Record* nextRecordOf(Record::Kind kind) {
    const auto& records = session.recording.records;
    while (session.next < records.size() && records[session.next].kind == Record::roster) {
        ++session.next;
    }
    if (session.next < records.size() && records[session.next].kind == kind) {
        return &records[session.next++];
    }
    return nullptr;
}

bool startReplay(const Options& options) {
    const std::string reason = load(options.replayPath, session.recording);
    if (!reason.empty()) {
        refuse(options.replayPath, reason);
        return false;
    }
    session.mode = Mode::replaying;
    session.path = options.replayPath;
    lastSpawnTick = session.recording.header.lastSpawnTick;
    lastFrameEndTick = session.recording.header.lastFrameEndTick;
    frameTick = lastFrameEndTick;
    return true;
}

// A recording that cannot be written costs the recording, never the run: the first failure is
// said in one line, and the run plays on.
void sayRecordingLost(const std::string& reason) {
    session.recordingLost = true;
    std::fprintf(stderr, "ghoulrun: %s: %s; the run goes on unrecorded\n", session.path.c_str(),
                 reason.c_str());
}

void watchRecorder() {
    if (!session.recordingLost && !session.writer.failure().empty()) {
        sayRecordingLost(session.writer.failure());
    }
}

void startRecording(const Options& options) {
    Header header;
    header.gameVersion = GHOULRUN_VERSION;
    header.checkInterval = checkEveryFrames;
    header.lastSpawnTick = lastSpawnTick;
    header.lastFrameEndTick = lastFrameEndTick;
    session.mode = Mode::recording;
    session.path = options.recordPath;
    if (!session.writer.open(options.recordPath, header)) {
        sayRecordingLost(std::strerror(errno));
    }
}

// One SDL_PollEvent, as every frame makes. An event the shell takes for itself (a pause, say)
// never becomes the frame's event: the last one stays current, as when nothing arrived.
bool pollLiveEvent(SDL_Event& event, ShellEventTaker takeForShell) {
    platform::pollGamepad();
    SDL_Event arrived;
    if (SDL_PollEvent(&arrived) == 0 || (takeForShell != nullptr && takeForShell(arrived))) {
        return false;
    }
    event = arrived;
    return true;
}

// Replaying with a window: nothing of the real queue reaches the game, but closing the window
// ends the replay.
void watchRealQueue() {
    SDL_Event real;
    while (SDL_PollEvent(&real)) {
        if (real.type == SDL_QUIT) {
            session.windowClosed = true;
        }
    }
}

// Replaying with a window: holds the frame back until as much real time has passed since the
// first replayed frame as had passed in the recorded run.
void keepRecordedPace(Uint32 tick) {
    if (session.frames == 1) {
        session.replayStartReal = platform::ticks();
        session.firstFrameTick = tick;
        return;
    }
    const Uint32 recordedSinceStart = tick - session.firstFrameTick;
    while (!platform::endRequested()) {
        const Uint32 realSinceStart = platform::ticks() - session.replayStartReal;
        if (realSinceStart >= recordedSinceStart) {
            return;
        }
        platform::delay(std::min(recordedSinceStart - realSinceStart, longestPaceWaitMs));
    }
}

} // namespace

bool begin(const Options& options) {
    session.headless = options.headless && !options.replayPath.empty();
    if (session.headless) {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        setScreenBlitsSkipped(true);
    }
    forgetHistory();
    if (!options.replayPath.empty()) {
        if (!startReplay(options)) {
            return false;
        }
    } else if (!options.recordPath.empty()) {
        startRecording(options);
    }
    if (session.mode != Mode::live) {
        followEffectRequests();
    }
    return true;
}

void stop() {
    session.writer.close();
    session.mode = Mode::live;
    session.headless = false;
    session.recording = Recording{};
    session.next = 0;
    session.frames = 0;
    session.frameRecord = nullptr;
    session.windowClosed = false;
    session.finalNoted = false;
    session.pausedTotal = 0;
    session.recordingLost = false;
    session.wentAstray = false;
    forgetHistory();
    setScreenBlitsSkipped(false);
}

bool replaying() {
    return session.mode == Mode::replaying;
}

bool headless() {
    return session.headless;
}

Uint32 rosterReading() {
    switch (session.mode) {
    case Mode::recording: {
        const Uint32 now = gameClock();
        session.writer.roster(now);
        return now;
    }
    case Mode::replaying:
        for (const Record& r : session.recording.records) {
            if (r.kind == Record::roster) {
                return r.tick;
            }
        }
        return session.recording.header.lastFrameEndTick;
    default:
        return gameClock();
    }
}

Uint32 frameReading() {
    ++session.frames;
    if (session.mode != Mode::replaying) {
        session.lastFrameTick = gameClock();
        return session.lastFrameTick;
    }
    session.frameRecord = nextRecordOf(Record::frame);
    if (session.frameRecord == nullptr) {
        // replayOver() turned true before this frame; nothing calls here after it.
        return session.lastFrameTick;
    }
    session.lastFrameTick = session.frameRecord->tick;
    if (!session.headless) {
        keepRecordedPace(session.lastFrameTick);
    }
    return session.lastFrameTick;
}

void pollFrameEvent(SDL_Event& event, ShellEventTaker takeForShell) {
    switch (session.mode) {
    case Mode::live:
        pollLiveEvent(event, takeForShell);
        return;
    case Mode::recording: {
        const bool arrived = pollLiveEvent(event, takeForShell);
        session.writer.frame(session.lastFrameTick, arrived ? &event : nullptr);
        watchRecorder();
        return;
    }
    case Mode::replaying:
        if (session.frameRecord != nullptr && session.frameRecord->hasEvent) {
            event = session.frameRecord->event;
        }
        if (!session.headless) {
            watchRealQueue();
        }
        return;
    }
}

void endFrame() {
    if (session.mode != Mode::live) {
        noteFrameShown();
    }
    if (session.mode == Mode::recording) {
        const Uint32 interval = checkEveryFrames;
        if (session.frames % interval == 0) {
            session.writer.check(stateDigest());
            watchRecorder();
        }
        return;
    }
    if (session.mode != Mode::replaying) {
        return;
    }
    if (const Record* check = nextRecordOf(Record::check)) {
        if (check->digest != stateDigest()) {
            refuse(session.path, "the replay went another way than the recorded run by frame " +
                                     std::to_string(session.frames));
            session.wentAstray = true;
        }
    }
}

bool replayOver() {
    if (session.mode != Mode::replaying) {
        return false;
    }
    if (session.windowClosed || session.wentAstray) {
        return true;
    }
    const auto& records = session.recording.records;
    for (std::size_t at = session.next; at < records.size(); ++at) {
        if (records[at].kind == Record::frame) {
            return false;
        }
    }
    return true;
}

Uint32 reportReading() {
    switch (session.mode) {
    case Mode::recording: {
        const Uint32 now = gameClock();
        session.writer.end(now);
        watchRecorder();
        return now;
    }
    case Mode::replaying:
        if (const Record* end = nextRecordOf(Record::end)) {
            return end->tick;
        }
        return session.lastFrameTick;
    default:
        return gameClock();
    }
}

void startAfresh() {
    if (session.mode == Mode::recording) {
        session.writer.close();
        watchRecorder();
        session.mode = Mode::live;
    }
    session.pausedTotal = platform::ticks();
    session.frames = 0;
}

void holdClock() {
    session.pausedSince = platform::ticks();
}

void releaseClock() {
    session.pausedTotal += platform::ticks() - session.pausedSince;
}

int finish() {
    session.writer.close();
    watchRecorder();
    printClosingLine();
    return session.recordingLost || session.wentAstray ? EXIT_FAILURE : EXIT_SUCCESS;
}

void noteFinalState() {
    if (session.mode == Mode::replaying) {
        session.finalDigest = stateDigest();
        session.finalNoted = true;
    }
}

} // namespace replay
