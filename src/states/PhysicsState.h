#pragma once

#include "engine/State.h"
#include "resources/Font.h"
#include "resources/Handle.h"

#include <memory>

class b2Body;
class b2RevoluteJoint;
class b2World;

/// The hidden physics playground behind F5: a closed box with a little motor
/// car and a pile of balls and crates. A and D drive the car, F6 rains new
/// bodies from the top, F7 takes the newest away again; the 400 newest survive.
class PhysicsState : public State {
public:
    static constexpr int kSlotCount = 400;

    explicit PhysicsState(Engine* engine);
    ~PhysicsState() override;

    /// Builds a fresh world with the box, the car and eight bodies (an earlier one is released).
    void enter(const ParameterMap& params) override;
    void leave() override;
    void activate() override;
    void deactivate() override;
    void update() override;
    void render() override;

    /// Drops a new body at (`x`, `y`) into the next ring slot, replacing the body there.
    void spawnBody(float x, float y);
    /// Takes away the body in the slot before the next one, if it holds one.
    void removeLastBody();

    int getBodyCount() const { return bodyCount; }
    int getNextSlot() const { return nextSlot; }
    /// The body in ring slot `slot`, or null.
    b2Body* getBody(int slot) const { return bodies[slot]; }
    b2Body* getCarBody() const { return carBody; }
    b2RevoluteJoint* getMotorJoint() const { return motorJoint; }
    b2World* getWorld() const { return world.get(); }

private:
    void createBox();
    void createCar();
    b2Body* createWheel(float x, float y);

    Handle<Font> font;
    std::unique_ptr<b2World> world;
    b2Body* bodies[kSlotCount] = {};
    int nextSlot = 0;
    int bodyCount = 0;
    b2Body* carBody = nullptr;
    b2Body* wheel1 = nullptr;
    b2Body* wheel2 = nullptr;
    b2RevoluteJoint* motorJoint = nullptr;
};
