// An Ogg Vorbis file through the sound loader, as an effect (decoded at once)
// and as music (streamed by a voice's own thread).
#include "FuzzSupport.h"

#include "engine/Engine.h"
#include "resources/Sound.h"
#include "resources/SoundInstance.h"
#include "resources/SoundManager.h"

#include <SDL.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Engine& engine = fuzzEngine();
    std::string path = writeScratch("sounds/fuzz.ogg", data, size);

    // Not through the cache, which would hand back the first input's sound.
    ParameterMap parameters = SoundManager::defaults();
    parameters.set<bool>("streaming", (size & 1) != 0);
    Handle<Sound> sound(new Sound(path, engine.getSoundManager(), parameters), AdoptRef{});
    Handle<SoundInstance> voice = sound->play((size & 2) != 0, 1.0f, 1.0f);
    // Now and then long enough for the voice's thread to do a refill pass;
    // always would make the target too slow to find anything.
    if (sound->isStreaming() && voice && voice->isValid() && (size & 15) == 1) {
        SDL_Delay(140);
        sound->update();
    }
    if (voice)
        voice->stop();
    return 0;
}
