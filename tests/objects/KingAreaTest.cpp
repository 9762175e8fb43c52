#include "ObjectTestKit.h"

#include "objects/KingAreaObject.h"
#include "objects/PlayerObject.h"
#include "world/Layer.h"

namespace {

const Vec2f kInside(20.0f, 8.0f);
const Vec2f kAlsoInside(20.0f, 5.0f); // above the first, without touching it
const Vec2f kOutside(50.0f, 8.0f);

} // namespace

class KingAreaTest : public ObjectTest {
protected:
    void loadHill()
    {
        loadAfloat(playerXml(0, kInside.x, kInside.y) + playerXml(1, kOutside.x, kOutside.y)
                       + "<KingAreaObject id=\"hill\" size=\"(6, 6)\" position=\"(20, 8)\"/>",
                   GM_KOH);
        hill = find<KingAreaObject>("hill");
        ASSERT_TRUE(hill && player(0) && player(1));
    }

    // Steps until player `p` has `points`; the number of steps taken (limit + 1 if never).
    int stepsUntil(PlayerObject* p, int points, int limit = 400)
    {
        for (int i = 1; i <= limit; ++i) {
            step();
            if (p->getPoints() >= points)
                return i;
        }
        return limit + 1;
    }

    KingAreaObject* hill = nullptr;
};

TEST_F(KingAreaTest, AlonePlayerWaitsASecondThenEarnsAPointASecondWhileTheAreaTurnsGreen)
{
    loadHill();
    PlayerObject* p = player(0);
    EXPECT_EQ(hill->getColour(), RGBA(1.0f, 0.0f, 0.0f, 0.5f));
    // The area sees the first contact one step late; then about 69 steps to get half way to yellow.
    step(61);
    EXPECT_NEAR(hill->getColour().r, 1.0f, 1e-5f) << "turning green before the player scored";
    step(9);
    EXPECT_NEAR(hill->getColour().g, 0.5f, 0.01f);
    step(20);
    EXPECT_EQ(p->getPoints(), 0);
    EXPECT_NEAR(p->getPointFraction(), 0.5f, 0.03f);
    // The rest is summing 1/60 s in floats.
    const int first = 90 + stepsUntil(p, 1);
    EXPECT_GE(first, 119);
    EXPECT_LE(first, 123);
    // Towards green while the player scores: red is about half way 69 steps after scoring began.
    step(130 - first);
    EXPECT_NEAR(hill->getColour().r, 0.5f, 0.01f);
    EXPECT_NEAR(hill->getColour().a, 0.5f, 1e-5f);
    EXPECT_NEAR(130 - first + stepsUntil(p, 2), 60, 1);
    EXPECT_EQ(player(1)->getPoints(), 0);
}

TEST_F(KingAreaTest, ContestedAreaPaysNobodyAndRestartsBothTimersAndALeaverIsForgotten)
{
    loadHill();
    PlayerObject* p1 = player(0);
    PlayerObject* p2 = player(1);
    step(90);
    p2->setPosition(kAlsoInside);
    // The area learns of the second player from this step's contacts.
    step();
    const float fraction = p1->getPointFraction();
    ASSERT_GT(fraction, 0.4f);
    const float redWhenContested = hill->getColour().r;
    ASSERT_LT(redWhenContested, 1.0f) << "no green while player 1 scored";
    step();
    const float dt = 1.0f / 60.0f;
    EXPECT_LE(hill->getHoldTime(p1), dt + 1e-6f);
    EXPECT_LE(hill->getHoldTime(p2), dt + 1e-6f);
    step(120);
    EXPECT_EQ(p1->getPoints(), 0);
    EXPECT_EQ(p2->getPoints(), 0);
    EXPECT_FLOAT_EQ(p1->getPointFraction(), fraction);
    // Back towards yellow while both are inside.
    EXPECT_GT(hill->getColour().r, redWhenContested);
    EXPECT_GT(hill->getColour().g, 0.8f);

    // Alone again once player 2 left the level, player 1 waits a full second before earning again.
    p2->getLayer()->removeAndDeleteObject(p2);
    step(58);
    EXPECT_EQ(hill->getHoldTime(p2), 0.0f);
    EXPECT_FLOAT_EQ(p1->getPointFraction(), fraction);
    EXPECT_EQ(p1->getPoints(), 0);
}
