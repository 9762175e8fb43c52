#pragma once

#include "engine/NonCopyable.h"
#include "world/ContactInfo.h"

#include <box2d/box2d.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class Object;

/// Receives every contact point after each world step.
class ContactListener {
public:
    virtual ~ContactListener() = default;
    /// A point of a contact that began touching in this step.
    virtual void Add(const ContactPoint* point) = 0;
    /// A point of a contact that was already touching before this step.
    virtual void Persist(const ContactPoint* point) = 0;
};

/// A convex polygon as level data describes it, before it becomes a fixture.
/// The defaults are those of a fresh Box2D fixture definition.
struct PolygonDef {
    std::vector<b2Vec2> vertices;
    float friction = 0.2f;
    float restitution = 0.0f;
    float density = 0.0f;
    bool isSensor = false;
    b2Filter filter; ///< category 1, mask 0xFFFF, group 0
};

/// The game's Box2D world. Contacts are reported after each step rather than
/// from inside it: every point of every touching contact, on every step for as
/// long as the shapes touch, and one point per step for a touching sensor.
class PhysicsWorld : NonCopyable {
public:
    /// Solver iterations the game uses for both velocity and position.
    static constexpr int kIterations = 32;

    /// A world with `gravity` in which bodies may sleep.
    explicit PhysicsWorld(const b2Vec2& gravity);
    ~PhysicsWorld();

    b2World* get() { return &world; }
    /// Not owned; null stops reporting.
    void setContactListener(ContactListener* listener) { contactListener = listener; }
    /// Advances by `dt` seconds, then reports the contacts of this step.
    void step(float dt, int iterations = kIterations);
    /// True while `step` runs, including the reporting; bodies must not be created or destroyed then.
    bool isStepping() const { return stepping; }

private:
    class BeginTracker;
    void reportContacts();

    b2World world;
    std::unique_ptr<BeginTracker> tracker;
    ContactListener* contactListener = nullptr;
    bool stepping = false;
};

namespace physics {

/// The level object owning `body` (null for the ground body and other ownerless bodies).
Object* owner(const b2Body* body);
Object* owner(const b2Joint* joint);
void setOwner(b2Body* body, Object* object);
void setOwner(b2Joint* joint, Object* object);

/// Gives `body` the mass of its shapes: dynamic when their densities add up to
/// some mass, static otherwise.
void setMassFromShapes(b2Body* body);
/// Gives `body` explicit mass data with the rotational inertia `inertia` about
/// the centre of mass `center` (local coordinates); a positive mass makes the
/// body dynamic, mass 0 static.
void setMassData(b2Body* body, float mass, const b2Vec2& center, float inertia);

/// Category and mask bits of the shapes of layer `layerIndex`: 1 << (index mod 32),
/// truncated to 16 bits, so indices 16 and above collide with nothing (the level
/// reports such layers when it loads).
uint16_t collisionBits(int layerIndex);
/// Sets category and mask of every shape of `body` to `bits`, keeping the group.
void setCollisionBits(b2Body* body, uint16_t bits);

/// "" when `vertices` make a polygon Box2D accepts without complaint (3 to 8
/// distinct points, convex, with an area), else what is wrong with them.
std::string checkPolygon(const std::vector<b2Vec2>& vertices);
/// Adds `def` to `body`; null (and nothing added) when `checkPolygon` rejects it.
b2Fixture* createPolygon(b2Body* body, const PolygonDef& def);

} // namespace physics
