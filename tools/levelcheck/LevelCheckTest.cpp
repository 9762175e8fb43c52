// The checker against small levels written here: a sound one passes, and every
// kind of fault the checker promises to find is found in a broken one.
#include "LevelCheck.h"

#include "engine/Engine.h"
#include "world/ObjectFactory.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

// A 12 x 8 box of ground with an invisible frame; `objects` go into the ground layer,
// `ground` replaces the row the vehicle stands on.
std::string level(const std::string& modes, const std::string& objects,
                  const std::string& ground = "90,1,1,1,1,1,1,1,1,1,1,90", const std::string& extra = "")
{
    std::string frame = "90,90,90,90,90,90,90,90,90,90,90,90";
    std::string side = "90,0,0,0,0,0,0,0,0,0,0,90";
    std::string rows = "<Row>" + frame + "</Row>";
    for (int i = 0; i < 5; ++i)
        rows += "<Row>" + side + "</Row>";
    rows += "<Row>" + ground + "</Row><Row>" + frame + "</Row>";
    return "<Level name=\"Test\" supportedGameModes=\"" + modes
           + "\" musicFilename=\"level1.ogg\" size=\"(12, 8)\" gravity=\"(0, 15)\"><Layers>"
             "<ImageLayer id=\"sky\" z=\"10\" imageFilename=\"bg-sky.png\"/>"
             "<TileMapLayer id=\"ground\" tileSetFilename=\"ground.xml\" enablePhysics=\"1\"><Objects>"
           + objects + "</Objects>" + rows + "</TileMapLayer>" + extra + "</Layers></Level>";
}

const std::string kPlayer = "<PlayerObject id=\"player1\" playerNo=\"0\" position=\"(4, 4.95)\"/>";
const std::string kFinish = "<CheckpointObject id=\"finish\" type=\"Finish\" position=\"(9, 4.5)\"/>";

class LevelCheckTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        engine = new Engine(1024, 768, 60.0f, "test_levelcheck", "", false);
        engine->addSearchPath("data");
        directory = std::filesystem::temp_directory_path() / ("zorbel-levelcheck-" + std::to_string(getpid()));
        std::filesystem::create_directories(directory / "levels");
        engine->addSearchPath(directory.string());
        registerAllObjectTypes();
    }
    static void TearDownTestSuite()
    {
        delete engine;
        std::filesystem::remove_all(directory);
    }

    std::vector<std::string> check(const std::string& name, const std::string& text)
    {
        std::ofstream(directory / "levels" / name) << text;
        LevelChecker checker(*engine);
        checker.checkLevel(name);
        std::vector<std::string> found;
        for (const Finding& finding : checker.findings())
            found.push_back((finding.mode.empty() ? "" : finding.mode + ": ") + finding.what);
        return found;
    }

    static bool mentions(const std::vector<std::string>& found, const std::string& part)
    {
        for (const std::string& line : found)
            if (line.find(part) != std::string::npos)
                return true;
        return false;
    }

    static Engine* engine;
    static std::filesystem::path directory;
};

Engine* LevelCheckTest::engine = nullptr;
std::filesystem::path LevelCheckTest::directory;

TEST_F(LevelCheckTest, SoundTimeTrialPasses)
{
    auto found = check("checker-sound.xml", level("GM_TIME_1P", kPlayer + kFinish));
    EXPECT_TRUE(found.empty()) << ::testing::PrintToString(found);
}

TEST_F(LevelCheckTest, FindsWhatAModeNeeds)
{
    auto found = check("checker-modes.xml", level("GM_TIME_1P GM_TIME_2P GM_CTZ GM_KOH GM_STORY GM_RACE", kPlayer));
    EXPECT_TRUE(mentions(found, "\"GM_RACE\" in \"supportedGameModes\" is no game mode"));
    EXPECT_TRUE(mentions(found, "GM_TIME_1P: needs a CheckpointObject \"finish\""));
    EXPECT_TRUE(mentions(found, "GM_TIME_2P: needs a PlayerObject \"player2\""));
    EXPECT_TRUE(mentions(found, "GM_CTZ: needs a ZorbellnutObject"));
    EXPECT_TRUE(mentions(found, "GM_CTZ: needs a HomebaseObject with \"playerNo\" 1"));
    EXPECT_TRUE(mentions(found, "GM_KOH: needs a KingAreaObject"));
    EXPECT_TRUE(mentions(found, "GM_STORY: has no SimpleObject of \"type\" \"Nut\""));
}

TEST_F(LevelCheckTest, FindsBadElementsFilesAndAttributes)
{
    std::string objects = kPlayer + kFinish + "<Rocket id=\"r\"/>"
                          + "<SimpleObject id=\"s\" type=\"Sprite\" file=\"nothing.png\" size=\"(1, 1)\"/>"
                          + "<SimpleObject id=\"w\" type=\"LayerSwitch\" targetLayer=\"nowhere\" position=\"(2, 5)\"/>"
                          + "<TextObject id=\"t\" position=\"(6, 2)\" colour=\"(1, 0, 0)\"/>";
    auto found = check("checker-elements.xml",
                       level("GM_TIME_1P", objects, "90,1,1,1,1,1,1,1,1,1,1,90", "<Sprite id=\"x\"/>"));
    EXPECT_TRUE(mentions(found, "unknown object element Rocket"));
    EXPECT_TRUE(mentions(found, "unknown layer element Sprite"));
    EXPECT_TRUE(mentions(found, "\"sprites/nothing.png\" is missing"));
    EXPECT_TRUE(mentions(found, "no layer has the id \"nowhere\""));
    EXPECT_TRUE(mentions(found, "TextObject \"t\" (line 1) has no \"text\""));
    EXPECT_TRUE(mentions(found, "unknown attribute \"colour\""));
}

TEST_F(LevelCheckTest, FindsPhysicsFaults)
{
    // A grass tuft (no shapes) in the physics layer, a hole in the frame, a vehicle
    // placed upside down, a box inside the ground, a nut outside the level, and a
    // layer too far down the list to collide with anything.
    std::string objects = "<PlayerObject id=\"player1\" playerNo=\"0\" position=\"(4, 1.5)\" angle=\"180\"/>" + kFinish
                          + "<SimpleObject id=\"box\" type=\"Box\" position=\"(7.5, 6.5)\"/>"
                          + "<TextObject id=\"far\" text=\"?\" position=\"(30, 4)\"/>";
    std::string layers;
    for (int i = 2; i <= 16; ++i)
        layers += "<ImageLayer id=\"l" + std::to_string(i) + "\" imageFilename=\"bg-sky.png\"/>";
    auto found = check("checker-physics.xml", level("GM_TIME_1P", objects, "0,1,1,1,60,1,1,1,1,1,1,90", layers));
    EXPECT_TRUE(mentions(found, "cell(s) hold tiles without shapes, the first tile 60 at column 4, row 6"));
    EXPECT_TRUE(mentions(found, "border is open in 1 cell(s), the first at column 0, row 6"));
    EXPECT_TRUE(mentions(found, "\"player1\" is not resting on the ground after one second"));
    EXPECT_TRUE(mentions(found, "object \"box\" at (7.50, 6.50) is stuck in the ground"));
    EXPECT_TRUE(mentions(found, "object \"far\" at (30.00, 4.00) lies outside the level"));
    EXPECT_TRUE(mentions(found, "ImageLayer \"l16\": layer element 16 (counted from 0) collides with nothing"));
    EXPECT_FALSE(mentions(found, "\"l15\""));
}

} // namespace
