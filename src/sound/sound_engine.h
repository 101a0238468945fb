// SoundEngine: the audio device, the effect library from ./sfx, the music, and the game-over
// sequence.
#pragma once

#include <SDL/SDL.h>
#include <SDL/SDL_mixer.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

// One engine per process, reached through instance(). Every failure is thrown as a plain
// `const char*` pointing at the message text; a missing "./sfx" throws the filesystem library's
// own error instead.
//
// Threads: the game thread, the game-over thread and the mixer's audio thread all reach the
// playing table. Every access to it happens under SDL's audio lock, the same lock the mixer
// holds while it mixes and while it calls the channel-finished handler, so the handler never
// runs halfway through a request.
class SoundEngine {
  public:
    // The one engine of the game, created on the first call (during start-up, before any other
    // thread exists). Never destroyed.
    static SoundEngine* instance();

    // An engine with an empty library and no device. The game only ever uses instance(); tests
    // build their own engines so that each starts from scratch.
    SoundEngine();
    // Frees every sample and the music, even after a failed init, and closes the device if init
    // succeeded.
    ~SoundEngine();
    SoundEngine(const SoundEngine&) = delete;
    SoundEngine& operator=(const SoundEngine&) = delete;

    // Opens the device at the game's output rate and format, stereo.
    void init();
    // Opens the device with the mixer's buffer, loads every sample of the sub-folders of
    // "./sfx" (printing a tab and the file name for each) and the music "pompeii.ogg", and marks
    // the engine initialized. Called once, on the game thread, before any other thread exists.
    void init(int frequency, Uint16 format, int channels);

    // Plays sample `name` of `category` once, unless it is still sounding: a second request
    // while it sounds is dropped, not queued. A sample the library lacks plays nothing. A
    // nonzero `rearm` installs the channel-finished handler, which from then on frees every
    // sample again when its channel stops; until then a started sample stays marked for good.
    // Safe from the game thread and the game-over threads.
    void playEffect(const std::string& category, const std::string& name, int rearm);

    // Fades the music in and plays it `loops` times; -1 repeats it for ever.
    void playMusic(int loops);

    // The chunk stored under `category` and `name`, or null. Never adds anything to the library.
    Mix_Chunk* sample(const std::string& category, const std::string& name) const;

    // The game-over sequence, run on its own thread: fades the music out, waits, plays
    // "death"/"gameover" and waits for the jingle to end, gameOverLengthMs() after its start.
    // `engine` is the engine to play on; the game passes null, which means instance(). The
    // waits are measured against deadlines from the sequence's start, so it lasts its full length
    // however the sleeps fall; they go through platform::delay, so the test clock runs the
    // sequence instantly. A signal to end the run (platform::endRequested), or cancelGameOver,
    // cuts the waits short: the sequence then returns within one wait slice. Returns 1 when it
    // played to its end, 0 when it was cut short. When the run ends is the shell's to decide.
    static int gameOverSequence(void* engine);
    // How long the sequence lasts from its start to the end of the jingle, in ms.
    static Uint32 gameOverLengthMs();

    // Starts gameOverSequence for `engine` (null: instance()) on a thread of its own, as the
    // hero's death does, and keeps hold of the thread so the end of the run can wait for it.
    static void startGameOverThread(SoundEngine* engine = nullptr);
    // Waits until a sequence started by startGameOverThread has finished, and says whether it
    // played to its end; returns false at once when none was started. SDL must not be torn down
    // under the sequence's thread.
    static bool waitForGameOver();

    // Play again, or the end of the run: stops a sequence under way and waits for its thread,
    // cuts every effect (the jingle) and the music, and frees every sample of the game's engine,
    // so that a new run can play them all again and start its own sequence.
    static void cancelGameOver();

    // Plays every effect and the music at `percent` (0 to 100) of the game's own loudness, from
    // now on: what sounds now, what starts later, the music's fades and the game-over jingle.
    static void setVolume(int percent);

    // Pauses every effect and the music where they stand, and lets them go on again.
    static void pauseSound();
    static void resumeSound();

  private:
    // Makes each direct sub-folder of `folder` a category; anything else there is passed over.
    void loadLibrary(const std::filesystem::path& folder);
    // Loads every entry of `folder` whose name passes isSoundFile as a sample of the category
    // named after the folder. A later file with the same stem replaces an earlier one.
    void loadCategory(const std::filesystem::path& folder);
    // True when ".mp3", ".ogg" or ".wav" occurs anywhere in `fileName` (case-sensitive).
    static bool isSoundFile(const std::string& fileName);
    // Decodes one sound file at effect volume; throws SDL's error text, with the file named in
    // it, when it cannot.
    static Mix_Chunk* loadSample(const std::string& path);
    // Loads "pompeii.ogg" at music volume; throws when music is already loaded or on failure.
    void loadMusic();
    // The handler given to the mixer: called on the audio thread (or inside a mixer call that
    // stops a channel) with the audio lock held, whenever channel `channel` stops.
    static void channelFinished(int channel);
    // Frees the first sample, in chunk address order, marked as playing on `channel`.
    void onChannelFinished(int channel);
    // Frees every sample, replaced ones included, and the music.
    void releaseAll();

    // Set by the last step of a successful init; playEffect and playMusic refuse to work
    // without it.
    bool initialized = false;
    // The effect library: category, then sample name, to a chunk the engine owns. Filled only
    // by init.
    std::map<std::string, std::map<std::string, Mix_Chunk*>> effects;
    // The playing table: for every chunk ever started, 0 while it is free to start, otherwise
    // its channel number plus one (so that channel 0 differs from free). Guarded by the audio
    // lock.
    std::map<Mix_Chunk*, int> playing;
    // Samples a later file of the same category and name replaced in the library: never played
    // again, but still the engine's to free.
    std::vector<Mix_Chunk*> replaced;
    // The music track, owned by the engine; null until loadMusic succeeds.
    Mix_Music* music = nullptr;

    friend class SoundEngineTestAccess;
};
