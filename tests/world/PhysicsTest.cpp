#include "world/Physics.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

b2Body* boxBody(b2World& world, float density, const b2Vec2& position = b2Vec2(0, 0))
{
    b2BodyDef def;
    def.position = position;
    b2Body* body = world.CreateBody(&def);
    b2PolygonShape shape;
    shape.SetAsBox(1.0f, 0.5f);
    b2FixtureDef fixture;
    fixture.shape = &shape;
    fixture.density = density;
    body->CreateFixture(&fixture);
    return body;
}

} // namespace

TEST(Physics, ExplicitMassDataTurnsAboutTheGivenCentreWithTheGivenInertia)
{
    PhysicsWorld physicsWorld(b2Vec2(0, 0));
    b2Body* chassis = boxBody(*physicsWorld.get(), 0.0f);
    physics::setMassData(chassis, 1.0f, b2Vec2(0.25f, 1.25f), 1.0f);
    // A torque of 6 for one step of 1/60 s gives 0.1 rad/s with inertia 1 about the centre.
    chassis->ApplyTorque(6.0f, true);
    physicsWorld.step(1.0f / 60.0f);
    EXPECT_NEAR(chassis->GetAngularVelocity(), 0.1f, 1e-5f);
    // The body turns about its centre of mass, which therefore stays put.
    b2Vec2 centre = chassis->GetWorldCenter();
    for (int i = 0; i < 30; ++i)
        physicsWorld.step(1.0f / 60.0f);
    EXPECT_NEAR(chassis->GetWorldCenter().x, centre.x, 1e-4f);
    EXPECT_NEAR(chassis->GetWorldCenter().y, centre.y, 1e-4f);
}

TEST(Physics, MovingTheCentreOfMassOfASpinningBodyKeepsItsVelocity)
{
    // The rider leans by moving the chassis' centre of mass every step; in the
    // air that must not kick the flight path, however fast the vehicle spins.
    PhysicsWorld physicsWorld(b2Vec2(0, 0));
    b2Body* chassis = boxBody(*physicsWorld.get(), 0.0f);
    physics::setMassData(chassis, 1.0f, b2Vec2(0, 1.25f), 1.0f);
    b2Body* crate = boxBody(*physicsWorld.get(), 3.0f, b2Vec2(10, 0));
    physics::setMassFromShapes(crate);
    for (b2Body* body : {chassis, crate}) {
        body->SetLinearVelocity(b2Vec2(4.0f, -2.0f));
        body->SetAngularVelocity(3.0f);
    }
    physics::setMassData(chassis, 1.0f, b2Vec2(2.0f, 1.25f), 1.0f);
    b2PolygonShape lump;
    lump.SetAsBox(0.5f, 0.5f, b2Vec2(3.0f, 0), 0.0f);
    crate->CreateFixture(&lump, 0.0f)->SetDensity(3.0f);
    physics::setMassFromShapes(crate);
    for (b2Body* body : {chassis, crate}) {
        EXPECT_EQ(body->GetLinearVelocity(), b2Vec2(4.0f, -2.0f));
        EXPECT_EQ(body->GetAngularVelocity(), 3.0f);
    }
}

TEST(Physics, SettingMassDataAgainKeepsTheContacts)
{
    PhysicsWorld physicsWorld(b2Vec2(0, 10));
    boxBody(*physicsWorld.get(), 0.0f, b2Vec2(0, 2));
    b2Body* body = boxBody(*physicsWorld.get(), 0.0f, b2Vec2(0, 0.95f));
    physics::setMassData(body, 1.0f, b2Vec2(0, 0), 1.0f);
    for (int i = 0; i < 30; ++i)
        physicsWorld.step(1.0f / 60.0f);
    ASSERT_NE(physicsWorld.get()->GetContactList(), nullptr);
    ASSERT_TRUE(physicsWorld.get()->GetContactList()->IsTouching());
    b2Contact* contact = physicsWorld.get()->GetContactList();
    physics::setMassData(body, 1.0f, b2Vec2(0.1f, 0), 1.0f);
    EXPECT_EQ(physicsWorld.get()->GetContactList(), contact);
    EXPECT_TRUE(contact->IsTouching());
}

TEST(Physics, PolygonCheckKeepsBadDataAwayFromBox2D)
{
    using V = std::vector<b2Vec2>;
    V octagon;
    for (int i = 0; i < 8; ++i)
        octagon.emplace_back(std::cos(i * 0.785398f), std::sin(i * 0.785398f));
    V nine = octagon;
    nine.emplace_back(1.0f, 0.1f);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const std::pair<V, bool> cases[] = {
        {V{{0, 0}, {1, 0}, {1, 1}}, true},
        {V{{0, 0}, {1, 1}, {1, 0}}, true},             // either winding
        {V{{0, 0}, {0.5f, 0}, {1, 0}, {1, 1}}, true},  // a point on an edge
        {V{{0, 0}, {2, 0}, {2, 2}, {0, 2}, {0, 1}}, true}, // the middle of the left edge listed last
        {octagon, true},
        {nine, false},
        {V{{0, 0}, {1, 0}}, false},
        {V{{0, 0}, {1, 1}, {2, 2}}, false},            // on one line
        {V{{0, 0}, {0, 0}, {1, 0}}, false},            // two points coincide
        {V{{0, 0}, {2, 0}, {1, 0.2f}, {2, 2}, {0, 2}}, false}, // not convex
        {V{{0, 0}, {1, nan}, {1, 1}}, false},
    };
    PhysicsWorld physicsWorld(b2Vec2(0, 0));
    b2BodyDef def;
    for (const auto& [vertices, good] : cases) {
        SCOPED_TRACE(testing::Message() << vertices.size() << " vertices from " << vertices[1].x << ", " << vertices[1].y);
        EXPECT_EQ(physics::checkPolygon(vertices).empty(), good);
        b2Body* ground = physicsWorld.get()->CreateBody(&def);
        PolygonDef polygon;
        polygon.vertices = vertices;
        polygon.friction = 0.7f;
        b2Fixture* fixture = physics::createPolygon(ground, polygon);
        EXPECT_EQ(fixture != nullptr, good);
        EXPECT_EQ(ground->GetFixtureList(), fixture);
        if (fixture) {
            EXPECT_FLOAT_EQ(fixture->GetFriction(), 0.7f);
        }
    }
}
