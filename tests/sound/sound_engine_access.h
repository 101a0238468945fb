// A look inside a SoundEngine for the tests: its playing table and the size of its library.
#pragma once

#include "sound/sound_engine.h"

#include <cstddef>
#include <string>

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

    // The engine's music track.
    static Mix_Music* music(const SoundEngine& engine) { return engine.music; }

    // Entries of the playing table.
    static std::size_t playingEntries(const SoundEngine& engine) {
        SDL_LockAudio();
        const std::size_t entries = engine.playing.size();
        SDL_UnlockAudio();
        return entries;
    }

    // Samples in the library, over all categories.
    static std::size_t sampleCount(const SoundEngine& engine) {
        std::size_t count = 0;
        for (const auto& [category, samples] : engine.effects) {
            count += samples.size();
        }
        return count;
    }

    // Calls `check(channel)` for every marked sample, under the audio lock, so the marks cannot
    // change meanwhile; returns false as soon as a check fails or two samples share a channel.
    template <typename Check> static bool everyMark(const SoundEngine& engine, Check check) {
        SDL_LockAudio();
        bool holds = true;
        unsigned seen = 0;
        for (const auto& [chunk, mark] : engine.playing) {
            if (mark == 0) {
                continue;
            }
            const unsigned bit = 1u << (mark - 1);
            holds = holds && (seen & bit) == 0 && check(mark - 1);
            seen |= bit;
        }
        SDL_UnlockAudio();
        return holds;
    }
};
