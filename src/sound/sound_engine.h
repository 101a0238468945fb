// SoundEngine: the audio device, the effect library from ./sfx, the music, and the game-over
// sequence.
#pragma once

#include <SDL/SDL.h>
#include <SDL/SDL_mixer.h>

#include <filesystem>
#include <map>
#include <string>

// One engine per process, reached through instance(). Every failure is thrown as a plain
// `const char*` pointing at the message text.
class SoundEngine {
public:
    // The one engine, created on the first call (during start-up, before any other thread).
    static SoundEngine* instance();

    // Opens the device at 22050 Hz, signed 16-bit little-endian, stereo.
    void init();
    // Opens the device with a 1024-frame buffer, loads every sample of the sub-folders of
    // "./sfx" and the music "pompeii.ogg", and marks the engine initialized.
    void init(int frequency, Uint16 format, int channels);
    // Plays sample `name` of `category` unless it is still sounding. A nonzero `rearm` installs
    // the channel-finished handler, which frees a sample again when its channel stops.
    // Safe from the game thread and the game-over thread.
    void playEffect(std::string category, std::string name, int rearm);
    // Fades the music in over 2000 ms and plays it `loops` times; -1 repeats it for ever.
    void playMusic(int loops);
    // The game-over sequence, run on its own thread (the argument is ignored): fades the music
    // out, plays "death"/"gameover", and then asks the game thread to end the process.
    static int gameOverSequence(void* unused);

    // True once a game-over sequence has finished; the game thread then ends the process.
    static bool gameOverFinished();

    ~SoundEngine();
};
