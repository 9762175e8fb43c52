#pragma once

#include "engine/NonCopyable.h"
#include "engine/ParameterMap.h"
#include "engine/RGBA.h"
#include "engine/Vec2.h"
#include "resources/Handle.h"
#include "resources/Resource.h"
#include "world/Physics.h"
#include "world/ScreenCoverage.h"

#include <list>
#include <string>
#include <vector>

class Engine;
class Layer;
class Object;
class PlayerObject;
class TiXmlElement;

/// One loaded level: size, background colour, music, layers back to front, the
/// physics world and the camera. The level routes every contact point to the
/// objects owning the two bodies.
class Level : NonCopyable, public ContactListener {
public:
    /// Loads from a "Level" element. `gameParams` (not owned, outlives the level) go to
    /// every layer and object; `sourceName` names the file in messages about bad parts.
    Level(Engine* engine, const TiXmlElement* element, const ParameterMap* gameParams,
          const std::string& sourceName = "level");
    /// Reads `filename` (a data file name such as "levels/hill.xml"); null, with a
    /// message, when the file cannot be read or has no "Level" element.
    static Level* load(Engine* engine, const std::string& filename, const ParameterMap* gameParams);
    /// Deletes the layers (and their objects), then the world, then drops the resources.
    ~Level() override;

    /// Once per step: every layer, then one world step with contact reporting; then
    /// the objects added to or removed from layers meanwhile join or leave them.
    void update();
    /// True while `update` runs, until those objects join or leave.
    bool isUpdating() const { return updating; }
    /// Draws the level from the camera into the current viewport; the projection matrix stays selected.
    void render(Object* drawLast);
    /// While `render` draws a layer: what the layers in front of it will draw opaque in
    /// the view, which the layer need not draw; null when nothing (or outside `render`).
    const ScreenCoverage* getCoverageInFront();
    /// Keeps zoom and camera position inside the level.
    void clampCamera();
    void setZoom(float z);

    /// The world point at the centre of the view; callers set it before `clampCamera`/`render`.
    Vec2f cameraPosition;
    /// Half the visible height at depth 0, in world units.
    float zoom = 8.0f;

    /// The first object called `id`, searching the layers in order; null if none.
    Object* findObject(const std::string& id) const;
    /// The first layer called `id`, or null.
    Layer* findLayer(const std::string& id) const;
    /// Player `playerNo` (0: "player1", 1: "player2") if it is a Player; null otherwise.
    template <typename Player = PlayerObject>
    Player* getPlayer(int playerNo) const
    {
        return dynamic_cast<Player*>(findPlayerObject(playerNo));
    }
    /// The object with player `playerNo`'s id, whatever its class.
    Object* findPlayerObject(int playerNo) const;

    /// Appends `layer` (ownership passes) and lets it build its collision shapes.
    void addLayer(Layer* layer);
    /// Holds a reference to `resource` for as long as the level exists.
    template <typename T>
    void keepResource(const Handle<T>& resource)
    {
        resources.push_back(Handle<Resource>(resource.get()));
    }

    /// Writes "zorbel: <level file>: <element>: <what>" to stderr.
    void report(const std::string& element, const std::string& what) const;

    b2World* getWorld() { return physics.get(); }
    PhysicsWorld& getPhysics() { return physics; }
    /// The static body that carries the tile maps' shapes; it has no owner.
    b2Body* getGroundBody() const { return groundBody; }
    Vec2i getSize() const { return size; }
    const std::string& getMusicFilename() const { return musicFilename; }
    const RGBA& getBackgroundColor() const { return backgroundColor; }
    bool hasBackground() const { return hasBackgroundColor; }
    Vec2f getGravity() const { return gravity; }
    Engine* getEngine() const { return engine; }
    const ParameterMap* getGameParams() const { return gameParams; }
    const std::list<Layer*>& getLayers() const { return layers; }
    const std::string& getSourceName() const { return sourceName; }

    void Add(const ContactPoint* point) override;
    void Persist(const ContactPoint* point) override;

private:
    void loadLayers(const TiXmlElement* layersElement);

    Engine* engine;
    const ParameterMap* gameParams;
    std::string sourceName;
    Vec2i size;
    std::string musicFilename;
    RGBA backgroundColor{0.0f, 0.0f, 0.0f, 1.0f};
    bool hasBackgroundColor = false;
    std::list<Layer*> layers;
    std::list<Handle<Resource>> resources;
    Vec2f gravity;
    PhysicsWorld physics;
    b2Body* groundBody = nullptr;
    bool updating = false;
    /// The layers' opaque rectangles of the frame being drawn, back to front.
    std::vector<WindowRect> opaqueRects;
    /// Per layer: where the rectangles of the layers in front of it begin in `opaqueRects`.
    std::vector<size_t> rectsInFront;
    /// The index in `opaqueRects` that the layer being drawn needs, and the one `coverage` was built from.
    static constexpr size_t kNone = size_t(-1);
    size_t coverageWanted = kNone;
    size_t coverageBuilt = kNone;
    ScreenCoverage coverage;
};
