#pragma once

#include <box2d/box2d.h>

class Object;

/// One point where two shapes touch during a world step, as the level reports it.
/// Box2D calls its shapes fixtures; shape1 and shape2 are the two fixtures.
struct ContactPoint {
    b2Fixture* shape1 = nullptr;
    b2Fixture* shape2 = nullptr;
    b2Vec2 position{0.0f, 0.0f};   ///< world point
    b2Vec2 velocity{0.0f, 0.0f};   ///< velocity of shape2's body relative to shape1's at the point
    b2Vec2 normal{0.0f, 0.0f};     ///< unit vector from shape1 towards shape2
    float separation = 0.0f;       ///< negative when the shapes overlap
    float friction = 0.0f;         ///< mixed friction of the two shapes
    float restitution = 0.0f;      ///< mixed restitution of the two shapes
};

/// What `Object::onContact` receives: the contact seen from the receiving object.
struct ContactInfo {
    Object* other = nullptr;          ///< owner of the other body; null for tiles and other ownerless bodies
    b2Body* body = nullptr;           ///< the receiving object's body
    b2Body* otherBody = nullptr;
    b2Fixture* shape = nullptr;       ///< the receiving object's shape
    b2Fixture* otherShape = nullptr;
    b2Vec2 normal{0.0f, 0.0f};        ///< from the receiving shape towards the other shape
    const ContactPoint* point = nullptr;
};
