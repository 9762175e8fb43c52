#pragma once

#include "resources/BasicResourceManager.h"
#include "resources/Sound.h"

/// Cache of sounds, keyed by resolved path and the caller's load parameters.
class SoundManager : public BasicResourceManager<Sound, SoundManager> {
public:
    using BasicResourceManager::BasicResourceManager;
    /// Load parameters every sound starts from.
    static ParameterMap defaults();
    /// Per-tick work of every loaded sound: fades, finished voices, stream underruns.
    void update();
};
