#pragma once

#include "engine/ParameterMap.h"
#include "engine/Vec2.h"
#include "states/GhostRun.h"

#include <memory>
#include <string>

class Engine;
class GhostObject;
class Level;

/// A level's record run played back on its own, as the highscore screen shows it:
/// the level without its riders, the ghost driving step by step as recorded, and
/// the camera following it. At the end it waits two seconds and starts again.
class GhostViewer {
public:
    /// Loads "levels/`levelFilename`" and puts `run` into it; `level` stays null when the level cannot be loaded.
    GhostViewer(Engine* engine, const std::string& levelFilename, const GhostRun& run);
    ~GhostViewer();

    /// One step of the run.
    void update();
    /// The level from the camera over the current viewport.
    void render();

    bool isReady() const { return level != nullptr; }
    /// The step of the run being shown.
    size_t getStep() const { return step; }
    const GhostRun& getRun() const { return run; }
    const GhostObject* getGhostObject() const { return ghost; }
    Vec2f getCameraCentre() const { return centre; }

private:
    void place();

    Engine* engine;
    ParameterMap params;
    GhostRun run;
    std::unique_ptr<Level> level;
    GhostObject* ghost = nullptr;
    size_t step = 0;
    Vec2f centre;
    float zoom = 9.5f;
};
