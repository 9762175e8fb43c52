#pragma once

#include "resources/BasicResourceManager.h"
#include "resources/Texture.h"

/// Cache of textures, keyed by resolved path and the caller's load parameters.
class TextureManager : public BasicResourceManager<Texture, TextureManager> {
public:
    using BasicResourceManager::BasicResourceManager;
    /// Load parameters every texture starts from.
    static ParameterMap defaults();
};
