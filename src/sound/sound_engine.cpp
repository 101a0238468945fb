// The sound engine: effect library, playing table, music and the game-over sequence.
#include "sound/sound_engine.h"

#include "platform/clock.h"
#include "platform/process_guard.h"

#include <algorithm>
#include <atomic>
#include <iostream>

namespace {

// Device settings.
constexpr int outputRate = 22050;
constexpr Uint16 outputFormat = AUDIO_S16LSB;
constexpr int outputChannels = 2;
constexpr int mixerBufferFrames = 1024;

// Volumes on the mixer's scale of 0 to 128.
constexpr int effectVolume = 64;
constexpr int musicVolume = 64;
// The player's volume is a share of these, in per cent.
constexpr int fullVolumePercent = 100;

// Where the sounds live, relative to the working folder.
constexpr const char* effectFolder = "./sfx";
constexpr const char* musicFile = "pompeii.ogg";
constexpr const char* soundExtensions[] = {".mp3", ".ogg", ".wav"};

// Playback.
constexpr int anyFreeChannel = -1;
constexpr int playOnce = 0;
constexpr int noTimeLimit = -1;
constexpr int musicFadeInMs = 2000;

// The game-over sequence.
constexpr int musicFadeOutMs = 2000;
constexpr Uint32 pauseBeforeJingleMs = 2000;
constexpr Uint32 jingleMs = 3700;
constexpr const char* jingleCategory = "death";
constexpr const char* jingleSample = "gameover";
// The sequence's waits look this often whether a signal asks the run to end, which must then
// happen within a second.
constexpr Uint32 sequenceWaitSliceMs = 50;
// What the sequence's thread returns.
constexpr int sequenceCutShort = 0;
constexpr int sequencePlayedOut = 1;

// Marks of the playing table: free, or the channel plus one.
constexpr int freeMark = 0;
int markFor(int channel) {
    return channel + 1;
}

// Messages.
constexpr const char* mixerFailedMessage = "Mixer could not be initialized";
constexpr const char* musicLoadedMessage = "Music already loaded.";
constexpr const char* notInitializedMessage = "SoundEngine not initialized";

// The engine whose playing table the mixer's finished handler frees: the one that made the
// last rearming request, or else the game's engine. In the game both are instance(); a test's
// own engine takes the handler over until it is destroyed.
std::atomic<SoundEngine*> finishedListener{nullptr};
std::atomic<SoundEngine*> gameEngine{nullptr};

// The game-over thread, once started; only the game thread touches this handle.
SDL_Thread* gameOverThread = nullptr;
// Mixer calls take this for "every channel".
constexpr int allChannels = -1;
// Raised by cancelGameOver to stop a sequence under way at its next look.
std::atomic<bool> gameOverCancelled{false};
// Unsigned clock differences beyond this are readings from before, wrapped round.
constexpr Uint32 wrapHalf = 0x80000000U;

// SDL's audio lock, held for a scope. The mixer holds the same lock while it mixes and while it
// reports a finished channel, and it is recursive, so mixer calls may be made while holding it.
class AudioLock {
  public:
    AudioLock() { SDL_LockAudio(); }
    ~AudioLock() { SDL_UnlockAudio(); }
    AudioLock(const AudioLock&) = delete;
    AudioLock& operator=(const AudioLock&) = delete;
};

// Every failure of the engine leaves through here, as a plain pointer to its message text: the
// engine's error contract, which main catches as `const char*` to print it.
[[noreturn]] void throwMessage(const char* message) {
    // NOLINTNEXTLINE(misc-throw-by-value-catch-by-reference): the pointer is the contract
    throw message;
}

// Throws SDL's current error text, copied so that nothing SDL does before the message is
// printed can overwrite it.
[[noreturn]] void throwSdlError() {
    thread_local std::string message;
    message = SDL_GetError();
    throwMessage(message.c_str());
}

// The same for a failure to decode `file`: the decoders' texts ("Unrecognized sound file type")
// do not say which file they mean, so the file's name goes in front of them in SDL's error.
[[noreturn]] void throwSdlErrorAbout(const std::string& file) {
    const std::string cause = SDL_GetError();
    if (cause.find(file) == std::string::npos) {
        SDL_SetError("%s: %s", file.c_str(), cause.c_str());
    }
    throwSdlError();
}

// The file name up to its last "." ("a.b.wav" gives "a.b", ".wav" gives ""); the whole name
// when it has none.
std::string sampleNameOf(const std::string& fileName) {
    return fileName.substr(0, fileName.rfind('.'));
}

// True when the sequence is to stop short: a signal ends the run, or play again cuts it.
bool sequenceCut() {
    return platform::endRequested() || gameOverCancelled.load();
}

// Waits until `deadline` (a clock reading) as the sequence does, unless it is cut first; true when
// the deadline came. It sleeps in slices to look at the cut, but measures against the deadline,
// so slices that oversleep never add up to a longer sequence.
bool waitUntil(Uint32 deadline) {
    for (;;) {
        if (sequenceCut()) {
            return false;
        }
        const Uint32 left = deadline - platform::ticks();
        // The deadline passed when the unsigned difference wraps into the upper half.
        if (left == 0 || left > wrapHalf) {
            return true;
        }
        platform::delay(std::min(left, sequenceWaitSliceMs));
    }
}

} // namespace

SoundEngine* SoundEngine::instance() {
    static SoundEngine* engine = [] {
        SoundEngine* created = new SoundEngine();
        gameEngine.store(created);
        return created;
    }();
    return engine;
}

SoundEngine::SoundEngine() = default;

SoundEngine::~SoundEngine() {
    // A failed init leaves the samples it decoded so far; they are the engine's all the same.
    releaseAll();
    if (initialized) {
        Mix_CloseAudio();
    }
    // Under the lock no finished handler is running, and none started later finds this engine.
    AudioLock lock;
    SoundEngine* self = this;
    finishedListener.compare_exchange_strong(self, nullptr);
}

void SoundEngine::init() {
    init(outputRate, outputFormat, outputChannels);
}

void SoundEngine::init(int frequency, Uint16 format, int channels) {
    if (Mix_OpenAudio(frequency, format, channels, mixerBufferFrames) == -1) {
        throwMessage(mixerFailedMessage);
    }
    loadLibrary(effectFolder);
    loadMusic();
    initialized = true;
}

void SoundEngine::loadLibrary(const std::filesystem::path& folder) {
    for (const std::filesystem::directory_entry& entry :
         std::filesystem::directory_iterator(folder)) {
        if (entry.is_directory()) {
            loadCategory(entry.path());
        }
    }
}

void SoundEngine::loadCategory(const std::filesystem::path& folder) {
    const std::string category = folder.filename().string();
    for (const std::filesystem::directory_entry& entry :
         std::filesystem::directory_iterator(folder)) {
        const std::string fileName = entry.path().filename().string();
        if (!isSoundFile(fileName)) {
            continue;
        }
        // A nested folder with a sound-like name gets here too and fails to decode.
        Mix_Chunk* chunk = loadSample((folder / fileName).string());
        Mix_Chunk*& stored = effects[category][sampleNameOf(fileName)];
        if (stored != nullptr) {
            replaced.push_back(stored);
        }
        stored = chunk;
        std::cout << '\t' << fileName << std::endl;
    }
}

bool SoundEngine::isSoundFile(const std::string& fileName) {
    for (const char* extension : soundExtensions) {
        if (fileName.find(extension) != std::string::npos) {
            return true;
        }
    }
    return false;
}

Mix_Chunk* SoundEngine::loadSample(const std::string& path) {
    // Opened here rather than inside the mixer's call, which would replace SDL's reason for a
    // file that cannot be opened with a complaint about a null stream.
    SDL_RWops* file = SDL_RWFromFile(path.c_str(), "rb");
    if (file == nullptr) {
        throwSdlErrorAbout(path);
    }
    Mix_Chunk* chunk = Mix_LoadWAV_RW(file, 1);
    if (chunk == nullptr) {
        throwSdlErrorAbout(path);
    }
    Mix_VolumeChunk(chunk, effectVolume);
    return chunk;
}

void SoundEngine::loadMusic() {
    if (music != nullptr) {
        throwMessage(musicLoadedMessage);
    }
    music = Mix_LoadMUS(musicFile);
    Mix_VolumeMusic(musicVolume);
    if (music == nullptr) {
        throwSdlErrorAbout(musicFile);
    }
}

Mix_Chunk* SoundEngine::sample(const std::string& category, const std::string& name) const {
    const auto samples = effects.find(category);
    if (samples == effects.end()) {
        return nullptr;
    }
    const auto chunk = samples->second.find(name);
    return chunk == samples->second.end() ? nullptr : chunk->second;
}

void SoundEngine::playEffect(const std::string& category, const std::string& name, int rearm) {
    if (!initialized) {
        throwMessage(notInitializedMessage);
    }
    Mix_Chunk* chunk = sample(category, name);
    // Held from the look at the mark to the new mark, so a channel that stops in between can
    // neither be missed nor free the wrong sample.
    AudioLock lock;
    if (chunk != nullptr) {
        const auto mark = playing.find(chunk);
        if (mark != playing.end() && mark->second != freeMark) {
            return; // still sounding: never layered over itself
        }
        const int channel = Mix_PlayChannelTimed(anyFreeChannel, chunk, playOnce, noTimeLimit);
        // A refused request leaves no mark, so the sample can be tried again.
        if (channel >= 0) {
            playing[chunk] = markFor(channel);
        }
    }
    if (rearm != 0) {
        finishedListener.store(this);
        Mix_ChannelFinished(channelFinished);
    }
}

void SoundEngine::playMusic(int loops) {
    if (!initialized) {
        throwMessage(notInitializedMessage);
    }
    Mix_FadeInMusic(music, loops, musicFadeInMs);
}

void SoundEngine::channelFinished(int channel) {
    SoundEngine* engine = finishedListener.load();
    if (engine == nullptr) {
        engine = gameEngine.load();
    }
    if (engine != nullptr) {
        engine->onChannelFinished(channel);
    }
}

void SoundEngine::onChannelFinished(int channel) {
    // The mixer already holds the lock when it calls in; taking it again keeps direct callers
    // safe too.
    AudioLock lock;
    for (auto& [chunk, mark] : playing) {
        if (mark == markFor(channel)) {
            mark = freeMark;
            return;
        }
    }
}

void SoundEngine::releaseAll() {
    for (const auto& [category, samples] : effects) {
        for (const auto& [name, chunk] : samples) {
            Mix_FreeChunk(chunk);
        }
    }
    for (Mix_Chunk* chunk : replaced) {
        Mix_FreeChunk(chunk);
    }
    Mix_FreeMusic(music);
}

int SoundEngine::gameOverSequence(void* engine) {
    SoundEngine* target = engine != nullptr ? static_cast<SoundEngine*>(engine) : instance();
    const Uint32 start = platform::ticks();
    Mix_FadeOutMusic(musicFadeOutMs);
    // Cut short by a signal, the sequence never finishes: the run ends with its report instead.
    if (!waitUntil(start + pauseBeforeJingleMs)) {
        return sequenceCutShort;
    }
    target->playEffect(jingleCategory, jingleSample, 0);
    if (!waitUntil(start + gameOverLengthMs())) {
        return sequenceCutShort;
    }
    return sequencePlayedOut;
}

Uint32 SoundEngine::gameOverLengthMs() {
    return pauseBeforeJingleMs + jingleMs;
}

void SoundEngine::startGameOverThread(SoundEngine* engine) {
    // One sequence per run: it is the hero's death that starts it, and the hero dies once.
    if (gameOverThread == nullptr) {
        gameOverThread = SDL_CreateThread(gameOverSequence, engine);
    }
}

bool SoundEngine::waitForGameOver() {
    int ending = sequenceCutShort;
    if (gameOverThread != nullptr) {
        SDL_WaitThread(gameOverThread, &ending);
        gameOverThread = nullptr;
    }
    return ending == sequencePlayedOut;
}

void SoundEngine::pauseSound() {
    Mix_Pause(allChannels);
    Mix_PauseMusic();
}

void SoundEngine::resumeSound() {
    Mix_Resume(allChannels);
    Mix_ResumeMusic();
}

void SoundEngine::cancelGameOver() {
    gameOverCancelled.store(true);
    waitForGameOver();
    gameOverCancelled.store(false);
    Mix_HaltChannel(allChannels);
    Mix_HaltMusic();
    // Every channel is silent now, but the marks of samples that stopped before any request
    // rearmed the finished handler (the jingle, in a run without a swing) would stay: the next
    // run could not play them, and a mark on a channel a new sample takes would free the wrong one.
    if (SoundEngine* engine = gameEngine.load()) {
        AudioLock lock;
        for (auto& [chunk, mark] : engine->playing) {
            mark = freeMark;
        }
    }
}

void SoundEngine::setVolume(int percent) {
    const int clamped = std::clamp(percent, 0, fullVolumePercent);
    // Every channel's volume scales its sample's own; the music has one volume of its own.
    Mix_Volume(allChannels, MIX_MAX_VOLUME * clamped / fullVolumePercent);
    Mix_VolumeMusic(musicVolume * clamped / fullVolumePercent);
}
