#include "ObjectTestKit.h"

#include "objects/DummyObject.h"
#include "objects/TextObject.h"
#include "world/Physics.h"

#include <set>

namespace {

std::string textXml(const std::string& id, const std::string& extra)
{
    return "<TextObject id=\"" + id + "\" text=\"Hallo\" position=\"(10, 8)\" " + extra + "/>";
}

} // namespace

class TextTest : public ObjectTest {};

TEST_F(TextTest, TextsFadeGrowMoveAndDieByTheirAttributes)
{
    loadAfloat(textXml("fading", "size=\"2\" color=\"(1, 1, 0, 0.8)\" timeToLive=\"2\" fadeOut=\"1\"")
              + textXml("steady", "size=\"2\" color=\"(1, 1, 0, 0.8)\" timeToLive=\"2\" fadeOut=\"0\"")
              + textXml("forever", "fadeOut=\"1\"") + textXml("junk", "timeToLive=\"soon\" size=\"big\"")
              + textXml("rising", "velocity=\"(0, -1)\" timeToLive=\"15\""),
               GM_STORY);
    auto* fading = find<TextObject>("fading");
    auto* steady = find<TextObject>("steady");
    auto* forever = find<TextObject>("forever");
    auto* rising = find<TextObject>("rising");
    ASSERT_TRUE(fading && steady && forever && rising && find<TextObject>("junk"));

    step(60);
    // Half way through its life a fading text is twice its size and half as opaque.
    EXPECT_NEAR(fading->getDrawHeight(), 4.0f, 1e-4f);
    EXPECT_NEAR(fading->getDrawColor().a, 0.4f, 1e-4f);
    EXPECT_EQ(fading->getDrawColor().r, 1.0f);
    EXPECT_FLOAT_EQ(steady->getDrawHeight(), 2.0f);
    EXPECT_FLOAT_EQ(steady->getDrawColor().a, 0.8f);
    EXPECT_NEAR(rising->getPosition().y, 7.0f, 1e-4f) << "velocity up moves the text up the screen";
    EXPECT_NEAR(rising->getPosition().x, 10.0f, 1e-6f);

    step(59);
    EXPECT_TRUE(fading->isActive());
    EXPECT_TRUE(steady->isActive());
    step();
    EXPECT_FALSE(fading->isActive()) << "alive after its 2 s";
    EXPECT_FALSE(steady->isActive());
    step();
    EXPECT_FALSE(level->findObject("fading"));
    EXPECT_FALSE(level->findObject("steady"));

    // Without a lifetime a text never dies nor fades.
    step(480);
    EXPECT_TRUE(level->findObject("junk"));
    EXPECT_TRUE(level->findObject("forever"));
    EXPECT_FLOAT_EQ(forever->getDrawHeight(), 1.0f);
    EXPECT_EQ(forever->getDrawColor(), RGBA(1.0f, 1.0f, 1.0f, 1.0f));
    EXPECT_EQ(forever->getPosition(), Vec2f(10.0f, 8.0f));
}

class DummyTest : public ObjectTest {
protected:
    DummyObject* loadDummy(const std::string& extraLayers = "")
    {
        LevelSpec course{"<DummyObject id=\"dummy\" position=\"(10, 8)\"/>", "(0, 0)", 80, 20, -1, extraLayers};
        load(course, GM_STORY);
        return find<DummyObject>("dummy");
    }
};

TEST_F(DummyTest, KeysPushItDWinsOverAAndItRollsThroughItsFourFrames)
{
    DummyObject* dummy = loadDummy();
    ASSERT_TRUE(dummy);
    press(SDLK_a);
    press(SDLK_d);
    press(SDLK_w);
    press(SDLK_s);
    std::set<int> frames;
    for (int i = 0; i < 30; ++i) {
        step();
        frames.insert(dummy->getFrame());
    }
    EXPECT_EQ(frames, (std::set<int>{0, 1, 2, 3})) << "the four pictures of its strip";
    const b2Vec2 v = dummy->getBody(0)->GetLinearVelocity();
    // 20 units of force on about half a unit of mass for half a second.
    EXPECT_GT(v.x, 15.0f);
    EXPECT_GT(v.y, 15.0f);
    release(SDLK_d);
    release(SDLK_s);
    step(60);
    EXPECT_LT(dummy->getBody(0)->GetLinearVelocity().x, -15.0f);
    EXPECT_LT(dummy->getBody(0)->GetLinearVelocity().y, -15.0f);
}

TEST_F(DummyTest, NumberKeysSendItToLayersThreeAndFourWhenTheyExist)
{
    DummyObject* dummy = loadDummy();
    ASSERT_TRUE(dummy);
    Layer* home = dummy->getLayer();
    press(SDLK_1);
    step();
    release(SDLK_1);
    press(SDLK_2);
    step();
    EXPECT_EQ(dummy->getLayer(), home);
    EXPECT_EQ(level->findObject("dummy"), dummy);
    level.reset();

    dummy = loadDummy(tileLayer("3", 80, 20, -1, "") + tileLayer("4", 80, 20, -1, ""));
    ASSERT_TRUE(dummy);
    const uint16 builtIn = dummy->getBody(0)->GetFixtureList()->GetFilterData().categoryBits;
    press(SDLK_1);
    step(2);
    EXPECT_EQ(level->findLayer("3")->findObject("dummy"), dummy);
    EXPECT_FALSE(level->findLayer("ground")->findObject("dummy"));
    // It keeps colliding with the layer it was built in.
    EXPECT_EQ(dummy->getBody(0)->GetFixtureList()->GetFilterData().categoryBits, builtIn);
    release(SDLK_1);
    press(SDLK_2);
    step();
    EXPECT_EQ(dummy->getLayer(), level->findLayer("4"));
}
