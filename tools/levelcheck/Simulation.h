#pragma once

#include "engine/Enums.h"
#include "engine/ParameterMap.h"
#include "engine/Vec2.h"

#include <SDL.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

class Engine;
class Level;
class Layer;
class Object;
class PlayerObject;

/// The game settings the main menu hands to the game screen, for `mode`.
ParameterMap gameParameters(GameMode mode, const std::string& levelFilename);

/// "GM_STORY" ... "GM_KOH"; "" for anything else.
std::string modeName(GameMode mode);
/// The modes whose names appear in `text` (a level's "supportedGameModes"), in enum order.
std::vector<GameMode> modesIn(const std::string& text);

/// Collects what the engine writes to stderr while it exists (for instance the
/// messages of a level that loads with faults), one entry per line.
class StderrCapture {
public:
    StderrCapture();
    ~StderrCapture();
    StderrCapture(const StderrCapture&) = delete;
    StderrCapture& operator=(const StderrCapture&) = delete;
    /// Stops capturing and returns the lines written since construction.
    std::vector<std::string> finish();

private:
    int savedFd = -1;
    std::FILE* file = nullptr;
    bool finished = false;
};

/// A level loaded the way the game screen loads it, stepped the way the game
/// screen steps it.
struct LoadedLevel {
    std::unique_ptr<ParameterMap> params;
    std::unique_ptr<Level> level;
    std::vector<std::string> messages; ///< what the engine reported while loading
};
LoadedLevel loadLevel(Engine& engine, const std::string& levelFilename, GameMode mode);

/// One game step: engine events (key state), then the level.
void step(Engine& engine, Level& level);
/// Holds or lets go of `key` through a real key event, as the keyboard would.
void setKey(SDLKey key, bool down);

/// The top of the solid ground in `layer` below world point `from` (searching
/// down to the bottom of the level); false when there is none.
bool groundBelow(Level& level, const Layer* layer, const Vec2f& from, float& groundY);

/// Whether both wheels of `player` touch solid, static shapes.
bool wheelsOnGround(PlayerObject& player);

/// What happened when player 1 held accelerate from the end of the countdown.
struct DriveResult {
    bool finished = false;
    float time = 0.0f;       ///< match clock at the finish (or when it gave up)
    Vec2f lastPosition;      ///< where player 1 was at the end
    std::vector<Vec2f> track; ///< player 1's position once a second
    std::vector<std::string> trackLayers; ///< and the layer it was in
};
/// Runs the time trial (GM_TIME_1P) of `levelFilename` with player 1 holding `keys`
/// (accelerate alone unless told otherwise) from the end of the countdown, until
/// the finish or `limit` seconds.
/// With `balance`, the driver also leans against the vehicle's tilt (forward when
/// the nose points up, back when it points down), as a player does on steep ground.
DriveResult driveToFinish(Engine& engine, const std::string& levelFilename, float limit,
                          const std::vector<SDLKey>& keys = {SDLK_UP}, bool balance = false);
