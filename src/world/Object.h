#pragma once

#include "engine/Enums.h"
#include "engine/NonCopyable.h"
#include "engine/ParameterMap.h"
#include "engine/RGBA.h"
#include "engine/Vec2.h"
#include "world/ContactInfo.h"

#include <box2d/box2d.h>

#include <string>
#include <vector>

class Engine;
class Layer;
class Level;
class TiXmlElement;

/// Base of every level object. An object belongs to one layer, owns its Box2D
/// bodies and joints (each carries the object as its user data, so contacts
/// find it) and dies by clearing its active flag; the layer deletes it at its
/// next update.
///
/// A subclass constructor, after this one: reads its own attributes, creates its
/// bodies and joints (`createBody`/`createJoint`, then `physics::setMassFromShapes`
/// or `physics::setMassData`), loads its textures and sounds and hands them to
/// `level->keepResource`, and last calls `readPlacement(element)`.
class Object : NonCopyable {
public:
    /// Reads "id" (or takes the next "Object#" name no object of the level has). `element` may be one built in memory.
    Object(Layer* layer, const TiXmlElement* element, const ParameterMap* gameParams);
    /// Destroys the joints, then the bodies.
    virtual ~Object();

    /// Once per step while active (before the world steps).
    virtual void update() {}
    /// Draws the object with the layer's transform in place.
    virtual void render() {}
    /// After the object has entered its layer's map.
    virtual void onAdded() {}
    /// After the object has left its layer's map.
    virtual void onRemoved() {}
    /// Once per contact point of one of the object's bodies, after each world step.
    /// Record what happened; do not create or destroy bodies here.
    virtual void onContact(const ContactInfo& contact) { (void)contact; }

    /// Reads "position" and "angle" (degrees), sets the collision bits and places the bodies.
    void readPlacement(const TiXmlElement* element);

    /// A body on the level's world owned by this object, appended to the body list.
    /// It is static until `physics::setMassFromShapes` or `physics::setMassData` gives it mass.
    /// Null while the world steps.
    b2Body* createBody(const b2BodyDef& def);
    /// A joint on the level's world owned by this object, appended to the joint list.
    b2Joint* createJoint(const b2JointDef& def);
    /// Destroys every joint, then every body, and empties both lists.
    void destroyPhysics();

    /// Gives every shape of every body the collision bits of the current layer.
    void updateCollisionLayer();

    /// The first body's position, or the stored one without bodies.
    Vec2f getPosition() const;
    /// The first body's angle in radians, or the stored one.
    float getAngle() const;
    /// The first body's rotation applied to (1, 0); (1, 0) without bodies.
    Vec2f getDirection() const;
    /// Moves all bodies rigidly so the first lands at `p` with angle `a`; velocities stay.
    void setTransform(const Vec2f& p, float a);
    void setPosition(const Vec2f& p);
    void setAngle(float a);

    /// Leaves the current layer (without deletion) and joins `newLayer`. Call
    /// `updateCollisionLayer` afterwards to collide with the new layer's shapes.
    void moveToLayer(Layer* newLayer);

    /// "gameMode" of the match's parameters.
    GameMode getGameMode() const;

    const std::string& getId() const { return id; }
    bool isActive() const { return active; }
    void kill() { active = false; }
    b2Body* getBody(int i) const { return bodies.at(size_t(i)); }
    b2Joint* getJoint(int i) const { return joints.at(size_t(i)); }
    int getBodyCount() const { return int(bodies.size()); }
    int getJointCount() const { return int(joints.size()); }
    float getCullRadius() const { return cullRadius; }
    Layer* getLayer() const { return layer; }
    Level* getLevel() const { return level; }
    Engine* getEngine() const { return engine; }
    const ParameterMap* getGameParams() const { return gameParams; }

    /// Draws a `size` quad centred on body `bodyIndex` from the pixel rectangle
    /// `texPos`/`texSize` of the bound texture, mirrored in x when `flip`.
    void drawSprite(int bodyIndex, const Vec2i& texPos, const Vec2i& texSize, bool flip,
                    const RGBA& color, const Vec2f& size) const;

    /// The name the next object without "id" gets ("Object#" and a counter that never resets).
    static std::string nextGeneratedId();

protected:
    Layer* layer;
    Level* level;
    Engine* engine;
    std::string id;
    bool active = true;
    std::vector<b2Body*> bodies;
    std::vector<b2Joint*> joints;
    Vec2f position;
    float angle = 0.0f;
    float cullRadius = 0.0f;
    const ParameterMap* gameParams;
};
