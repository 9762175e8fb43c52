#include "ObjectTestKit.h"

#include "objects/PlayerObject.h"
#include "objects/TextObject.h"
#include "support/TestEngine.h"
#include "world/Layer.h"

#include <algorithm>
#include <cmath>

namespace {

b2Vec2 localOffset(const PlayerObject& p, int body)
{
    return p.getBody(body)->GetPosition() - p.getBody(PlayerObject::kChassis)->GetPosition();
}

b2RevoluteJoint* hinge(const PlayerObject& p, int joint)
{
    return static_cast<b2RevoluteJoint*>(p.getJoint(joint));
}

// Whether the sprite drawn from the texture's s range [sMin, sMax] is mirrored:
// its leftmost vertex on screen then carries the larger s.
bool drawnMirrored(const std::vector<std::vector<FeedbackVertex>>& polygons, float sMin, float sMax)
{
    const FeedbackVertex* left = nullptr;
    const FeedbackVertex* right = nullptr;
    for (const auto& polygon : polygons) {
        const bool inRange = std::all_of(polygon.begin(), polygon.end(), [&](const FeedbackVertex& v) {
            return v.s >= sMin - 1e-3f && v.s <= sMax + 1e-3f;
        });
        if (!inRange)
            continue;
        for (const FeedbackVertex& v : polygon) {
            if (!left || v.x < left->x)
                left = &v;
            if (!right || v.x > right->x)
                right = &v;
        }
    }
    EXPECT_TRUE(left && right) << "nothing drawn from s " << sMin << " to " << sMax;
    return left && right && left->s > right->s;
}

// Texture s ranges of the sheet (768 pixels wide).
constexpr float kChassisS[2] = {0.0f, 384.0f / 768.0f};
constexpr float kRiderS[2] = {512.0f / 768.0f, 1.0f};

} // namespace

class PlayerTest : public ObjectTest {};

TEST_F(PlayerTest, FacingLeftMirrorsTheVehicleAndItsSprites)
{
    LevelSpec course;
    course.gravity = "(0, 0)";
    course.groundRow = -1;
    course.objects = playerXml(0, 10.0f, 8.0f, "direction=\"-1\"") + playerXml(1, 20.0f, 8.0f);
    load(course, GM_TIME_2P);
    PlayerObject* left = player(0);
    PlayerObject* right = player(1);
    ASSERT_TRUE(left && right);
    EXPECT_TRUE(left->isFacingLeft());
    EXPECT_FALSE(right->isFacingLeft());

    for (auto [p, dir] : {std::pair{left, -1.0f}, std::pair{right, 1.0f}}) {
        EXPECT_NEAR(localOffset(*p, PlayerObject::kFrontWheel).x, dir * 1.0f, 1e-5f);
        EXPECT_NEAR(localOffset(*p, PlayerObject::kFrontWheel).y, 0.5f, 1e-5f);
        EXPECT_NEAR(localOffset(*p, PlayerObject::kRearWheel).x, dir * -1.05f, 1e-5f);
        EXPECT_NEAR(localOffset(*p, PlayerObject::kRearWheel).y, 0.48f, 1e-5f);
        EXPECT_NEAR(localOffset(*p, PlayerObject::kRider).x, dir * -0.4f, 1e-5f);
        EXPECT_NEAR(localOffset(*p, PlayerObject::kRider).y, -1.0f, 1e-5f);
        // The mass sits on the front side of the chassis, below the axles.
        EXPECT_NEAR(p->getBody(PlayerObject::kChassis)->GetLocalCenter().x, dir * 0.25f, 1e-5f);
        EXPECT_NEAR(p->getBody(PlayerObject::kChassis)->GetLocalCenter().y, 1.25f, 1e-5f);

        auto drawn = captureRender(*level, *p);
        EXPECT_EQ(drawnMirrored(drawn, kChassisS[0], kChassisS[1]), dir < 0.0f);
        EXPECT_EQ(drawnMirrored(drawn, kRiderS[0], kRiderS[1]), dir < 0.0f);
    }
}

TEST_F(PlayerTest, DriveSpeedAndMotorSoundFollowTheAccelerateKey)
{
    LevelSpec course;
    course.gravity = "(0, 0)";
    course.groundRow = -1;
    course.objects = playerXml(0, 10.0f, 8.0f);
    load(course, GM_STORY);
    PlayerObject* p = player(0);
    ASSERT_TRUE(p);

    press(SDLK_UP);
    for (int n = 1; n <= 300; ++n) {
        step();
        ASSERT_NEAR(p->getDriveSpeed(), 40.0f * (1.0f - std::pow(0.98f, float(n))), 1e-3f) << "after tick " << n;
    }
    // The wheel motor chases the smoothed speed of the tick before.
    EXPECT_TRUE(hinge(*p, PlayerObject::kRearHinge)->IsMotorEnabled());
    EXPECT_NEAR(hinge(*p, PlayerObject::kRearHinge)->GetMotorSpeed(), 40.0f * (1.0f - std::pow(0.98f, 299.0f)),
                1e-3f);
    EXPECT_FALSE(hinge(*p, PlayerObject::kFrontHinge)->IsMotorEnabled());

    if (!testEngine().hasAudio())
        GTEST_SKIP() << "no OpenAL device: the motor voice is silent";
    ASSERT_TRUE(p->getMotorVoice()->isValid());
    // Near the top speed of 40 the motor sings at 1 + 0.001 * 40^2 and 0.1 + 0.01 * 40.
    step(300);
    EXPECT_NEAR(p->getMotorVoice()->getPitch(), 2.6f, 2e-3f);
    EXPECT_NEAR(p->getMotorVoice()->getGain(), 0.5f, 1e-3f);

    release(SDLK_UP);
    step();
    EXPECT_FALSE(hinge(*p, PlayerObject::kRearHinge)->IsMotorEnabled());
    EXPECT_LT(p->getDriveSpeed(), 39.5f);
}

TEST_F(PlayerTest, HoldingAccelerateDrivesForwardAndStaysUpright)
{
    for (bool facingLeft : {false, true}) {
        SCOPED_TRACE(facingLeft ? "facing left" : "facing right");
        LevelSpec course;
        course.objects = playerXml(0, 40.0f, 14.0f, facingLeft ? "direction=\"-1\"" : "");
        load(course, GM_STORY, CM_FOUR_KEYS);
        PlayerObject* p = player(0);
        ASSERT_TRUE(p);
        step(60);
        const Vec2f start = p->getPosition();
        EXPECT_NEAR(start.y, 14.0f, 0.3f) << "the vehicle does not rest on its wheels";

        const SDLKey forward = facingLeft ? SDLK_LEFT : SDLK_RIGHT;
        press(forward);
        float worstTilt = 0.0f;
        for (int i = 0; i < 180; ++i) {
            step();
            worstTilt = std::max(worstTilt, std::abs(p->getAngle()));
        }
        release(forward);
        const float travelled = (p->getPosition().x - start.x) * (facingLeft ? -1.0f : 1.0f);
        EXPECT_GT(travelled, 5.0f);
        EXPECT_LT(worstTilt, 0.6f);
        EXPECT_NEAR(p->getPosition().y, start.y, 0.5f);
        step();
        level.reset();
    }
}

TEST_F(PlayerTest, FourKeyBrakeTurnsOnlyWhenTheRearWheelIsNearlyStill)
{
    struct Case {
        float wheelSpeed;
        bool turns;
    };
    for (Case c : {Case{0.2f, true}, Case{-0.2f, true}, Case{0.3f, false}, Case{-0.3f, false}}) {
        SCOPED_TRACE(c.wheelSpeed);
        LevelSpec course;
        course.gravity = "(0, 0)";
        course.groundRow = -1;
        course.objects = playerXml(0, 10.0f, 8.0f);
        load(course, GM_STORY, CM_FOUR_KEYS);
        PlayerObject* p = player(0);
        ASSERT_TRUE(p);
        step();
        p->getBody(PlayerObject::kRearWheel)->SetAngularVelocity(c.wheelSpeed);
        // Facing right, the left arrow is the brake.
        press(SDLK_LEFT);
        step();
        EXPECT_EQ(p->isFacingLeft(), c.turns);
        if (c.turns) {
            // Rebuilt mirrored: the front wheel is now on the left.
            EXPECT_NEAR(localOffset(*p, PlayerObject::kFrontWheel).x, -1.0f, 1e-4f);
        } else {
            EXPECT_TRUE(hinge(*p, PlayerObject::kRearHinge)->IsMotorEnabled());
            EXPECT_EQ(hinge(*p, PlayerObject::kRearHinge)->GetMotorSpeed(), 0.0f);
            EXPECT_EQ(hinge(*p, PlayerObject::kRearHinge)->GetMaxMotorTorque(), 25.0f);
            EXPECT_TRUE(hinge(*p, PlayerObject::kFrontHinge)->IsMotorEnabled());
        }
        release(SDLK_LEFT);
        step();
        level.reset();
    }
}

TEST_F(PlayerTest, FourKeyVehicleWithoutControlsBrakesAndFiveKeyOneRolls)
{
    for (ControlMode mode : {CM_FOUR_KEYS, CM_FIVE_KEYS}) {
        LevelSpec course;
        course.gravity = "(0, 0)";
        course.groundRow = -1;
        course.objects = playerXml(0, 10.0f, 8.0f);
        load(course, GM_STORY, mode);
        PlayerObject* p = player(0);
        ASSERT_TRUE(p);
        p->disableControls();
        step();
        EXPECT_EQ(hinge(*p, PlayerObject::kFrontHinge)->IsMotorEnabled(), mode == CM_FOUR_KEYS);
        level.reset();
    }
}

TEST_F(PlayerTest, FiveKeyTurnActsOnTheFirstPressOnly)
{
    LevelSpec course;
    course.gravity = "(0, 0)";
    course.groundRow = -1;
    course.objects = playerXml(0, 10.0f, 8.0f) + playerXml(1, 20.0f, 8.0f);
    load(course, GM_CTZ, CM_FIVE_KEYS);
    PlayerObject* p = player(0);
    ASSERT_TRUE(p && player(1));

    press(SDLK_RCTRL);
    step();
    EXPECT_TRUE(p->isFacingLeft());
    step(5);
    EXPECT_TRUE(p->isFacingLeft()) << "a held turn key turned again";
    press(SDLK_RCTRL); // a key repeat: pressed again, but no first press
    step();
    EXPECT_TRUE(p->isFacingLeft()) << "a key repeat turned the vehicle";
    release(SDLK_RCTRL);
    step();
    press(SDLK_RCTRL);
    step();
    EXPECT_FALSE(p->isFacingLeft());
    EXPECT_FALSE(player(1)->isFacingLeft()) << "the other player's vehicle turned too";

    // The brake does not turn in this layout, and space is the second player's turn key.
    press(SDLK_DOWN);
    press(SDLK_SPACE);
    step(3);
    EXPECT_FALSE(p->isFacingLeft());
    EXPECT_TRUE(player(1)->isFacingLeft());
}

TEST_F(PlayerTest, BothLeanKeysLeanBack)
{
    // The rider's hinge angle after holding `keys` for 40 steps on the ground.
    auto leanWith = [&](const std::vector<SDLKey>& keys) {
        LevelSpec course;
        course.objects = playerXml(0, 40.0f, 14.0f);
        load(course, GM_STORY, CM_FIVE_KEYS);
        PlayerObject* p = player(0);
        EXPECT_TRUE(p);
        step(30);
        for (SDLKey key : keys)
            press(key);
        step(40);
        const float angle = p ? hinge(*p, PlayerObject::kRiderHinge)->GetJointAngle() : 0.0f;
        for (SDLKey key : keys)
            release(key);
        step();
        level.reset();
        return angle;
    };
    const float forward = leanWith({SDLK_RIGHT});
    const float back = leanWith({SDLK_LEFT});
    const float both = leanWith({SDLK_RIGHT, SDLK_LEFT});
    const float none = leanWith({});
    EXPECT_GT(forward, 0.1f);
    EXPECT_LT(back, -0.1f);
    EXPECT_NEAR(none, 0.0f, 0.02f);
    // The same world run with the same pull on the rider gives the same angle.
    EXPECT_FLOAT_EQ(both, back);
}

TEST_F(PlayerTest, SecondPlayerExistsOnlyInTwoPlayerModes)
{
    for (GameMode mode : {GM_STORY, GM_TIME_1P, GM_TIME_2P, GM_CTZ, GM_KOH}) {
        SCOPED_TRACE(mode);
        LevelSpec course;
        course.objects = playerXml(0, 10.0f, 14.0f) + playerXml(1, 20.0f, 14.0f);
        load(course, mode);
        EXPECT_TRUE(player(0));
        const bool twoPlayers = mode == GM_TIME_2P || mode == GM_CTZ || mode == GM_KOH;
        EXPECT_EQ(player(1) != nullptr, twoPlayers);
        EXPECT_EQ(level->findObject("player2") != nullptr, twoPlayers);
        level.reset();
    }
}

TEST_F(PlayerTest, TimeTrialVehiclesPassThroughEachOtherButNotTheGround)
{
    for (GameMode mode : {GM_TIME_2P, GM_KOH}) {
        SCOPED_TRACE(mode);
        LevelSpec course;
        // Half a unit apart: the chassis overlap.
        course.objects = playerXml(0, 40.0f, 13.5f) + playerXml(1, 40.5f, 13.5f);
        load(course, mode);
        PlayerObject* a = player(0);
        PlayerObject* b = player(1);
        ASSERT_TRUE(a && b);
        step(120);
        const Vec2f pa = a->getPosition();
        const Vec2f pb = b->getPosition();
        // Neither falls through the ground.
        EXPECT_LT(pa.y, 14.2f);
        EXPECT_LT(pb.y, 14.2f);
        const float pushed = ((pb - pa) - Vec2f(0.5f, 0.0f)).length();
        if (mode == GM_TIME_2P) {
            EXPECT_NEAR(pa.y, 14.0f, 0.1f);
            EXPECT_NEAR(pb.y, 14.0f, 0.1f);
            EXPECT_LT(pushed, 0.05f) << "the racers pushed each other";
        } else {
            EXPECT_GT(pushed, 0.25f) << "the vehicles went through each other";
        }
        level.reset();
    }
}

TEST_F(PlayerTest, DeathStopsTheVehicleForGood)
{
    LevelSpec course;
    course.objects = playerXml(0, 40.0f, 14.0f);
    load(course, GM_STORY);
    PlayerObject* p = player(0);
    ASSERT_TRUE(p);

    p->damage(80);
    EXPECT_EQ(p->getLife(), 20);
    EXPECT_TRUE(p->areControlsEnabled());
    EXPECT_TRUE(all<TextObject>().empty()) << "damage alone shows no text";

    p->damage(30);
    EXPECT_EQ(p->getLife(), 0);
    EXPECT_FALSE(p->areControlsEnabled());
    auto texts = all<TextObject>();
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0]->getText(), "TOT");
    EXPECT_EQ(texts[0]->getColor(), RGBA(1.0f, 0.0f, 0.0f, 1.0f));
    EXPECT_FLOAT_EQ(texts[0]->getTimeToLive(), 10.0f);

    p->damage(-10);
    p->addPoints(5);
    EXPECT_EQ(p->getLife(), 0);
    EXPECT_EQ(p->getPoints(), 0);
    EXPECT_EQ(all<TextObject>().size(), 1u);

    step(30);
    const float x = p->getPosition().x;
    press(SDLK_UP);
    step(60);
    EXPECT_EQ(p->getDriveSpeed(), 0.0f);
    EXPECT_NEAR(p->getPosition().x, x, 0.05f);
}

TEST_F(PlayerTest, RiderStrikingTheGroundCostsLifeByHowHardItStruck)
{
    // Dropped from `height` above the ground on its wheels or on its head; the
    // rider strikes at about sqrt(2 g height) units/s.
    struct Case {
        float height;
        bool upsideDown;
        bool hurt;
    };
    const Case cases[] = {{0.3f, true, false}, {6.0f, true, false}, {16.0f, true, true},
                          {40.0f, true, true}, {16.0f, false, false}};
    const float gravity = 15.0f;
    for (const Case& c : cases) {
        SCOPED_TRACE("height " + std::to_string(c.height) + (c.upsideDown ? " upside down" : " upright"));
        LevelSpec course;
        course.gravity = "(0, 15)";
        course.height = 60;
        course.groundRow = 55;
        // Upside down the rider hangs 1.5 below the chassis' centre, upright the wheels 1.0.
        const float bottom = c.upsideDown ? 1.5f : 1.0f;
        course.objects = playerXml(0, 40.0f, 55.0f - bottom - c.height, c.upsideDown ? "angle=\"180\"" : "");
        load(course, GM_STORY);
        PlayerObject* p = player(0);
        ASSERT_TRUE(p);
        int lostAt = -1;
        for (int i = 0; i < 240 && lostAt < 0; ++i) {
            step();
            if (p->getLife() < 100)
                lostAt = i;
        }
        const int lost = 100 - p->getLife();
        if (!c.hurt) {
            EXPECT_EQ(lost, 0);
        } else {
            const float speed = std::sqrt(2.0f * gravity * c.height);
            EXPECT_GE(lost, PlayerObject::crashDamage(speed * 0.9f));
            EXPECT_LE(lost, PlayerObject::crashDamage(speed * 1.02f));
            EXPECT_GT(p->getHurtFlash(), 0.9f) << "the view does not flash at the loss";
            step(30);
            EXPECT_EQ(p->getHurtFlash(), 0.0f);
            EXPECT_EQ(p->getLife(), 100 - lost) << "a rider lying on the ground goes on losing life";
        }
        level.reset();
    }
}

TEST_F(PlayerTest, PointsFloatUpAsColouredTexts)
{
    LevelSpec course;
    course.objects = playerXml(0, 40.0f, 14.0f);
    load(course, GM_STORY);
    PlayerObject* p = player(0);
    ASSERT_TRUE(p);
    const Vec2f at = p->getPosition();

    p->addPoints(-5);
    p->addPoints(0);
    auto texts = all<TextObject>();
    ASSERT_EQ(texts.size(), 1u);
    const TextObject& minus = *texts[0];
    EXPECT_EQ(minus.getText(), "-5");
    EXPECT_EQ(minus.getColor(), RGBA(1.0f, 0.0f, 0.0f, 1.0f));
    EXPECT_FLOAT_EQ(minus.getSize(), 1.5f);
    EXPECT_FLOAT_EQ(minus.getTimeToLive(), 1.75f);
    EXPECT_NEAR(minus.getPosition().y, at.y - 1.5f, 1e-4f);
    EXPECT_NEAR(minus.getPosition().x, at.x, 0.5f + 1e-4f);
    EXPECT_GE(minus.getVelocity().y, -1.1f - 1e-5f);
    EXPECT_LE(minus.getVelocity().y, -0.9f + 1e-5f);
    EXPECT_LE(std::abs(minus.getVelocity().x), 0.1f + 1e-5f);
    EXPECT_EQ(minus.getLayer(), p->getLayer());

    p->addPoints(3);
    EXPECT_EQ(p->getPoints(), -2);
    texts = all<TextObject>();
    ASSERT_EQ(texts.size(), 2u);
    const TextObject* plus = texts[0]->getText() == "+3" ? texts[0] : texts[1];
    EXPECT_EQ(plus->getText(), "+3");
    EXPECT_EQ(plus->getColor(), RGBA(0.0f, 1.0f, 0.0f, 1.0f));

    // Both drift up and are gone after their 1.75 s.
    step(106);
    EXPECT_TRUE(all<TextObject>().empty());
}

TEST_F(PlayerTest, SwitchToAMissingLayerStaysButRebuilds)
{
    LevelSpec course;
    course.gravity = "(0, 0)";
    course.groundRow = -1;
    course.objects = playerXml(0, 10.0f, 8.0f);
    load(course, GM_STORY);
    PlayerObject* p = player(0);
    ASSERT_TRUE(p);
    Layer* home = p->getLayer();
    b2Body* wheel = p->getBody(PlayerObject::kRearWheel);
    wheel->SetTransform(wheel->GetPosition(), 1.0f);
    for (int i = 0; i < p->getBodyCount(); ++i)
        p->getBody(i)->SetLinearVelocity(b2Vec2(1.5f, 0.0f));

    p->switchToLayer("nowhere");
    EXPECT_EQ(p->getLayer(), home) << "the switch waits for the next update";
    step();
    EXPECT_EQ(p->getLayer(), home);
    EXPECT_EQ(level->findObject("player1"), p);
    // A rebuilt wheel starts square with the chassis; the motion is kept.
    EXPECT_NEAR(p->getBody(PlayerObject::kRearWheel)->GetAngle(), p->getAngle(), 0.01f);
    EXPECT_NEAR(p->getBody(PlayerObject::kChassis)->GetLinearVelocity().x, 1.5f, 0.01f);
    EXPECT_NEAR(p->getPosition().x, 10.0f + 1.5f / 60.0f, 1e-3f);
}
