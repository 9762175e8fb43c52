#pragma once

#include "engine/Transition.h"

/// The old screen turns away on one face of a cube while the new one turns in on the next.
class CubeTransition : public Transition {
public:
    /// `duration` in seconds; the game uses 0.75.
    CubeTransition(Engine* engine, float duration) : Transition(engine, duration) {}

    void draw(unsigned oldTexture, unsigned newTexture) override;
};
