#pragma once

#include "ReplayHost.h"

#include "support/TestEngine.h"
#include "world/ObjectFactory.h"

#include <cstdlib>

// The one host on the test program's engine (an engine keeps the screens a host registers).
// It goes at exit before the engine does, taking its highscore directory with it.
inline ReplayHost& host()
{
    static ReplayHost* shared = [] {
        registerAllObjectTypes();
        auto* made = new ReplayHost(testEngine());
        std::atexit([] { delete &host(); });
        return made;
    }();
    return *shared;
}
