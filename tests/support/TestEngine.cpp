#include "support/TestEngine.h"

#include <cstdlib>

namespace {

Engine* makeEngine()
{
    Engine* engine = new Engine(1024, 768, 60.0f, "zorbel tests", "", false);
    // Test programs run side by side on one display, so input focus wanders
    // between their windows; a test that wants the window inactive pushes the
    // focus event itself.
    SDL_EventState(SDL_ACTIVEEVENT, SDL_IGNORE);
    engine->addSearchPath("data");
    return engine;
}

} // namespace

Engine& testEngine()
{
    static Engine* engine = [] {
        Engine* e = makeEngine();
        std::atexit([] { delete &testEngine(); });
        return e;
    }();
    return *engine;
}

void pushKey(SDLKey key, bool down, Uint16 unicode)
{
    SDL_Event event{};
    event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    event.key.type = event.type;
    event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.key.keysym.sym = key;
    event.key.keysym.unicode = unicode;
    SDL_PushEvent(&event);
}

void runTicks(Engine& engine, int n)
{
    for (int i = 0; i < n; ++i)
        engine.tick();
}
