#pragma once

#include "engine/Clock.h"
#include "engine/Engine.h"

#include <array>
#include <cstddef>
#include <functional>
#include <string>

// One real engine per test program: a 1024x768 window on the test display
// (Xvfb), OpenAL on whatever device opens (the null backend in the suite) and
// "data" as the only search path. Created on first use, destroyed at exit.
Engine& testEngine();

// Pushes a real SDL key event into the queue, as the keyboard would.
void pushKey(SDLKey key, bool down, Uint16 unicode = 0);

// A pad's joystick event as SDL sends it: `type` SDL_JOYBUTTONDOWN/UP for button `index`,
// SDL_JOYAXISMOTION for axis `index` at `value`, SDL_JOYHATMOTION for hat `index` at `value`.
SDL_Event padEvent(Uint8 type, int pad, int index, int value = 0);
// The event that undoes `event`: the button up, the axis or hat back in the middle.
SDL_Event padRelease(const SDL_Event& event);
// Pushes `event` into the queue, as a real device would.
void pushEvent(SDL_Event event);

// The window's pixel at `at` (from the top left) as red, green and blue.
std::array<int, 3> windowPixel(Vec2i at);

// Runs `n` engine ticks.
void runTicks(Engine& engine, int n);

// Wall clock under the test's control: sleeping advances it, and so does every
// reading (each pass of the loop costs a millisecond of work); `onReading`, when
// set, runs at every reading, before the time is told.
class FakeClock : public Clock {
public:
    uint32_t ticks() override
    {
        if (onReading)
            onReading();
        return now++;
    }
    void delay(uint32_t ms) override
    {
        now += ms;
        slept += ms;
    }
    uint32_t now = 1000;
    uint32_t slept = 0;
    std::function<void()> onReading;
};

// Runs the engine's own loop on `clock` until it ends.
void runOn(Engine& engine, FakeClock& clock);

// A fresh directory under /tmp (ending in "/") for the files a test writes,
// removed at exit and searched by testEngine() for data files, so that
// "levels/x.xml" written there loads like a shipped file.
const std::string& scratchDir();

// A new empty directory under scratchDir() (no "/" at its end).
std::string freshDir();

// Writes `bytes` to scratchDir() + `name`, creating subdirectories; returns the full path.
std::string writeScratchFile(const std::string& name, const std::string& bytes);

// What `run` writes to stderr.
std::string stderrOf(const std::function<void()>& run);

// A search path list of `directory` alone.
SearchPathList pathsTo(const std::string& directory);

// The whole content of a file ("" when it cannot be read).
std::string readFileBytes(const std::string& path);

