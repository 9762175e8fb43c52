#pragma once

#include "resources/BasicResourceManager.h"
#include "resources/Font.h"

/// Cache of fonts, keyed by resolved path and the caller's load parameters.
class FontManager : public BasicResourceManager<Font, FontManager> {
public:
    using BasicResourceManager::BasicResourceManager;
    /// Load parameters every font starts from.
    static ParameterMap defaults();
};
