#pragma once

class Engine;

/// A short effect over a screen change, drawn from the old screen's last frame and the
/// new screen's live frames.
class Transition {
public:
    /// Runs `duration` seconds; -1 runs until another effect replaces it.
    Transition(Engine* engine, float duration);
    virtual ~Transition() = default;

    /// Advances one step; false once the effect is over.
    virtual bool update();
    /// Draws the effect; both textures hold a screen capture at their top, addressed in pixels.
    virtual void draw(unsigned oldTexture, unsigned newTexture) = 0;

    /// The main loop captures every new frame for `draw`.
    bool wantsNewScreen() const { return captureNew; }
    float getElapsed() const { return elapsed; }
    float getDuration() const { return duration; }

protected:
    Engine* engine;
    bool captureNew = true;
    float duration;
    float elapsed = 0.0f;
    int width;  ///< the captures' size in pixels: the picture as the window shows it
    int height;
};
