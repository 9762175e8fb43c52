#include "ObjectTestKit.h"

#include "objects/SimpleObject.h"
#include "objects/TextObject.h"
#include "objects/ZorbellnutObject.h"

#include <GL/gl.h>

#include <set>
#include <sstream>

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

TEST_F(GameModeObjectsTest, EachModeKeepsExactlyItsObjects)
{
    for (GameMode mode : {GM_STORY, GM_TIME_1P, GM_TIME_2P, GM_CTZ, GM_KOH}) {
        SCOPED_TRACE(mode);
        EXPECT_EQ(loadReporting(kEveryObject, mode), "") << "complaints about a sound level";
        std::set<std::string> ids;
        for (const auto& entry : level->findLayer("ground")->getObjects())
            ids.insert(entry.first);
        EXPECT_EQ(ids, expectedIds(mode));

        // The whole level runs and draws in this mode.
        step(30);
        level->cameraPosition = Vec2f(40.0f, 10.0f);
        level->zoom = 10.0f;
        renderLevel(*level, level->findObject("player1"));
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
        level.reset();
    }
}

TEST_F(GameModeObjectsTest, BrokenElementsAreNamedOnStderrAndSkippedOrMended)
{
    // Player 2 is there for the bases, which check their owner.
    struct Case {
        GameMode mode;
        std::string xml;
        void (*mended)(Object*); ///< null: the element is skipped
        bool named = true;       ///< a message names the element
    };
    auto white = [](Object* o) { EXPECT_EQ(dynamic_cast<SimpleObject&>(*o).getDrawColor(), RGBA(1, 1, 1, 1)); };
    auto noAmount = [](Object* o) { EXPECT_EQ(dynamic_cast<SimpleObject&>(*o).getProperties().get<int>("amount"), 0); };
    auto usualSpikes = [](Object* o) { EXPECT_EQ(dynamic_cast<SimpleObject&>(*o).getProperties().get<int>("amount"), 20); };
    auto plainText = [](Object* o) {
        EXPECT_EQ(dynamic_cast<TextObject&>(*o).getColor(), RGBA(1, 1, 1, 1));
        EXPECT_EQ(dynamic_cast<TextObject&>(*o).getVelocity(), Vec2f(0, 0));
    };
    auto usualRespawn = [](Object* o) { EXPECT_FLOAT_EQ(dynamic_cast<ZorbellnutObject&>(*o).getRespawnTime(), 5.0f); };
    auto anyKeys = [](Object*) {};
    const Case cases[] = {
        {GM_STORY, R"X(<SimpleObject id="x"/>)X", nullptr},
        {GM_STORY, R"X(<SimpleObject id="x" type="Teapot"/>)X", nullptr},
        {GM_STORY, R"X(<SimpleObject id="x" type="Sprite" size="(1, 1)"/>)X", nullptr},
        {GM_STORY, R"X(<SimpleObject id="x" type="Sprite" file="no-such-picture.png" size="(1, 1)"/>)X", nullptr},
        {GM_STORY, R"X(<SimpleObject id="x" type="Sprite" file="box.png"/>)X", nullptr},
        {GM_STORY, R"X(<SimpleObject id="x" type="Sprite" file="box.png" size="big"/>)X", nullptr},
        {GM_STORY, R"X(<SimpleObject id="x" type="Sprite" file="box.png" size="(1, 1)" color="red"/>)X", white},
        {GM_STORY, R"X(<SimpleObject id="x" type="LayerSwitch"/>)X", nullptr},
        {GM_STORY, R"X(<SimpleObject id="x" type="Medkit"/>)X", noAmount},
        {GM_STORY, R"X(<SimpleObject id="x" type="Spikes" amount="sharp"/>)X", usualSpikes},
        {GM_STORY, R"X(<SimpleObject id="x" type="Spikes" amount="0"/>)X", noAmount, false}, // not broken: spikes that hurt nobody
        {GM_STORY, R"X(<TextObject id="x"/>)X", nullptr},
        {GM_STORY, R"X(<TextObject id="x" text="Hallo" color="pink" velocity="fast"/>)X", plainText},
        {GM_STORY, R"X(<PlayerObject id="x" playerNo="2"/>)X", anyKeys},
        {GM_TIME_1P, R"X(<CheckpointObject id="x"/>)X", nullptr},
        {GM_CTZ, R"X(<HomebaseObject id="x" size="(2, 2)"/>)X", nullptr},
        {GM_CTZ, R"X(<HomebaseObject id="x" playerNo="2" size="(2, 2)"/>)X", nullptr},
        {GM_CTZ, R"X(<HomebaseObject id="x" playerNo="0"/>)X", nullptr},
        {GM_CTZ, R"X(<HomebaseObject id="x" playerNo="1" size="(0, 3)"/>)X", nullptr},
        {GM_CTZ, R"X(<ZorbellnutObject id="x" respawnTime="later"/>)X", usualRespawn},
        {GM_KOH, R"X(<KingAreaObject id="x"/>)X", nullptr},
        {GM_KOH, R"X(<KingAreaObject id="x" size="(6, -1)"/>)X", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.xml);
        const std::string messages = loadReporting(playerXml(0, 10.0f, 14.0f) + playerXml(1, 20.0f, 14.0f) + c.xml, c.mode);
        const std::string named = c.xml.substr(1, c.xml.find(' ') - 1) + " \"x\"";
        EXPECT_EQ(messages.find(named) != std::string::npos, c.named) << messages;
        std::istringstream lines(messages);
        for (std::string line; std::getline(lines, line);)
            EXPECT_EQ(line.rfind("zorbel: ", 0), 0u) << "not the game's message: " << line;
        Object* object = level->findObject("x");
        EXPECT_EQ(object != nullptr, c.mended != nullptr);
        if (object && c.mended)
            c.mended(object);
        step(2);
        level.reset();
    }
}
