#pragma once

#include "support/GlFeedback.h"
#include "support/TestEngine.h"

#include "engine/ParameterMap.h"
#include "world/ContactInfo.h"
#include "world/Level.h"
#include "world/Object.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

// Helpers of the world tests: scratch data files, levels made from XML text,
// and an object class that records what happens to it.

// A level from the "Level" element in `xml`, named "test.xml" in messages.
std::unique_ptr<Level> makeLevel(const std::string& xml, const ParameterMap* params = nullptr);

// "ProbeObject" element attributes: "box" (half-extents; no body without it),
// "density" (0: static), "sensor" (1: the box is a sensor), "cullRadius",
// "killOnContact" (1: dies in its first contact handler), "allowSleep" (1: the body may sleep).
class ProbeObject : public Object {
public:
    ProbeObject(Layer* layer, const TiXmlElement* element, const ParameterMap* params);
    ~ProbeObject() override;

    void update() override;
    void render() override;
    void onContact(const ContactInfo& contact) override;

    struct Contact {
        Object* other;
        b2Body* body;
        b2Body* otherBody;
        b2Fixture* shape;
        b2Fixture* otherShape;
        b2Vec2 normal;
    };
    std::vector<Contact> contacts;
    int updates = 0;
    int renders = 0;
    bool killOnContact = false;
    // Runs at the end of each update when set.
    std::function<void(ProbeObject&)> onUpdate;
    // Body created from inside a contact handler (expected to stay null).
    b2Body* bodyFromHandler = nullptr;
    bool tryBodyInHandler = false;
    // Set to true by the destructor.
    bool* deletedFlag = nullptr;
    // Appended to by render(), so tests can see the drawing order.
    std::vector<std::string>* renderLog = nullptr;
};

// The ProbeObject `id` of `level` (a failure when there is none).
ProbeObject* probe(Level& level, const std::string& id);
// `n` level updates.
void updates(Level& level, int n);

// Files ProbeObject with the factory (idempotent).
void registerProbeTypes();

// A tile set "tilesets/test.xml" in the scratch directory over the real ground
// image: 1 unit box, 2 triangle (0,0),(1,0),(1,1), 3 invisible unit box,
// 4 two shapes (unit box and a triangle), 5 unit square given as a polygon.
void writeTestTileSet();

// The ground body's fixtures, in creation order.
std::vector<b2Fixture*> groundFixtures(Level& level);
// Bounds of a polygon fixture's vertices, as (min, max).
std::pair<b2Vec2, b2Vec2> polygonBounds(const b2Fixture* fixture);
