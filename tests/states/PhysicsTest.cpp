#include "states/PhysicsState.h"

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

TEST_F(PhysicsTest, EightBodiesSettleInTheBoxUnderTheCarOnTheSkyAndEscapeOrF5LeaveForANewStart)
{
    EXPECT_EQ(physics->getBodyCount(), 8);
    EXPECT_EQ(occupiedSlots(), 8);
    EXPECT_TRUE(isBox(physics->getBody(0)));
    EXPECT_FALSE(isBox(physics->getBody(1)));
    runTicks(engine, 300);
    for (int i = 0; i < 8; ++i) {
        b2Vec2 p = physics->getBody(i)->GetPosition();
        EXPECT_GT(p.x, 0.0f);
        EXPECT_LT(p.x, 32.0f);
        EXPECT_LT(p.y, 24.0f) << "slot " << i << " fell through the floor";
    }
    engine.renderCurrentState();
    Frame frame;
    EXPECT_EQ(frame.count(512, 256, 513, 257, Rgb{128, 128, 255}, 2), 1) << "the sky";
    b2Vec2 car = physics->getCarBody()->GetPosition();
    EXPECT_EQ(frame.count(int(car.x * 32), int(car.y * 32), int(car.x * 32) + 1, int(car.y * 32) + 1, Rgb{0, 255, 0}, 0), 1);

    // The tick that leaves does nothing else, and the next visit starts over.
    for (SDLKey key : {SDLK_ESCAPE, SDLK_F5}) {
        hold(SDLK_F6, 10);
        int bodies = physics->getBodyCount();
        pushKey(SDLK_F6, true);
        tap(key);
        pushKey(SDLK_F6, false);
        EXPECT_EQ(engine.getCurrentState(), below);
        EXPECT_NE(engine.getTransition(), nullptr);
        EXPECT_EQ(physics->getBodyCount(), bodies);
        engine.pushState("Physics", ParameterMap());
        EXPECT_EQ(physics->getBodyCount(), 8);
        EXPECT_EQ(physics->getWorld()->GetBodyCount(), 12) << "the box, the car, its two wheels and the eight";
    }
}

TEST_F(PhysicsTest, F6RainsABodyEveryTickIntoARingAndF7RemovesTheNewestFirst)
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
    b2Vec2 oldestPosition = physics->getBody(0)->GetPosition();
    engine.tick();
    pushKey(SDLK_F6, false);
    EXPECT_EQ(physics->getBodyCount(), PhysicsState::kSlotCount);
    EXPECT_EQ(physics->getWorld()->GetBodyCount(), 4 + PhysicsState::kSlotCount);
    // The new body took the oldest one's slot: it has just dropped in at the top centre.
    b2Vec2 newest = physics->getBody(0)->GetPosition();
    EXPECT_NEAR(newest.x, 16.0f, 0.5f);
    EXPECT_LT(newest.y, 2.0f);
    EXPECT_GT(oldestPosition.y, 10.0f) << "the oldest had long fallen";

    // F7 takes the newest first: slot 0, then the ring's end.
    hold(SDLK_F7, 3);
    EXPECT_EQ(physics->getBodyCount(), PhysicsState::kSlotCount - 3);
    EXPECT_EQ(physics->getBody(0), nullptr);
    EXPECT_EQ(physics->getBody(PhysicsState::kSlotCount - 2), nullptr);
    EXPECT_NE(physics->getBody(PhysicsState::kSlotCount - 3), nullptr);
    hold(SDLK_F7, PhysicsState::kSlotCount);
    EXPECT_EQ(physics->getBodyCount(), 0);
    EXPECT_EQ(occupiedSlots(), 0);
    EXPECT_EQ(physics->getWorld()->GetBodyCount(), 4) << "the box and the car stay";
    hold(SDLK_F6, 1);
    EXPECT_EQ(occupiedSlots(), 1) << "an emptied ring still takes new bodies";
}

TEST_F(PhysicsTest, AAndDDriveTheFrontWheelsMotor)
{
    b2RevoluteJoint* motor = physics->getMotorJoint();
    pushKey(SDLK_a, true);
    runTicks(engine, 30);
    EXPECT_LT(motor->GetJointSpeed(), -5.0f) << "the wheel turns backwards";
    pushKey(SDLK_d, true);
    runTicks(engine, 30);
    EXPECT_GT(motor->GetJointSpeed(), 5.0f) << "D wins over A";
    pushKey(SDLK_a, false);
    engine.tick();
    EXPECT_GT(motor->GetMotorSpeed(), 0.0f);
    pushKey(SDLK_d, false);
    engine.tick();
    EXPECT_FLOAT_EQ(motor->GetMotorSpeed(), 0.0f);
}

} // namespace
