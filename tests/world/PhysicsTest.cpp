#include "world/Physics.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

// How the vehicle's mass follows the rider's lean (the centre moves every step,
// keeping the motion and the contacts) is held by the replays: any slip there
// changes every recorded run.

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
