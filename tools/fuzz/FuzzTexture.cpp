// An image file (PNG, JPEG or anything SDL_image guesses) through the texture loader.
#include "FuzzSupport.h"

#include "engine/Engine.h"
#include "resources/Texture.h"
#include "resources/TextureManager.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Engine& engine = fuzzEngine();
    std::string path = writeScratch("sprites/fuzz.png", data, size);
    // Not through the cache, which would hand back the first input's picture.
    ParameterMap parameters = TextureManager::defaults();
    parameters.set<bool>("mipMapping", (size & 1) != 0);
    Handle<Texture> texture(new Texture(path, engine.getTextureManager(), parameters), AdoptRef{});
    texture->bind();
    return 0;
}
