// SDL_mixer 1.2's calls for the browser build, forwarded to SDL2_mixer, whose calls kept their
// meaning (see sdl12_web.h). SDL 1.2's SDL_LockAudio is here too: it locks the mixer's device.
#include "platform/web/sdl12_web.h"

#include <SDL.h>
#include <SDL_mixer.h>

namespace {

// SDL 2 numbers the devices it opens from 2 up; the mixer opens one, and the audio lock is its.
constexpr SDL_AudioDeviceID firstOpenedDevice = 2;
constexpr SDL_AudioDeviceID lastDeviceLookedAt = 16;
SDL_AudioDeviceID mixerDevice = 0;

SDL_AudioDeviceID deviceInUse() {
    for (SDL_AudioDeviceID device = firstOpenedDevice; device <= lastDeviceLookedAt; ++device) {
        if (SDL_GetAudioDeviceStatus(device) != SDL_AUDIO_STOPPED) {
            return device;
        }
    }
    return 0;
}

::Mix_Chunk* chunkOf(sdl12::Mix_Chunk* chunk) {
    return reinterpret_cast<::Mix_Chunk*>(chunk);
}

::Mix_Music* musicOf(sdl12::Mix_Music* music) {
    return reinterpret_cast<::Mix_Music*>(music);
}

} // namespace

namespace sdl12 {

int Mix_OpenAudio(int frequency, Uint16 format, int channels, int chunkSize) {
    const int status = ::Mix_OpenAudio(frequency, format, channels, chunkSize);
    mixerDevice = status == 0 ? deviceInUse() : 0;
    return status;
}

void Mix_CloseAudio() {
    ::Mix_CloseAudio();
    mixerDevice = 0;
}

Mix_Chunk* Mix_LoadWAV_RW(SDL_RWops* source, int freeSource) {
    return reinterpret_cast<Mix_Chunk*>(
        ::Mix_LoadWAV_RW(reinterpret_cast<::SDL_RWops*>(source), freeSource));
}

Mix_Music* Mix_LoadMUS(const char* file) {
    return reinterpret_cast<Mix_Music*>(::Mix_LoadMUS(file));
}

void Mix_FreeChunk(Mix_Chunk* chunk) {
    ::Mix_FreeChunk(chunkOf(chunk));
}

void Mix_FreeMusic(Mix_Music* music) {
    ::Mix_FreeMusic(musicOf(music));
}

int Mix_PlayChannelTimed(int channel, Mix_Chunk* chunk, int loops, int ticks) {
    return ::Mix_PlayChannelTimed(channel, chunkOf(chunk), loops, ticks);
}

int Mix_FadeInMusic(Mix_Music* music, int loops, int ms) {
    return ::Mix_FadeInMusic(musicOf(music), loops, ms);
}

int Mix_FadeOutMusic(int ms) {
    return ::Mix_FadeOutMusic(ms);
}

int Mix_HaltChannel(int channel) {
    return ::Mix_HaltChannel(channel);
}

int Mix_HaltMusic() {
    return ::Mix_HaltMusic();
}

void Mix_Pause(int channel) {
    ::Mix_Pause(channel);
}

void Mix_Resume(int channel) {
    ::Mix_Resume(channel);
}

void Mix_PauseMusic() {
    ::Mix_PauseMusic();
}

void Mix_ResumeMusic() {
    ::Mix_ResumeMusic();
}

int Mix_Volume(int channel, int volume) {
    return ::Mix_Volume(channel, volume);
}

int Mix_VolumeChunk(Mix_Chunk* chunk, int volume) {
    return ::Mix_VolumeChunk(chunkOf(chunk), volume);
}

int Mix_VolumeMusic(int volume) {
    return ::Mix_VolumeMusic(volume);
}

void Mix_ChannelFinished(void (*finished)(int channel)) {
    ::Mix_ChannelFinished(finished);
}

void SDL_LockAudio() {
    if (mixerDevice != 0) {
        SDL_LockAudioDevice(mixerDevice);
    }
}

void SDL_UnlockAudio() {
    if (mixerDevice != 0) {
        SDL_UnlockAudioDevice(mixerDevice);
    }
}

} // namespace sdl12
