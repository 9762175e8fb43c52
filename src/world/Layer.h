#pragma once

#include "engine/NonCopyable.h"
#include "engine/ParameterMap.h"
#include "engine/RGBA.h"
#include "world/ScreenCoverage.h"

#include <box2d/box2d.h>

#include <list>
#include <map>
#include <string>
#include <utility>
#include <vector>

class Engine;
class Level;
class Object;
class TiXmlElement;

/// Base of the level's layers: the common attributes, depth transform and
/// blending, and the layer's objects. Objects added or removed while the layer or
/// the level updates are queued and applied when that update ends.
class Layer : NonCopyable {
public:
    /// Reads "id", "z", "color", "blendMode" and "visible", then creates the
    /// objects under "Objects" (unknown element names are reported and skipped).
    Layer(Level* level, int index, const TiXmlElement* element, const ParameterMap* gameParams);
    /// Deletes every object.
    virtual ~Layer();

    /// Once per step: the layer's objects and whatever else the layer animates.
    virtual void update() = 0;
    /// Draws the layer and its objects; `drawLast` (if it is in this layer) goes on top.
    virtual void render(Object* drawLast) = 0;
    /// Puts the layer's collision shapes (if any) on the world's ground body.
    virtual void initPhysics(b2Body* groundBody) = 0;
    /// Adds the window rectangles this layer will draw opaque, under the level's camera
    /// (the layer's own depth transform not yet applied); farther layers may leave them out.
    virtual void addOpaqueRects(std::vector<WindowRect>&) const {}

    /// Stores `object` under its id (deferred while updating) and calls its `onAdded`.
    /// An object already stored under that id is deleted and reported.
    void addObject(Object* object);
    /// Takes `object` out of the map (deferred while updating), calls its `onRemoved`
    /// and deletes it if `deleteIt`.
    void removeObject(Object* object, bool deleteIt);
    void removeAndDeleteObject(Object* object);
    /// Applies the queued adds, then the queued removes.
    void applyPendingChanges();
    /// The object stored under `id`, or null.
    Object* findObject(const std::string& id) const;
    /// The stored objects by id.
    const std::map<std::string, Object*>& getObjects() const { return objects; }

    bool isVisible() const { return visible; }
    void setVisible(bool v) { visible = v; }
    float getZ() const { return z; }
    int getIndex() const { return index; }
    const std::string& getId() const { return id; }
    const RGBA& getColor() const { return color; }
    int getBlendMode() const { return blendMode; }
    Level* getLevel() const { return level; }
    Engine* getEngine() const { return engine; }
    /// False when the layer's own data (its image or tile set) could not be loaded;
    /// the level then drops the layer.
    bool isUsable() const { return usable; }

    /// The name the next layer without "id" gets ("Layer#" and a counter that never resets).
    static std::string nextGeneratedId();

protected:
    /// Updates every active object and deletes the inactive ones; then applies the queues.
    void updateObjects();
    /// Draws the objects whose culling circle reaches into the viewport, `drawLast` last.
    void renderObjects(Object* drawLast);
    /// Sets blending and alpha test for the layer's blend mode.
    void applyBlendMode() const;
    /// Multiplies the model-view matrix by the layer's parallax scaling about the level centre.
    void applyDepthTransform() const;

    Level* level;
    Engine* engine;
    std::string id;
    int index;
    float z = 1.0f;
    RGBA color{1.0f, 1.0f, 1.0f, 1.0f};
    int blendMode = 1;
    bool visible = true;
    bool usable = true;

private:
    void storeObject(Object* object);
    void takeOutObject(Object* object, bool deleteIt);

    std::map<std::string, Object*> objects;
    bool updating = false;
    std::list<Object*> pendingAdd;
    std::list<std::pair<Object*, bool>> pendingRemove;
};
