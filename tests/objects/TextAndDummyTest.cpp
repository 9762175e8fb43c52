#include "ObjectTestKit.h"

#include "objects/DummyObject.h"
#include "objects/TextObject.h"
#include "world/Physics.h"

#include <map>

namespace {

std::string textXml(const std::string& id, const std::string& extra)
{
    return "<TextObject id=\"" + id + "\" text=\"Hallo\" position=\"(10, 8)\" " + extra + "/>";
}

} // namespace

class TextTest : public ObjectTest {
protected:
    void loadTexts(const std::string& objects) { loadAfloat(objects, GM_STORY); }
};

TEST_F(TextTest, FadingTextGrowsToThreeTimesItsSizeAndDiesOnTime)
{
    loadTexts(textXml("fading", "size=\"2\" color=\"(1, 1, 0, 0.8)\" timeToLive=\"2\" fadeOut=\"1\"")
              + textXml("steady", "size=\"2\" color=\"(1, 1, 0, 0.8)\" timeToLive=\"2\" fadeOut=\"0\""));
    auto* fading = find<TextObject>("fading");
    auto* steady = find<TextObject>("steady");
    ASSERT_TRUE(fading && steady);
    EXPECT_FLOAT_EQ(fading->getDrawHeight(), 2.0f);

    step(60);
    EXPECT_NEAR(fading->getDrawHeight(), 4.0f, 1e-4f);
    EXPECT_NEAR(fading->getDrawColor().a, 0.4f, 1e-4f);
    EXPECT_EQ(fading->getDrawColor().r, 1.0f);
    EXPECT_FLOAT_EQ(steady->getDrawHeight(), 2.0f);
    EXPECT_FLOAT_EQ(steady->getDrawColor().a, 0.8f);

    step(59);
    EXPECT_TRUE(fading->isActive());
    EXPECT_TRUE(steady->isActive());
    step();
    EXPECT_FALSE(fading->isActive()) << "alive after its 2 s";
    EXPECT_FALSE(steady->isActive());
    step();
    EXPECT_FALSE(level->findObject("fading"));
    EXPECT_FALSE(level->findObject("steady"));
}

TEST_F(TextTest, TextWithoutLifetimeNeverDiesNorFadesAndMovesByItsVelocity)
{
    loadTexts(textXml("forever", "fadeOut=\"1\"") + textXml("junk", "timeToLive=\"soon\" size=\"big\"")
              + textXml("rising", "velocity=\"(0, -1)\" timeToLive=\"15\""));
    auto* forever = find<TextObject>("forever");
    auto* rising = find<TextObject>("rising");
    ASSERT_TRUE(forever && rising && find<TextObject>("junk"));
    step(60);
    EXPECT_NEAR(rising->getPosition().y, 7.0f, 1e-4f) << "velocity up moves the text up the screen";
    EXPECT_NEAR(rising->getPosition().x, 10.0f, 1e-6f);
    step(540);
    EXPECT_TRUE(level->findObject("forever"));
    EXPECT_TRUE(level->findObject("junk"));
    EXPECT_FLOAT_EQ(forever->getDrawHeight(), 1.0f);
    EXPECT_EQ(forever->getDrawColor(), RGBA(1.0f, 1.0f, 1.0f, 1.0f));
    EXPECT_EQ(forever->getPosition(), Vec2f(10.0f, 8.0f));
}

class DummyTest : public ObjectTest {
protected:
    DummyObject* loadDummy(const std::string& extraLayers = "")
    {
        LevelSpec course;
        course.gravity = "(0, 0)";
        course.groundRow = -1;
        course.objects = "<DummyObject id=\"dummy\" position=\"(10, 8)\"/>";
        course.extraLayers = extraLayers;
        load(course, GM_STORY);
        return find<DummyObject>("dummy");
    }
};

TEST_F(DummyTest, AnimationLingersOnItsEndFrames)
{
    DummyObject* dummy = loadDummy();
    ASSERT_TRUE(dummy);
    std::map<int, int> shown;
    // Two periods of 2 pi / 8 s.
    for (int i = 0; i < 94; ++i) {
        step();
        ++shown[dummy->getFrame()];
    }
    ASSERT_EQ(shown.size(), 4u);
    EXPECT_EQ(shown.begin()->first, 0);
    EXPECT_EQ(shown.rbegin()->first, 3);
    EXPECT_GT(shown[0], shown[1] * 3 / 2);
    EXPECT_GT(shown[3], shown[2] * 3 / 2);
}

TEST_F(DummyTest, KeysPushItAndDWinsOverA)
{
    DummyObject* dummy = loadDummy();
    ASSERT_TRUE(dummy);
    press(SDLK_a);
    press(SDLK_d);
    press(SDLK_w);
    press(SDLK_s);
    step(30);
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
