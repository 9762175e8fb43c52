#include "ObjectTestKit.h"

#include "objects/PlayerObject.h"
#include "objects/SimpleObject.h"
#include "objects/TextObject.h"
#include "resources/SoundInstance.h"
#include "support/TestEngine.h"


namespace {

std::string simpleXml(const std::string& id, const std::string& type, float x, float y, const std::string& extra = "")
{
    return "<SimpleObject id=\"" + id + "\" type=\"" + type + "\" position=\"(" + std::to_string(x) + ", "
           + std::to_string(y) + ")\" " + extra + "/>";
}

} // namespace

class SimpleTest : public ObjectTest {};

TEST_F(SimpleTest, NutNamedLikeTheNextGeneratedIdOutlivesItsPointsText)
{
    // Authors may write any id, also the one the "+50" text would be given next.
    const std::string current = Object::nextGeneratedId();
    const std::string nutId = "Object#" + std::to_string(std::stoi(current.substr(7)) + 1);
    load(playerXml(0, 40.0f, 14.0f) + simpleXml(nutId, "Nut", 40.0f, 13.5f), GM_STORY);
    ASSERT_TRUE(find<SimpleObject>(nutId));
    step();
    EXPECT_EQ(player(0)->getPoints(), 50);
    auto texts = all<TextObject>();
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0]->getText(), "+50");
    EXPECT_NE(texts[0]->getId(), nutId);
    EXPECT_TRUE(find<SimpleObject>(nutId)) << "the taken nut goes at its layer's next update, not before";
    step();
    EXPECT_FALSE(level->findObject(nutId));
    EXPECT_EQ(all<TextObject>().size(), 1u);
    step(10);
    EXPECT_EQ(player(0)->getPoints(), 50) << "a nut pays once";
}

TEST_F(SimpleTest, MedkitHealsUpToFullLifeAndStaysForAHealthyPlayer)
{
    load(playerXml(0, 40.0f, 14.0f) + simpleXml("kitA", "Medkit", 40.0f, 13.5f, "amount=\"25\"")
             + simpleXml("kitB", "Medkit", 60.0f, 13.5f, "amount=\"60\""),
         GM_STORY);
    PlayerObject* p = player(0);
    ASSERT_TRUE(p);
    step(5);
    EXPECT_EQ(p->getLife(), 100);
    EXPECT_TRUE(level->findObject("kitA")) << "a medkit was used up at full life";

    p->damage(40);
    step(2);
    EXPECT_EQ(p->getLife(), 85);
    EXPECT_FALSE(level->findObject("kitA"));

    p->damage(25);
    p->setPosition(Vec2f(60.0f, 14.0f));
    step(2);
    EXPECT_EQ(p->getLife(), 100);
    EXPECT_FALSE(level->findObject("kitB"));
}

TEST_F(SimpleTest, TouchedBoxFadesInItsLastSecondAndGoesAfterTwo)
{
    // The front wheel reaches to x = 41.5; the box overlaps it a little and is pushed away.
    load(playerXml(0, 40.0f, 14.0f) + simpleXml("box", "Box", 41.9f, 14.5f) + simpleXml("other", "Box", 60.0f, 14.5f),
         GM_STORY);
    auto* box = find<SimpleObject>("box");
    auto* other = find<SimpleObject>("other");
    ASSERT_TRUE(box && other);
    step();
    ASSERT_FLOAT_EQ(box->getFadeTimer(), 2.0f) << "the box did not notice the vehicle";
    step(30);
    EXPECT_NEAR(box->getFadeTimer(), 1.5f, 1e-4f);
    EXPECT_GE(box->getDrawColor().a, 1.0f) << "drawn opaque in its first second";
    step(60);
    EXPECT_NEAR(box->getDrawColor().a, 0.5f, 1e-4f);
    step(29);
    EXPECT_TRUE(box->isActive()) << "gone before 2 s";
    step();
    EXPECT_FALSE(box->isActive()) << "still there after 2 s";
    step();
    EXPECT_FALSE(level->findObject("box"));
    // The ground alone does not make a box fade.
    EXPECT_EQ(other->getFadeTimer(), 0.0f);
    EXPECT_TRUE(level->findObject("other"));
}

// The vehicle stays in the sensor for these few steps, so the contact goes on.
TEST_F(SimpleTest, AcceleratorPushesAlongItsDirectionOncePerStepAndRestartsItsSoundOnlyAfterItPlayedOut)
{
    loadAfloat(playerXml(0, 10.0f, 8.0f) + simpleXml("acc", "Accelerator", 10.0f, 8.0f, "angle=\"90\" speed=\"2\""),
               GM_STORY);
    auto* acc = find<SimpleObject>("acc");
    ASSERT_TRUE(player(0) && acc);
    const auto& voiceOf = [&] { return acc->getProperties().get<Handle<SoundInstance>>("soundInst"); };
    EXPECT_FALSE(voiceOf());

    // Once per step, however many of the vehicle's parts overlap.
    step();
    const b2Vec2 v = player(0)->getBody(PlayerObject::kChassis)->GetLinearVelocity();
    EXPECT_NEAR(v.x, 0.0f, 1e-4f);
    EXPECT_NEAR(v.y, 2.0f, 1e-4f);
    if (!testEngine().hasAudio())
        GTEST_SKIP() << "no OpenAL device: every voice is inert";
    Handle<SoundInstance> first = voiceOf();
    ASSERT_TRUE(first && first->isValid());
    step(3);
    EXPECT_EQ(voiceOf(), first) << "restarted while still playing";
    first->stop();
    step();
    ASSERT_TRUE(voiceOf());
    EXPECT_NE(voiceOf(), first);
    EXPECT_TRUE(voiceOf()->isValid());
}

TEST_F(SimpleTest, SpriteIsDrawnAtItsSizeTurnedByItsAngle)
{
    load(playerXml(0, 10.0f, 14.0f)
         + simpleXml("tall", "Sprite", 20.0f, 8.0f, "file=\"box.png\" size=\"(4, 3)\" angle=\"90\"")
         + simpleXml("wide", "Sprite", 30.0f, 8.0f, "file=\"box.png\" size=\"(4, 3)\" color=\"(1, 0, 0, 0.5)\"")
         + simpleXml("kit", "Medkit", 40.0f, 8.0f, "amount=\"25\""),
         GM_STORY);
    auto* tall = find<SimpleObject>("tall");
    auto* wide = find<SimpleObject>("wide");
    ASSERT_TRUE(tall && wide);
    EXPECT_EQ(wide->getDrawColor(), RGBA(1.0f, 0.0f, 0.0f, 0.5f));

    auto extent = [&](SimpleObject& sprite) {
        const auto [lo, hi] = feedbackBounds(captureRender(*level, sprite));
        return Vec2f(hi.x - lo.x, hi.y - lo.y);
    };
    const Vec2f tallSize = extent(*tall);
    const Vec2f wideSize = extent(*wide);
    ASSERT_GT(tallSize.x, 10.0f) << "nothing drawn";
    // Half sides other than 1, where a wrongly computed turn would still look right.
    EXPECT_NEAR(tallSize.y / tallSize.x, 4.0f / 3.0f, 0.01f);
    EXPECT_NEAR(wideSize.x / wideSize.y, 4.0f / 3.0f, 0.01f);
    EXPECT_NEAR(tallSize.y, wideSize.x, 0.5f);
    EXPECT_NEAR(extent(*find<SimpleObject>("kit")).x, wideSize.x / 2.0f, 0.5f) << "a medkit is two units wide";
}
