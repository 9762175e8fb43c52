#include "states/TimeFormat.h"

#include <cmath>
#include <cstdio>

uint32_t toHundredths(float seconds)
{
    return uint32_t(std::trunc(seconds * 100.0f));
}

std::string formatHundredths(uint32_t hundredths)
{
    unsigned seconds = hundredths / 100;
    char text[32];
    std::snprintf(text, sizeof text, "%02u:%02u.%02u", seconds / 60, seconds % 60, unsigned(hundredths % 100));
    return text;
}
