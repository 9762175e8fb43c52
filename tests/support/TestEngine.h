#pragma once

#include "engine/Engine.h"

// One real engine per test program: a 1024x768 window on the test display
// (Xvfb), OpenAL on whatever device opens (the null backend in the suite) and
// "data" as the only search path. Created on first use, destroyed at exit.
Engine& testEngine();

// Pushes a real SDL key event into the queue, as the keyboard would.
void pushKey(SDLKey key, bool down, Uint16 unicode = 0);

// Runs `n` engine ticks.
void runTicks(Engine& engine, int n);
