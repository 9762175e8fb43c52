#include "states/PhysicsState.h"

#include "states/ScreenTestKit.h"

#include <box2d/box2d.h>
#include <gtest/gtest.h>

namespace {

class PhysicsTest : public ScreenOverRecorder<PhysicsState> {
protected:
    PhysicsTest() { released = {SDLK_F6, SDLK_F7, SDLK_a, SDLK_d}; }

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
};

TEST_F(PhysicsTest, EightBodiesSettleInTheBoxUnderTheCarOnTheSkyAndEscapeOrF5LeaveForANewStart)
{
    EXPECT_EQ(screen->getBodyCount(), 8); // a box and seven balls: the F6 test checks every slot's shape
    runTicks(engine, 300);
    for (int i = 0; i < 8; ++i) {
        b2Vec2 p = screen->getBody(i)->GetPosition();
        EXPECT_GT(p.x, 0.0f);
        EXPECT_LT(p.x, 32.0f);
        EXPECT_LT(p.y, 24.0f) << "slot " << i << " fell through the floor";
    }
    EXPECT_NEAR(screen->getCarBody()->GetAngle(), 0.0f, 0.1f) << "the car stands level on its wheels";
    const Frame frame = rendered();
    EXPECT_GT(frame.count(0, 4, 500, 10, Rgb{255, 255, 0}, 60), 50) << "the welcome's first line at the top";
    EXPECT_EQ(frame.count(512, 256, 513, 257, Rgb{128, 128, 255}, 2), 1) << "the sky";
    b2Vec2 car = screen->getCarBody()->GetPosition();
    EXPECT_EQ(frame.count(int(car.x * 32), int(car.y * 32), int(car.x * 32) + 1, int(car.y * 32) + 1, Rgb{0, 255, 0}, 0), 1);

    // The tick that leaves does nothing else, and the next visit starts over.
    for (SDLKey key : {SDLK_ESCAPE, SDLK_F5}) {
        hold(SDLK_F6, 10);
        int bodies = screen->getBodyCount();
        pushKey(SDLK_F6, true);
        tap(key);
        pushKey(SDLK_F6, false);
        EXPECT_EQ(engine.getCurrentState(), below);
        EXPECT_NE(engine.getTransition(), nullptr);
        EXPECT_EQ(screen->getBodyCount(), bodies);
        engine.pushState("Physics", ParameterMap());
        EXPECT_EQ(screen->getBodyCount(), 8);
        EXPECT_EQ(screen->getWorld()->GetBodyCount(), 12) << "the box, the car, its two wheels and the eight";
    }
}

TEST_F(PhysicsTest, F6RainsABodyEveryTickIntoARingAndF7RemovesTheNewestFirst)
{
    hold(SDLK_F6, 60);
    EXPECT_EQ(screen->getBodyCount(), 68) << "one second of F6";
    engine.tick();
    EXPECT_EQ(screen->getBodyCount(), 68) << "released";

    pushKey(SDLK_F6, true);
    while (screen->getBodyCount() < 400) // the ring of 400 the counter on screen shows
        engine.tick();
    ASSERT_EQ(screen->getNextSlot(), 0);
    for (int i = 0; i < PhysicsState::kSlotCount; ++i)
        EXPECT_EQ(isBox(screen->getBody(i)), i % 8 == 0) << "slot " << i;
    b2Vec2 oldestPosition = screen->getBody(0)->GetPosition();
    engine.tick();
    pushKey(SDLK_F6, false);
    EXPECT_EQ(screen->getBodyCount(), PhysicsState::kSlotCount);
    EXPECT_EQ(screen->getWorld()->GetBodyCount(), 4 + PhysicsState::kSlotCount);
    // The new body took the oldest one's slot: it has just dropped in at the top centre.
    b2Vec2 newest = screen->getBody(0)->GetPosition();
    EXPECT_NEAR(newest.x, 16.0f, 0.5f);
    EXPECT_LT(newest.y, 2.0f);
    EXPECT_GT(oldestPosition.y, 10.0f) << "the oldest had long fallen";

    // F7 takes the newest first: slot 0, then the ring's end.
    hold(SDLK_F7, 3);
    EXPECT_EQ(screen->getBodyCount(), PhysicsState::kSlotCount - 3);
    EXPECT_EQ(screen->getBody(0), nullptr);
    EXPECT_EQ(screen->getBody(PhysicsState::kSlotCount - 2), nullptr);
    EXPECT_NE(screen->getBody(PhysicsState::kSlotCount - 3), nullptr);
    hold(SDLK_F7, PhysicsState::kSlotCount);
    EXPECT_EQ(screen->getBodyCount(), 0);
    EXPECT_EQ(screen->getWorld()->GetBodyCount(), 4) << "the box and the car stay";
    hold(SDLK_F6, 1);
    EXPECT_EQ(screen->getWorld()->GetBodyCount(), 5) << "an emptied ring still takes new bodies";
}

TEST_F(PhysicsTest, AAndDDriveTheFrontWheelsMotor)
{
    b2RevoluteJoint* motor = screen->getMotorJoint();
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
