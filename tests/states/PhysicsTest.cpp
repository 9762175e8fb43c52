#include "states/PhysicsState.h"

#include "engine/Transition.h"
#include "states/ScreenTestKit.h"

#include <box2d/box2d.h>
#include <gtest/gtest.h>

namespace {

class PhysicsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        settleEngine();
        physics = new PhysicsState(&engine);
        engine.registerState(physics);
        below = recorderFor("BelowPhysics");
        engine.pushState("BelowPhysics", ParameterMap());
        engine.pushState("Physics", ParameterMap());
    }

    void TearDown() override
    {
        for (SDLKey key : {SDLK_F6, SDLK_F7, SDLK_a, SDLK_d})
            pushKey(key, false);
        engine.tick();
        settleEngine();
    }

    // Ticks with `key` held.
    void hold(SDLKey key, int ticks)
    {
        pushKey(key, true);
        runTicks(engine, ticks);
        pushKey(key, false);
    }

    static bool isBox(const b2Body* body)
    {
        return body->GetFixtureList()->GetShape()->GetType() == b2Shape::e_polygon;
    }

    int occupiedSlots() const
    {
        int n = 0;
        for (int i = 0; i < PhysicsState::kSlotCount; ++i)
            n += physics->getBody(i) != nullptr;
        return n;
    }

    Engine& engine = testEngine();
    PhysicsState* physics = nullptr;
    RecordingState* below = nullptr;
};

TEST_F(PhysicsTest, EnteringBuildsTheBoxTheCarAndEightBodies)
{
    EXPECT_EQ(physics->getBodyCount(), 8);
    EXPECT_EQ(physics->getNextSlot(), 8);
    EXPECT_EQ(occupiedSlots(), 8);
    EXPECT_TRUE(isBox(physics->getBody(0)));
    for (int i = 1; i < 8; ++i)
        EXPECT_FALSE(isBox(physics->getBody(i))) << "slot " << i;
    // Ground, car, two wheels and the eight; two joints hold the wheels.
    EXPECT_EQ(physics->getWorld()->GetBodyCount(), 12);
    EXPECT_EQ(physics->getWorld()->GetJointCount(), 2);
    EXPECT_FLOAT_EQ(physics->getCarBody()->GetMass(), 1000.0f);
    EXPECT_NEAR(physics->getCarBody()->GetWorldCenter().y, 6.5f, 1e-4);

    // Everything settles inside the box: nothing falls through the floor or out at the sides.
    runTicks(engine, 300);
    for (int i = 0; i < 8; ++i) {
        b2Vec2 p = physics->getBody(i)->GetPosition();
        EXPECT_GT(p.x, 0.0f);
        EXPECT_LT(p.x, 32.0f);
        EXPECT_LT(p.y, 24.0f);
    }

    // A second visit starts over with a world of its own.
    hold(SDLK_F6, 10);
    engine.tick();
    engine.popState();
    engine.pushState("Physics", ParameterMap());
    EXPECT_EQ(physics->getBodyCount(), 8);
    EXPECT_EQ(physics->getWorld()->GetBodyCount(), 12);
}

TEST_F(PhysicsTest, F6RainsABodyEveryTickIntoARingOfFourHundred)
{
    hold(SDLK_F6, 60);
    EXPECT_EQ(physics->getBodyCount(), 68) << "one second of F6";
    engine.tick();
    EXPECT_EQ(physics->getBodyCount(), 68) << "released";

    pushKey(SDLK_F6, true);
    while (physics->getBodyCount() < PhysicsState::kSlotCount)
        engine.tick();
    EXPECT_EQ(physics->getNextSlot(), 0);
    for (int i = 0; i < PhysicsState::kSlotCount; ++i)
        EXPECT_EQ(isBox(physics->getBody(i)), i % 8 == 0) << "slot " << i;

    const b2Body* oldest = physics->getBody(0);
    b2Vec2 oldestPosition = oldest->GetPosition();
    engine.tick();
    pushKey(SDLK_F6, false);
    EXPECT_EQ(physics->getBodyCount(), PhysicsState::kSlotCount);
    EXPECT_EQ(physics->getNextSlot(), 1);
    EXPECT_EQ(physics->getWorld()->GetBodyCount(), 4 + PhysicsState::kSlotCount);
    // The new body took the oldest one's slot: it has just dropped in at the top centre.
    b2Vec2 newest = physics->getBody(0)->GetPosition();
    EXPECT_NEAR(newest.x, 16.0f, 0.5f);
    EXPECT_LT(newest.y, 2.0f);
    EXPECT_GT(oldestPosition.y, 10.0f) << "the oldest had long fallen";
    EXPECT_TRUE(isBox(physics->getBody(0)));
}

TEST_F(PhysicsTest, F7RemovesTheNewestFirstAndStopsAtZero)
{
    const b2Body* first = physics->getBody(0);
    hold(SDLK_F7, 3);
    EXPECT_EQ(physics->getBodyCount(), 5);
    EXPECT_EQ(physics->getBody(7), nullptr);
    EXPECT_EQ(physics->getBody(6), nullptr);
    EXPECT_EQ(physics->getBody(5), nullptr);
    EXPECT_NE(physics->getBody(4), nullptr);
    EXPECT_EQ(physics->getBody(0), first);
    EXPECT_EQ(physics->getWorld()->GetBodyCount(), 9);

    hold(SDLK_F7, 20);
    EXPECT_EQ(physics->getBodyCount(), 0);
    EXPECT_EQ(occupiedSlots(), 0);
    EXPECT_EQ(physics->getWorld()->GetBodyCount(), 4) << "the box and the car stay";

    // A new body after the ring has been emptied still lands in a free slot and counts.
    hold(SDLK_F6, 1);
    EXPECT_EQ(physics->getBodyCount(), 1);
    EXPECT_EQ(occupiedSlots(), 1);
}

TEST_F(PhysicsTest, AAndDDriveTheFrontWheelsMotor)
{
    b2RevoluteJoint* motor = physics->getMotorJoint();
    EXPECT_FLOAT_EQ(motor->GetMotorSpeed(), 0.0f);
    EXPECT_FLOAT_EQ(motor->GetMaxMotorTorque(), 5000.0f);

    pushKey(SDLK_a, true);
    runTicks(engine, 30);
    EXPECT_FLOAT_EQ(motor->GetMotorSpeed(), -25.0f);
    EXPECT_LT(motor->GetJointSpeed(), -5.0f) << "the wheel turns backwards";

    pushKey(SDLK_d, true);
    runTicks(engine, 30);
    EXPECT_FLOAT_EQ(motor->GetMotorSpeed(), 25.0f) << "D wins over A";
    EXPECT_GT(motor->GetJointSpeed(), 5.0f);

    pushKey(SDLK_a, false);
    engine.tick();
    EXPECT_FLOAT_EQ(motor->GetMotorSpeed(), 25.0f);
    pushKey(SDLK_d, false);
    engine.tick();
    EXPECT_FLOAT_EQ(motor->GetMotorSpeed(), 0.0f);
}

TEST_F(PhysicsTest, EscapeOrF5ReturnWithATransition)
{
    for (SDLKey key : {SDLK_ESCAPE, SDLK_F5}) {
        settleEngine();
        engine.pushState("BelowPhysics", ParameterMap());
        engine.pushState("Physics", ParameterMap());
        hold(SDLK_F6, 1);
        int bodies = physics->getBodyCount();
        pushKey(SDLK_F6, true);
        tap(key);
        pushKey(SDLK_F6, false);
        EXPECT_EQ(engine.getCurrentState(), below);
        ASSERT_NE(engine.getTransition(), nullptr);
        EXPECT_FLOAT_EQ(engine.getTransition()->getDuration(), 0.75f);
        EXPECT_EQ(physics->getBodyCount(), bodies) << "the leaving tick does nothing else";
    }
}

TEST_F(PhysicsTest, RendersTheCarOnTheSkyColour)
{
    runTicks(engine, 120);
    engine.renderCurrentState();
    Vec2i size = engine.getScreenSize();
    float unit = float(size.x) / 32.0f;
    Rgb sky = framePixel(size.x / 2, size.y / 3);
    EXPECT_NEAR(sky.r, 128, 2);
    EXPECT_NEAR(sky.g, 128, 2);
    EXPECT_EQ(sky.b, 255);

    b2Vec2 car = physics->getCarBody()->GetPosition();
    Rgb body = framePixel(int(car.x * unit), int(car.y * unit));
    EXPECT_EQ(body.r, 0);
    EXPECT_EQ(body.g, 255);
    EXPECT_EQ(body.b, 0);
}

} // namespace
