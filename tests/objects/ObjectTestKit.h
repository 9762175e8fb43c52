#pragma once

#include "engine/Enums.h"
#include "engine/ParameterMap.h"
#include "support/GlFeedback.h"
#include "world/Layer.h"
#include "world/Level.h"
#include "world/Object.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

class PlayerObject;

// What a test level looks like: a tile map layer "ground" of `width` x `height`
// cells, solid dirt from row `groundRow` down (no ground when it is -1), with
// `objects` (XML) as its objects, and `extraLayers` (XML) after it.
struct LevelSpec {
    std::string objects;
    std::string gravity = "(0, 10)";
    int width = 80;
    int height = 20;
    int groundRow = 15;
    std::string extraLayers;
};

// The text of a tile map layer with id `id`: `width` x `height` cells, dirt from
// `groundRow` down (none for -1), physics on, holding `objects`.
std::string tileLayer(const std::string& id, int width, int height, int groundRow, const std::string& objects);

// Fixture of the game object tests: a real level loaded from a file in a
// scratch directory through the real Level, driven by real engine ticks and
// real key events. Keys pressed through `press` are let go again afterwards.
class ObjectTest : public ::testing::Test {
protected:
    ObjectTest();
    void TearDown() override;

    // Writes the level to a scratch file and loads it with game mode `mode`;
    // both players use `controlMode`.
    Level* load(const LevelSpec& course, GameMode mode, ControlMode controlMode = CM_FIVE_KEYS);
    // Loads `objects` into the usual level: gravity down, ground from row 15.
    Level* load(const std::string& objects, GameMode mode, ControlMode controlMode = CM_FIVE_KEYS);
    // Loads `objects` into a level without gravity and without ground.
    Level* loadAfloat(const std::string& objects, GameMode mode, ControlMode controlMode = CM_FIVE_KEYS);
    // Loads like `load` and returns what the level reported on stderr.
    std::string loadReporting(const std::string& objects, GameMode mode);
    // `n` times: one engine tick (key events, sounds, game time), then one level update.
    void step(int n = 1);
    // Key down (`down` true) or up, as an SDL event that the next tick reads.
    void press(SDLKey key, bool down = true);
    void release(SDLKey key) { press(key, false); }

    PlayerObject* player(int playerNo) const;
    template <typename T>
    T* find(const std::string& id) const
    {
        return dynamic_cast<T*>(level->findObject(id));
    }
    // Every object of class T in any layer.
    template <typename T>
    std::vector<T*> all() const
    {
        std::vector<T*> found;
        for (const Layer* layer : level->getLayers())
            for (const auto& entry : layer->getObjects())
                if (auto* object = dynamic_cast<T*>(entry.second))
                    found.push_back(object);
        return found;
    }

    ParameterMap params;
    std::unique_ptr<Level> level;

private:
    std::set<SDLKey> pressed;
};

// "<PlayerObject id=... position=... />" with optional extra attributes.
std::string playerXml(int playerNo, float x, float y, const std::string& extra = "");

// The polygons `object.render()` sends through the pipeline, drawn with the
// level's camera over the object into the full window.
std::vector<FeedbackPolygon> captureRender(Level& level, Object& object);
