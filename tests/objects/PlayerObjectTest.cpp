#include "ObjectTestKit.h"

#include "objects/PlayerObject.h"
#include "objects/TextObject.h"
#include "support/TestEngine.h"

#include <algorithm>
#include <cmath>

namespace {

b2RevoluteJoint* hinge(const PlayerObject& p, int joint)
{
    return static_cast<b2RevoluteJoint*>(p.getJoint(joint));
}

// Which way the front wheel sits from the rear one along the chassis: 1 right, -1 left.
float frontSide(const PlayerObject& p)
{
    const b2Vec2 along = p.getBody(PlayerObject::kFrontWheel)->GetPosition() - p.getBody(PlayerObject::kRearWheel)->GetPosition();
    return along.x > 0.0f ? 1.0f : -1.0f;
}

// Whether the sprite drawn from the texture's s range [sMin, sMax] is mirrored:
// its leftmost vertex on screen then carries the larger s.
bool drawnMirrored(const std::vector<std::vector<FeedbackVertex>>& polygons, float sMin, float sMax)
{
    const FeedbackVertex* left = nullptr;
    const FeedbackVertex* right = nullptr;
    for (const auto& polygon : polygons) {
        if (!std::all_of(polygon.begin(), polygon.end(),
                         [&](const FeedbackVertex& v) { return v.s >= sMin - 1e-3f && v.s <= sMax + 1e-3f; }))
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

} // namespace

class PlayerTest : public ObjectTest {};

TEST_F(PlayerTest, HoldingTheForwardKeyDrivesAndSingsAndFacingLeftMirrorsAll)
{
    for (bool facingLeft : {false, true}) {
        SCOPED_TRACE(facingLeft ? "facing left" : "facing right");
        load(playerXml(0, 40.0f, 14.0f, facingLeft ? "direction=\"-1\"" : ""), GM_STORY, CM_FOUR_KEYS);
        PlayerObject* p = player(0);
        ASSERT_TRUE(p);
        const float dir = facingLeft ? -1.0f : 1.0f;
        EXPECT_EQ(p->isFacingLeft(), facingLeft);
        EXPECT_EQ(frontSide(*p), dir);
        // The sheet is 768 pixels wide: the chassis from 0 to 384, the rider from 512.
        const auto drawn = captureRender(*level, *p);
        EXPECT_EQ(drawnMirrored(drawn, 0.0f, 0.5f), facingLeft) << "chassis";
        EXPECT_EQ(drawnMirrored(drawn, 512.0f / 768.0f, 1.0f), facingLeft) << "rider";

        // How it rides (upright, on its wheels) the replays hold.
        step(60);
        const Vec2f start = p->getPosition();
        const bool audio = testEngine().hasAudio();
        const float restingPitch = audio ? p->getMotorVoice()->getPitch() : 0.0f;
        const SDLKey forward = facingLeft ? SDLK_LEFT : SDLK_RIGHT;
        press(forward);
        step(180);
        EXPECT_GT((p->getPosition().x - start.x) * dir, 5.0f);
        if (audio) {
            EXPECT_GT(p->getMotorVoice()->getPitch(), restingPitch + 0.5f) << "the motor does not sing up";
        }
        release(forward);
        step();
        EXPECT_FALSE(hinge(*p, PlayerObject::kRearHinge)->IsMotorEnabled()) << "driving on without the key";
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
        loadAfloat(playerXml(0, 10.0f, 8.0f), GM_STORY, CM_FOUR_KEYS);
        PlayerObject* p = player(0);
        ASSERT_TRUE(p);
        step();
        p->getBody(PlayerObject::kRearWheel)->SetAngularVelocity(c.wheelSpeed);
        // Facing right, the left arrow is the brake.
        press(SDLK_LEFT);
        step();
        EXPECT_EQ(p->isFacingLeft(), c.turns);
        EXPECT_EQ(frontSide(*p), c.turns ? -1.0f : 1.0f) << "not rebuilt mirrored";
        if (!c.turns) {
            EXPECT_TRUE(hinge(*p, PlayerObject::kRearHinge)->IsMotorEnabled());
            EXPECT_EQ(hinge(*p, PlayerObject::kRearHinge)->GetMotorSpeed(), 0.0f);
            EXPECT_TRUE(hinge(*p, PlayerObject::kFrontHinge)->IsMotorEnabled());
        }
        release(SDLK_LEFT);
        step();
        level.reset();
    }
    // Without controls the four-key vehicle holds still and the five-key one rolls.
    for (ControlMode mode : {CM_FOUR_KEYS, CM_FIVE_KEYS}) {
        loadAfloat(playerXml(0, 10.0f, 8.0f), GM_STORY, mode);
        player(0)->disableControls();
        step();
        EXPECT_EQ(hinge(*player(0), PlayerObject::kFrontHinge)->IsMotorEnabled(), mode == CM_FOUR_KEYS) << mode;
        level.reset();
    }
}

TEST_F(PlayerTest, FiveKeyTurnActsOnTheFirstPressOnly)
{
    loadAfloat(playerXml(0, 10.0f, 8.0f) + playerXml(1, 20.0f, 8.0f), GM_CTZ, CM_FIVE_KEYS);
    PlayerObject* p = player(0);
    ASSERT_TRUE(p && player(1));

    press(SDLK_RCTRL);
    step();
    EXPECT_TRUE(p->isFacingLeft());
    step(5);
    press(SDLK_RCTRL); // a key repeat: pressed again, but no first press
    step();
    EXPECT_TRUE(p->isFacingLeft()) << "a held or repeated turn key turned again";
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

TEST_F(PlayerTest, APadDrivesItsOwnPlayerWithTheFiveKeyMeaningInAnyLayout)
{
    // The keys have the four-key layout, where Right accelerates and the brake turns a still vehicle.
    struct Case {
        const char* what;
        int pads;
        SDL_Event event;
        int mover; ///< the player driving forward, -1 for none
        int lean;  ///< the sign of player 1's lean
        bool brakes;
        bool turns;
    };
    const Case cases[] = {
        {"button 1 accelerates", 1, padEvent(SDL_JOYBUTTONDOWN, 0, 0), 0, 0, false, false},
        {"the second pad is the second player's", 2, padEvent(SDL_JOYBUTTONDOWN, 1, 0), 1, 0, false, false},
        {"no pad, no change", 0, padEvent(SDL_JOYBUTTONDOWN, 0, 0), -1, 0, false, false},
        {"the hat leans forward", 1, padEvent(SDL_JOYHATMOTION, 0, 0, SDL_HAT_RIGHT), -1, 1, false, false},
        {"the stick leans back", 1, padEvent(SDL_JOYAXISMOTION, 0, 0, -30000), -1, -1, false, false},
        {"button 2 brakes", 1, padEvent(SDL_JOYBUTTONDOWN, 0, 1), -1, 0, true, false},
        {"button 3 turns once", 1, padEvent(SDL_JOYBUTTONDOWN, 0, 2), -1, 0, false, true},
    };
    Gamepads& pads = testEngine().getPads();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        load(playerXml(0, 20.0f, 14.0f) + playerXml(1, 50.0f, 14.0f), GM_CTZ, CM_FOUR_KEYS);
        step(30);
        const float start[2] = {player(0)->getPosition().x, player(1)->getPosition().x};
        pads.setCount(c.pads);
        pushEvent(c.event);
        step(40);
        const float lean = hinge(*player(0), PlayerObject::kRiderHinge)->GetJointAngle();
        EXPECT_TRUE(c.lean == 0 ? std::abs(lean) < 0.05f : lean * float(c.lean) > 0.1f) << "lean " << lean;
        // Another control of the pad stirring is no new press of a held button.
        pushEvent(padEvent(SDL_JOYAXISMOTION, 0, 1, 100));
        step(50);
        // A lean alone rocks the vehicle a little way; the motor takes it much further.
        for (int n = 0; n < 2; ++n) {
            const float moved = player(n)->getPosition().x - start[n];
            EXPECT_TRUE(n == c.mover ? moved > 8.0f : std::abs(moved) < 3.0f) << "player " << n + 1 << " moved " << moved;
        }
        EXPECT_EQ(hinge(*player(0), PlayerObject::kFrontHinge)->IsMotorEnabled(), c.brakes);
        EXPECT_EQ(player(0)->isFacingLeft(), c.turns);
        pushEvent(padRelease(c.event));
        step();
        pads.setCount(0);
        level.reset();
    }
}

TEST_F(PlayerTest, PointsFloatUpAsColouredTextsAndDeathIsForGood)
{
    load(playerXml(0, 40.0f, 14.0f), GM_STORY);
    PlayerObject* p = player(0);
    ASSERT_TRUE(p);
    const Vec2f at = p->getPosition();

    p->addPoints(-5);
    p->addPoints(0);
    p->addPoints(3);
    EXPECT_EQ(p->getPoints(), -2);
    auto texts = all<TextObject>();
    ASSERT_EQ(texts.size(), 2u) << "no text for no points";
    std::sort(texts.begin(), texts.end(), [](TextObject* a, TextObject* b) { return a->getText() < b->getText(); });
    EXPECT_EQ(texts[0]->getText(), "+3");
    EXPECT_EQ(texts[0]->getColor(), RGBA(0.0f, 1.0f, 0.0f, 1.0f));
    EXPECT_EQ(texts[1]->getText(), "-5");
    EXPECT_EQ(texts[1]->getColor(), RGBA(1.0f, 0.0f, 0.0f, 1.0f));
    for (const TextObject* text : texts) {
        EXPECT_NEAR(text->getPosition().y, at.y - 1.5f, 1e-4f);
        EXPECT_LT(text->getVelocity().y, -0.8f) << "does not float up";
    }
    // Both are gone after their 1.75 s.
    step(106);
    EXPECT_TRUE(all<TextObject>().empty());

    p->damage(80);
    EXPECT_EQ(p->getLife(), 20);
    EXPECT_TRUE(p->areControlsEnabled());
    EXPECT_TRUE(all<TextObject>().empty()) << "damage alone shows no text";
    p->damage(30);
    EXPECT_EQ(p->getLife(), 0);
    EXPECT_FALSE(p->areControlsEnabled());
    ASSERT_EQ(all<TextObject>().size(), 1u);
    EXPECT_EQ(all<TextObject>()[0]->getText(), "TOT");
    p->damage(-10);
    p->addPoints(5);
    EXPECT_EQ(p->getLife(), 0);
    EXPECT_EQ(p->getPoints(), -2);
    EXPECT_EQ(all<TextObject>().size(), 1u);
    // That a vehicle without controls drives no more the replays hold (every race ends so).
}
