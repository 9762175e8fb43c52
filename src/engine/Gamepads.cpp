#include "engine/Gamepads.h"

#include <algorithm>

void Gamepads::open()
{
    if (SDL_InitSubSystem(SDL_INIT_JOYSTICK) != 0)
        return;
    SDL_JoystickEventState(SDL_ENABLE);
    int found = std::min(SDL_NumJoysticks(), kMaxPads);
    count = 0;
    for (int i = 0; i < found; ++i) {
        joysticks[i] = SDL_JoystickOpen(i);
        if (!joysticks[i])
            break;
        ++count;
    }
}

void Gamepads::close()
{
    for (SDL_Joystick*& joystick : joysticks) {
        if (joystick)
            SDL_JoystickClose(joystick);
        joystick = nullptr;
    }
    count = 0;
}

void Gamepads::setCount(int pads)
{
    count = std::clamp(pads, 0, kMaxPads);
}

void Gamepads::beginStep()
{
    for (Pad& pad : pads)
        pad.hit = 0;
}

void Gamepads::handleEvent(const SDL_Event& event)
{
    int index = -1;
    switch (event.type) {
    case SDL_JOYAXISMOTION:
        index = event.jaxis.which;
        break;
    case SDL_JOYHATMOTION:
        index = event.jhat.which;
        break;
    case SDL_JOYBUTTONDOWN:
    case SDL_JOYBUTTONUP:
        index = event.jbutton.which;
        break;
    default:
        return;
    }
    if (index < 0 || index >= kMaxPads)
        return;
    Pad& pad = pads[index];

    if (event.type == SDL_JOYAXISMOTION && event.jaxis.axis < 2) {
        // Axis 0 is the stick's left-right, axis 1 its up-down (negative is up).
        const bool across = event.jaxis.axis == 0;
        const uint32_t low = bit(across ? PAD_LEFT : PAD_UP);
        const uint32_t high = bit(across ? PAD_RIGHT : PAD_DOWN);
        pad.stick &= ~(low | high);
        if (event.jaxis.value < -kDeadZone)
            pad.stick |= low;
        else if (event.jaxis.value > kDeadZone)
            pad.stick |= high;
    } else if (event.type == SDL_JOYHATMOTION && event.jhat.hat == 0) {
        const Uint8 value = event.jhat.value;
        pad.hat = ((value & SDL_HAT_LEFT) ? bit(PAD_LEFT) : 0) | ((value & SDL_HAT_RIGHT) ? bit(PAD_RIGHT) : 0) |
                  ((value & SDL_HAT_UP) ? bit(PAD_UP) : 0) | ((value & SDL_HAT_DOWN) ? bit(PAD_DOWN) : 0);
    } else if ((event.type == SDL_JOYBUTTONDOWN || event.type == SDL_JOYBUTTONUP) && event.jbutton.button < 3) {
        const uint32_t button = bit(PadControl(PAD_BUTTON_1 + event.jbutton.button));
        if (event.type == SDL_JOYBUTTONDOWN)
            pad.buttons |= button;
        else
            pad.buttons &= ~button;
    }
    const uint32_t down = pad.stick | pad.hat | pad.buttons;
    pad.hit |= down & ~pad.down;
    pad.down = down;
}

const Gamepads::Pad& Gamepads::bitsOf(int pad) const
{
    // A player without a pad reads an untouched one.
    static const Pad none;
    return pad >= 0 && pad < count ? pads[pad] : none;
}
