#pragma once

#include "engine/NonCopyable.h"

#include <SDL.h>

#include <cstdint>

/// What the game reads from a pad: the four directions (stick or hat) and three buttons.
enum PadControl : int {
    PAD_LEFT,
    PAD_RIGHT,
    PAD_UP,
    PAD_DOWN,
    PAD_BUTTON_1, ///< SDL button 0
    PAD_BUTTON_2, ///< SDL button 1
    PAD_BUTTON_3, ///< SDL button 2
};

/// The pads of the two players, pad n for player n + 1, with held and first-press bits per
/// control like the keys'. The state follows only the joystick events the engine hands over,
/// so events pushed into SDL's queue drive it exactly as a real pad does.
class Gamepads : NonCopyable {
public:
    static constexpr int kMaxPads = 2; ///< one per player; further pads are not used
    /// Stick deflections beyond this count as a direction (full deflection is 32767).
    static constexpr int kDeadZone = 12000;

    /// Opens the joysticks SDL finds, at most `kMaxPads`; without this, no pad is used.
    void open();
    /// Closes what `open` opened.
    void close();
    /// Number of players who have a pad.
    int getCount() const { return count; }
    /// Sets the number of players who have a pad without opening any (for events pushed by hand).
    void setCount(int pads);

    /// Clears the first-press bits at the start of a step.
    void beginStep();
    /// Takes a joystick event of pad 0 or 1 into the state; other events change nothing.
    void handleEvent(const SDL_Event& event);

    /// Control `control` of pad `pad` is held (false for a pad the players do not have).
    bool isDown(int pad, PadControl control) const { return (bitsOf(pad).down & bit(control)) != 0; }
    /// Control `control` of pad `pad` went from let go to held in this step.
    bool wasHit(int pad, PadControl control) const { return (bitsOf(pad).hit & bit(control)) != 0; }

private:
    struct Pad {
        // Each source of a direction is kept on its own, so that letting go of
        // the hat does not cancel the stick held the same way.
        uint32_t stick = 0;
        uint32_t hat = 0;
        uint32_t buttons = 0;
        uint32_t down = 0;
        uint32_t hit = 0;
    };

    static uint32_t bit(PadControl control) { return 1u << control; }
    const Pad& bitsOf(int pad) const;

    Pad pads[kMaxPads];
    SDL_Joystick* joysticks[kMaxPads] = {};
    int count = 0;
};
