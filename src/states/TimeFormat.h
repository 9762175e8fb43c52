#pragma once

#include <cstdint>
#include <string>

/// Whole hundredths of `seconds`, cut off rather than rounded: a stored time
/// never beats the one the clock showed.
uint32_t toHundredths(float seconds);

/// "mm:ss.hh" of a whole number of hundredths: 8346 gives "01:23.46". The
/// head-up display and the highscore list both write times with it, so a time
/// reads the same on both; seconds in a float would often lose a hundredth.
std::string formatHundredths(uint32_t hundredths);
