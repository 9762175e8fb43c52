#pragma once

#include "engine/Enums.h"
#include "engine/RGBA.h"
#include "engine/Vec2.h"
#include "resources/Handle.h"
#include "resources/Texture.h"

#include <string>

class Engine;
class GameState;

/// How the start countdown looks at `countdown` seconds left.
struct CountdownLook {
    std::string text; ///< "3", "2", "1", then "LOS!"
    RGBA colour;      ///< red, orange, yellow, green; fades out within each second
    float height;     ///< in window heights; grows to 1 within each second
};
CountdownLook countdownLook(float countdown);

/// Picture offsets (0 full, 32, 64, 96, 128 empty) of the left, centre and right heart for `life` (0 to 100).
struct HeartOffsets {
    int left, centre, right;
};
HeartOffsets heartOffsets(int life);

/// The time the strip shows for `player` (0 or 1) in the time modes: the match clock, stopped at the finish.
std::string shownTime(const GameState& game, int player);
/// The record the strip shows in the time modes; "" when the level's list is empty.
std::string shownRecord(const GameState& game);

/// The game screen's drawing: one view per player (stacked in the two-player
/// modes), the strip on the left with names, layouts, times or points, and the
/// countdown, winner and "GAME OVER" texts over the views. It reads the match
/// and only places the level's camera for each view.
class GameHud {
public:
    explicit GameHud(Engine* engine) : engine(engine) {}

    /// The whole frame.
    void render(const GameState& game);

private:
    void drawViews(const GameState& game);
    void drawStripBackground(const GameState& game);
    void drawHud(const GameState& game);
    void drawTimes(const GameState& game);
    void drawPoints(const GameState& game);
    void drawStory(const GameState& game);
    /// A bar filled to `life` (0 to 100) in the current projection, coloured by how much is left.
    void drawLifeBar(int life, float left, float top, float right, float bottom);
    /// Red over the current viewport, `strength` 1 just after a loss of life.
    void drawHurtFlash(float strength);
    void drawCountdown(const GameState& game);
    /// `text` pulsing in `colour` over the middle of the game views.
    void drawBanner(const GameState& game, const std::string& text, const RGBA& colour);
    void setWindowProjection();
    /// The name of player `player`'s layout in the strip: the pad's when the player has one.
    const char* layoutLabel(int player, ControlMode mode) const;

    Engine* engine;
    /// Loaded on the first story frame and kept from then on.
    Handle<Texture> heartTexture;
};
