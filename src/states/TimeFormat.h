#pragma once

#include <cstdint>
#include <string>

/// "mm:ss.hh" of `seconds`, every part truncated: 83.456 gives "01:23.45".
/// The head-up display shows the running clock with it.
std::string formatTime(float seconds);

/// Whole hundredths of `seconds`, cut off rather than rounded: a stored time
/// never beats the one the clock showed.
uint32_t toHundredths(float seconds);

/// The same text for a whole number of hundredths, as the highscore file
/// stores times. Going through a float would show many stored times one
/// hundredth too low (8346 would read 01:23.45).
std::string formatHundredths(uint32_t hundredths);
