// A look inside a SoundEngine for the tests: its playing table and its music.
#pragma once

#include "sound/sound_engine.h"

class SoundEngineTestAccess {
  public:
    // The channel `chunk` is marked as playing on, or -1 while it is free (or never started).
    static int channelOf(const SoundEngine& engine, Mix_Chunk* chunk) {
        SDL_LockAudio();
        const auto mark = engine.playing.find(chunk);
        const int channel = mark == engine.playing.end() ? -1 : mark->second - 1;
        SDL_UnlockAudio();
        return channel;
    }

    static Mix_Music* music(const SoundEngine& engine) { return engine.music; }

    // Under the audio lock, so the marks cannot change meanwhile: true when every marked sample
    // passes `check(channel)` and no two samples share a channel.
    template <typename Check> static bool everyMark(const SoundEngine& engine, Check check) {
        SDL_LockAudio();
        bool holds = true;
        unsigned seen = 0;
        for (const auto& [chunk, mark] : engine.playing) {
            const unsigned bit = mark == 0 ? 0 : 1u << (mark - 1);
            holds = holds && (seen & bit) == 0 && (mark == 0 || check(mark - 1));
            seen |= bit;
        }
        SDL_UnlockAudio();
        return holds;
    }
};
