#pragma once

#include "engine/State.h"
#include "resources/Font.h"
#include "resources/Handle.h"
#include "resources/Sound.h"
#include "resources/Texture.h"

/// The credits: a column of texts scrolling up from below the screen, the team,
/// the libraries and the thanks, then the game talking to whoever keeps
/// watching, until a monster jumps out with a scream. A gradient darkens the
/// top and bottom. Space scrolls fifty times faster, Escape goes back, and
/// after the last line the column starts again from the bottom.
class CreditsState : public State {
public:
    /// Where every pass begins: the column's top just below the 24-unit screen.
    static constexpr float kStartScroll = 25.0f;
    static constexpr float kScrollSpeed = 1.875f;
    static constexpr float kFastFactor = 50.0f;

    explicit CreditsState(Engine* engine);

    void enter(const ParameterMap& params) override;
    void leave() override;
    void activate() override;
    void deactivate() override;
    void update() override;
    void render() override;

    /// Screen y of the column's top.
    float getScroll() const { return scroll; }
    /// Height of the whole column in screen units.
    static float contentHeight();
    /// The scream has sounded in this pass.
    bool wasShockPlayed() const { return shockPlayed; }

private:
    /// Loads the fonts, pictures and the scream on the first visit; caches keep them.
    void loadResources();
    /// Screen y of the monster's slot for the column's top at `top`.
    static float monsterY(float top);

    Handle<Font> labelFont;
    Handle<Font> titleFont;
    Handle<Texture> gradientTexture;
    Handle<Texture> monsterTexture;
    Handle<Sound> screamSound;
    float textLeft = 6.0f;
    float scroll = kStartScroll;
    bool shockPlayed = false;
};
