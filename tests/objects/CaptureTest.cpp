#include "ObjectTestKit.h"

#include "objects/PlayerObject.h"
#include "objects/ZorbellnutObject.h"
#include "world/Layer.h"

namespace {

const Vec2f kSpawn(10.0f, 9.5f);
const Vec2f kHome1(50.0f, 5.0f); // player 1's base
const Vec2f kHome2(70.0f, 5.0f); // player 2's base

std::string nutXml(const Vec2f& at, const std::string& extra = "respawnTime=\"1\"")
{
    return "<ZorbellnutObject id=\"nut\" position=\"(" + std::to_string(at.x) + ", " + std::to_string(at.y) + ")\" "
           + extra + "/>";
}

std::string baseXml(const std::string& id, int playerNo, const Vec2f& at)
{
    return "<HomebaseObject id=\"" + id + "\" playerNo=\"" + std::to_string(playerNo) + "\" size=\"(4, 4)\" position=\"("
           + std::to_string(at.x) + ", " + std::to_string(at.y) + ")\"/>";
}

} // namespace

class CaptureTest : public ObjectTest {
protected:
    // Player 1 starts under the nut, player 2 far from it; no gravity, no ground.
    void loadField(const Vec2f& nutAt = kSpawn, const std::string& nutExtra = "respawnTime=\"1\"")
    {
        loadAfloat(playerXml(0, 10.0f, 10.0f) + playerXml(1, 30.0f, 10.0f) + nutXml(nutAt, nutExtra)
                       + baseXml("home1", 0, kHome1) + baseXml("home2", 1, kHome2),
                   GM_CTZ);
        nut = find<ZorbellnutObject>("nut");
        ASSERT_TRUE(nut && player(0) && player(1));
    }

    // Carries the nut with `carrier` to just below base `home`, until it is captured.
    void deliver(PlayerObject* carrier, const Vec2f& home)
    {
        carrier->setPosition(home + Vec2f(0.0f, 2.5f));
        for (int i = 0; i < 60 && !nut->isHidden(); ++i)
            step();
        ASSERT_TRUE(nut->isHidden()) << "the nut never reached the base";
    }

    ZorbellnutObject* nut = nullptr;
};

TEST_F(CaptureTest, TouchingTakesTheNutWhichFollowsAndSpinsUntilItsCarrierLeavesTheLevel)
{
    loadField();
    EXPECT_FALSE(captureRender(*level, *level->findObject("home1")).empty()) << "the base is not drawn";
    PlayerObject* p1 = player(0);
    EXPECT_FALSE(nut->getCarrier());
    step();
    EXPECT_EQ(nut->getCarrier(), p1);
    step(40);
    const Vec2f above = p1->getPosition() + Vec2f(0.0f, -2.5f);
    EXPECT_NEAR(nut->getPosition().x, above.x, 0.05f);
    EXPECT_NEAR(nut->getPosition().y, above.y, 0.05f);
    EXPECT_GT(nut->getAngle(), 1.0f) << "a carried nut spins";

    // The other player takes it over by touching it.
    PlayerObject* p2 = player(1);
    p2->setPosition(above + Vec2f(0.0f, -0.5f));
    step();
    EXPECT_EQ(nut->getCarrier(), p2);
    step(40);
    EXPECT_NEAR(nut->getPosition().y, p2->getPosition().y - 2.5f, 0.05f);
    EXPECT_EQ(p1->getPoints() + p2->getPoints(), 0);

    p2->getLayer()->removeAndDeleteObject(p2);
    EXPECT_FALSE(nut->getCarrier());
    const Vec2f at = nut->getPosition();
    step(3);
    EXPECT_EQ(nut->getPosition(), at);
}

TEST_F(CaptureTest, CapturingIntoTheOpponentsBaseCreditsTheOpponentAndWithoutControlsNobody)
{
    loadField();
    PlayerObject* p1 = player(0);
    PlayerObject* p2 = player(1);
    step(40);
    p2->setPosition(nut->getPosition() + Vec2f(0.0f, -0.5f));
    step();
    ASSERT_EQ(nut->getCarrier(), p2);
    p1->setPosition(Vec2f(10.0f, 30.0f));
    deliver(p2, kHome1);
    EXPECT_EQ(p1->getPoints(), 1);
    EXPECT_EQ(p2->getPoints(), 0);
    EXPECT_FALSE(nut->getCarrier());
    EXPECT_FLOAT_EQ(nut->getRespawnTimer(), 1.0f);

    // Hidden, it stays where it was captured and cannot be taken.
    const Vec2f capturedAt = nut->getPosition();
    p2->setPosition(capturedAt);
    step(5);
    EXPECT_FALSE(nut->getCarrier());
    EXPECT_EQ(nut->getPosition(), capturedAt);
    EXPECT_EQ(p1->getPoints(), 1) << "captured again while hidden";

    p2->setPosition(Vec2f(30.0f, 30.0f));
    int waited = 5;
    while (nut->isHidden() && waited < 100) {
        step();
        ++waited;
    }
    EXPECT_NEAR(waited, 60, 1);
    EXPECT_EQ(nut->getPosition(), kSpawn);
    EXPECT_EQ(nut->getAngle(), 0.0f);

    // A capture without controls scores nothing, but the nut still goes home.
    p1->setPosition(Vec2f(10.0f, 10.0f));
    step();
    ASSERT_EQ(nut->getCarrier(), p1);
    p1->disableControls();
    deliver(p1, kHome1);
    EXPECT_EQ(p1->getPoints(), 1);
    EXPECT_FALSE(nut->getCarrier());
    p1->setPosition(Vec2f(10.0f, 30.0f));
    step(62);
    EXPECT_FALSE(nut->isHidden());
    EXPECT_EQ(nut->getPosition(), kSpawn);
}

TEST_F(CaptureTest, WithoutRespawnTimeTheNutIsCapturedOnEveryStepOfOverlap)
{
    loadField(kHome2, "respawnTime=\"0\"");
    PlayerObject* p2 = player(1);
    step(10);
    EXPECT_EQ(p2->getPoints(), 10);
    EXPECT_EQ(player(0)->getPoints(), 0);
    EXPECT_FALSE(nut->isHidden());
    EXPECT_EQ(nut->getPosition(), kHome2);
}
