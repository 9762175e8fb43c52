#include "states/TimeFormat.h"

#include <cmath>
#include <cstdio>

namespace {

std::string format(long long wholeSeconds, long long hundredths)
{
    long long minutes = wholeSeconds / 60;
    long long rest = wholeSeconds - 60 * minutes;
    char text[64];
    std::snprintf(text, sizeof text, "%02lld:%02lld.%02lld", minutes, rest, hundredths);
    return text;
}

} // namespace

std::string formatTime(float seconds)
{
    long long whole = static_cast<long long>(seconds);
    return format(whole, static_cast<long long>((seconds - float(whole)) * 100.0f));
}

uint32_t toHundredths(float seconds)
{
    return uint32_t(std::trunc(seconds * 100.0f));
}

std::string formatHundredths(uint32_t hundredths)
{
    return format(hundredths / 100, hundredths % 100);
}
