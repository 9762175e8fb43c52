#pragma once

#include "engine/Engine.h"
#include "engine/State.h"
#include "resources/Sound.h"
#include "resources/SoundManager.h"
#include "support/TestEngine.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

// Helpers the screen tests share: watching which sounds start, a screen that
// records what it was pushed with, key presses and reading the frame back.

// Counts the voices of one sound that have started since construction. Poll it
// after every tick: a short voice leaves its sound's list once it has played out.
class VoiceCounter {
public:
    explicit VoiceCounter(const std::string& soundName)
        : sound(testEngine().getSoundManager()->get(soundName))
    {
        poll();
        started = 0;
    }

    int poll()
    {
        for (const Handle<SoundInstance>& voice : sound->getInstances()) {
            if (std::find(seen.begin(), seen.end(), voice) == seen.end()) {
                seen.push_back(voice);
                ++started;
            }
        }
        return started;
    }

private:
    Handle<Sound> sound;
    // Holding the voices keeps their addresses from being reused by later ones.
    std::vector<Handle<SoundInstance>> seen;
    int started = 0;
};

// Stands in for a screen that others own; counts how often it was entered.
class RecordingState : public State {
public:
    using State::State;
    void enter(const ParameterMap&) override { ++enters; }

    int enters = 0;
};

// The recorder registered under `name`, not entered yet; registers one if another screen holds the name.
inline RecordingState* recorderFor(const std::string& name)
{
    Engine& engine = testEngine();
    if (auto* recorder = dynamic_cast<RecordingState*>(engine.findState(name))) {
        recorder->enters = 0;
        return recorder;
    }
    auto* recorder = new RecordingState(name, &engine);
    engine.registerState(recorder);
    return recorder;
}

// One tick in which `key` goes down and up again.
inline void tap(SDLKey key, Uint16 unicode = 0)
{
    pushKey(key, true, unicode);
    pushKey(key, false);
    testEngine().tick();
}

// Every byte of `text` typed as the key of that character (8 Backspace, 13 Return), then one tick.
inline void type(const std::string& text)
{
    for (unsigned char c : text) {
        pushKey(SDLKey(c), true, c);
        pushKey(SDLKey(c), false);
    }
    testEngine().tick();
}

// Any one-shot voice still playing; voices play in real time, and tests that
// press keys hundreds of times a second would otherwise run out of sources.
inline bool oneShotsPlaying()
{
    bool playing = false;
    testEngine().getSoundManager()->forEach([&](Sound* sound) {
        for (const Handle<SoundInstance>& voice : sound->getInstances())
            playing |= !voice->isLooping();
    });
    return playing;
}

// Leaves the screen stack empty, lets a running screen-change effect end and
// the one-shot sounds play out (at most five seconds).
inline void settleEngine()
{
    Engine& engine = testEngine();
    while (engine.getStackSize() > 0)
        engine.popState();
    for (int i = 0; i < 1000 && (engine.getTransition() || oneShotsPlaying()); ++i) {
        engine.tick();
        SDL_Delay(5);
    }
    engine.getSettings().open(""); // every test starts from the default choices
}

// The screen T opened over a recorder, which is where leaving it goes; `released`
// are keys a test may hold, let go again before the engine settles.
template <typename T>
class ScreenOverRecorder : public ::testing::Test {
protected:
    void SetUp() override
    {
        settleEngine();
        screen = new T(&engine);
        engine.registerState(screen);
        below = recorderFor("Below" + screen->getName());
        engine.pushState(below->getName(), ParameterMap());
        engine.pushState(screen->getName(), ParameterMap());
    }

    void TearDown() override
    {
        for (SDLKey key : released)
            pushKey(key, false);
        engine.tick();
        settleEngine();
    }

    Engine& engine = testEngine();
    T* screen = nullptr;
    RecordingState* below = nullptr;
    std::vector<SDLKey> released;
};

struct Rgb {
    int r, g, b;
};

// The whole frame just rendered, read back once; pixel (x, y) counted from the top left.
class Frame {
public:
    Frame()
    {
        Vec2i size = testEngine().getScreenSize();
        width = size.x;
        height = size.y;
        pixels.resize(size_t(width) * size_t(height) * 4);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    }

    Rgb at(int x, int y) const
    {
        const unsigned char* p = &pixels[(size_t(height - 1 - y) * size_t(width) + size_t(x)) * 4];
        return Rgb{p[0], p[1], p[2]};
    }

    // Pixels of the rectangle [x0, x1) x [y0, y1) within `tolerance` of `colour` in every component.
    int count(int x0, int y0, int x1, int y1, Rgb colour, int tolerance = 6) const
    {
        int n = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) {
                Rgb p = at(x, y);
                n += std::abs(p.r - colour.r) <= tolerance && std::abs(p.g - colour.g) <= tolerance &&
                     std::abs(p.b - colour.b) <= tolerance;
            }
        return n;
    }

    // The same pixels in the rectangle [x0, x1) x [y0, y1).
    bool same(const Frame& other, int x0, int y0, int x1, int y1) const
    {
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
                if (std::memcmp(&pixels[(size_t(y) * size_t(width) + size_t(x)) * 4],
                                &other.pixels[(size_t(y) * size_t(width) + size_t(x)) * 4], 3) != 0)
                    return false;
        return true;
    }

private:
    int width = 0;
    int height = 0;
    std::vector<unsigned char> pixels;
};

// The current screen drawn and read back.
inline Frame rendered()
{
    testEngine().renderCurrentState();
    return Frame();
}
