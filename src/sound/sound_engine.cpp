// Placeholder engine until the sound engine lands: plays nothing.
#include "sound/sound_engine.h"

SoundEngine* SoundEngine::instance() {
    static SoundEngine* engine = new SoundEngine();
    return engine;
}
void SoundEngine::init() {}
void SoundEngine::init(int, Uint16, int) {}
void SoundEngine::playEffect(std::string, std::string, int) {}
void SoundEngine::playMusic(int) {}
int SoundEngine::gameOverSequence(void*) { return 0; }
bool SoundEngine::gameOverFinished() { return false; }
SoundEngine::~SoundEngine() {}
