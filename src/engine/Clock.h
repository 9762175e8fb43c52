#pragma once

#include <cstdint>

/// Where the main loop gets wall-clock milliseconds and how it sleeps; the
/// default uses SDL, tests feed their own times.
class Clock {
public:
    virtual ~Clock() = default;
    /// Milliseconds since some fixed start; wraps around like SDL_GetTicks.
    virtual uint32_t ticks() = 0;
    /// Sleeps about `ms` milliseconds.
    virtual void delay(uint32_t ms) = 0;
};

/// The real clock: SDL_GetTicks and SDL_Delay.
class SdlClock : public Clock {
public:
    uint32_t ticks() override;
    void delay(uint32_t ms) override;
};
