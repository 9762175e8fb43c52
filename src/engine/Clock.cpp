#include "engine/Clock.h"

#include <SDL.h>

uint32_t SdlClock::ticks()
{
    return SDL_GetTicks();
}

void SdlClock::delay(uint32_t ms)
{
    SDL_Delay(ms);
}
