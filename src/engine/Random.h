#pragma once

#include <cstdint>

// The program-wide Mersenne Twister. It starts from a fixed linear fill, so
// every run (and every replay) draws the same sequence. Main thread only.

/// Puts the generator back to its start-up state (done once before anything else runs).
void randomReset();
/// Next tempered 32-bit word.
uint32_t randomU32();
/// A float in [0, 1]; both ends can be drawn.
float randomFloat();
/// A float in [min, max].
float randomFloat(float min, float max);
/// A double in [0, 1); 1.0 is never drawn.
double randomDouble();
/// An int in [min, max], both ends included.
int randomInt(int min, int max);
