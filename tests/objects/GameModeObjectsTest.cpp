#include "ObjectTestKit.h"

#include "support/TestEngine.h"
#include "world/ObjectFactory.h"

#include <GL/gl.h>

#include <set>

namespace {

// One of every object a level can place, each with its id.
const char* const kEveryObject = R"xml(
<PlayerObject id="player1" playerNo="0" position="(10, 14)"/>
<PlayerObject id="player2" playerNo="1" position="(14, 14)"/>
<SimpleObject id="box" type="Box" position="(20, 14.5)"/>
<SimpleObject id="nut" type="Nut" position="(24, 12)"/>
<SimpleObject id="sprite" type="Sprite" file="box.png" size="(2, 2)" position="(28, 6)"/>
<SimpleObject id="medkit" type="Medkit" amount="25" position="(32, 12)"/>
<SimpleObject id="accelerator" type="Accelerator" speed="2" position="(36, 12)"/>
<SimpleObject id="switch" type="LayerSwitch" targetLayer="ground" position="(40, 12)"/>
<TextObject id="text" text="Hallo" position="(44, 8)"/>
<DummyObject id="dummy" position="(48, 12)"/>
<CheckpointObject id="finish" type="Finish" position="(70, 13)"/>
<ZorbellnutObject id="zorbellnut" position="(52, 12)"/>
<HomebaseObject id="home1" playerNo="0" size="(3, 3)" position="(56, 12)"/>
<HomebaseObject id="home2" playerNo="1" size="(3, 3)" position="(60, 12)"/>
<KingAreaObject id="hill" size="(4, 4)" position="(64, 12)"/>
)xml";

std::set<std::string> expectedIds(GameMode mode)
{
    std::set<std::string> ids = {"player1", "box", "sprite", "medkit", "accelerator", "switch", "text", "dummy"};
    if (mode == GM_STORY)
        ids.insert("nut");
    if (mode == GM_TIME_2P || mode == GM_CTZ || mode == GM_KOH)
        ids.insert("player2");
    if (mode == GM_TIME_1P || mode == GM_TIME_2P)
        ids.insert("finish");
    if (mode == GM_CTZ)
        ids.insert({"zorbellnut", "home1", "home2"});
    if (mode == GM_KOH)
        ids.insert("hill");
    return ids;
}

} // namespace

class GameModeObjectsTest : public ObjectTest {};

TEST_F(GameModeObjectsTest, EveryElementNameHasItsClass)
{
    for (const char* name : {"CheckpointObject", "DummyObject", "ZorbellnutObject", "HomebaseObject",
                             "KingAreaObject", "PlayerObject", "SimpleObject", "TextObject"})
        EXPECT_TRUE(ObjectFactory::isRegistered(name)) << name;
}

TEST_F(GameModeObjectsTest, EachModeKeepsExactlyItsObjects)
{
    for (GameMode mode : {GM_STORY, GM_TIME_1P, GM_TIME_2P, GM_CTZ, GM_KOH}) {
        SCOPED_TRACE(mode);
        LevelSpec course;
        course.objects = kEveryObject;
        testing::internal::CaptureStderr();
        load(course, mode);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << "complaints about a sound level";
        std::set<std::string> ids;
        for (const auto& entry : level->findLayer("ground")->getObjects())
            ids.insert(entry.first);
        EXPECT_EQ(ids, expectedIds(mode));

        // The whole level runs and draws in this mode.
        step(30);
        Engine& engine = testEngine();
        engine.setViewport(0, 0, 1024, 768);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        level->cameraPosition = Vec2f(40.0f, 10.0f);
        level->zoom = 10.0f;
        level->render(level->findObject("player1"));
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
        level.reset();
    }
}
