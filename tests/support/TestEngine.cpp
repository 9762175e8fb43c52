#include "support/TestEngine.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

Engine& testEngine()
{
    static Engine* engine = [] {
        Engine* e = new Engine(1024, 768, 60.0f, "zorbel tests", "", false);
        // Test programs run side by side on one display, so input focus wanders
        // between their windows; a test that wants the window inactive pushes the
        // focus event itself.
        SDL_EventState(SDL_ACTIVEEVENT, SDL_IGNORE);
        e->addSearchPath("data");
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

SDL_Event padEvent(Uint8 type, int pad, int index, int value)
{
    SDL_Event event{};
    event.type = type;
    if (type == SDL_JOYAXISMOTION) {
        event.jaxis = SDL_JoyAxisEvent{type, Uint8(pad), Uint8(index), Sint16(value)};
    } else if (type == SDL_JOYHATMOTION) {
        event.jhat = SDL_JoyHatEvent{type, Uint8(pad), Uint8(index), Uint8(value)};
    } else {
        const bool down = type == SDL_JOYBUTTONDOWN;
        event.jbutton = SDL_JoyButtonEvent{type, Uint8(pad), Uint8(index), Uint8(down ? SDL_PRESSED : SDL_RELEASED)};
    }
    return event;
}

SDL_Event padRelease(const SDL_Event& event)
{
    switch (event.type) {
    case SDL_JOYAXISMOTION:
        return padEvent(event.type, event.jaxis.which, event.jaxis.axis, 0);
    case SDL_JOYHATMOTION:
        return padEvent(event.type, event.jhat.which, event.jhat.hat, SDL_HAT_CENTERED);
    default:
        return padEvent(SDL_JOYBUTTONUP, event.jbutton.which, event.jbutton.button);
    }
}

void pushEvent(SDL_Event event)
{
    SDL_PushEvent(&event);
}

void runTicks(Engine& engine, int n)
{
    for (int i = 0; i < n; ++i)
        engine.tick();
}

void runOn(Engine& engine, FakeClock& clock)
{
    engine.setClock(&clock);
    engine.clearQuitRequest();
    engine.run();
    engine.setClock(nullptr);
}

const std::string& scratchDir()
{
    // Never destroyed, so the exit handler that removes the directory can still read it.
    static const std::string* dir = [] {
        char pattern[] = "/tmp/zorbel-tests-XXXXXX";
        const char* made = mkdtemp(pattern);
        if (!made)
            std::abort();
        auto* path = new std::string(std::string(made) + "/");
        std::atexit([] { std::filesystem::remove_all(scratchDir()); });
        testEngine().addSearchPath(*path);
        return path;
    }();
    return *dir;
}

std::string freshDir()
{
    static int made = 0;
    const std::string dir = scratchDir() + "fresh" + std::to_string(++made);
    std::filesystem::create_directories(dir);
    return dir;
}

std::string writeScratchFile(const std::string& name, const std::string& bytes)
{
    const std::filesystem::path path = scratchDir() + name;
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
    return path.string();
}

std::string stderrOf(const std::function<void()>& run)
{
    testing::internal::CaptureStderr();
    run();
    return testing::internal::GetCapturedStderr();
}

std::array<int, 3> windowPixel(Vec2i at)
{
    unsigned char rgb[3] = {0, 0, 0};
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(at.x, testEngine().getScreenMapping().getWindowSize().y - 1 - at.y, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, rgb);
    return {rgb[0], rgb[1], rgb[2]};
}

SearchPathList pathsTo(const std::string& directory)
{
    SearchPathList paths;
    addSearchPath(paths, directory);
    return paths;
}

std::string readFileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}
