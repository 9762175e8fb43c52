// Level and tile set files that players got wrong, cut short or replaced with
// something else: each is refused or loaded in part with a line on stderr, and
// a level that loads keeps running and drawing.
#include "WorldTestSupport.h"

#include "support/TestEngine.h"
#include "world/Layer.h"
#include "world/Level.h"
#include "world/ObjectFactory.h"
#include "world/TileMapLayer.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <sys/stat.h>

namespace {

const ParameterMap kNoParams;

// The files every kind of data file is tried with: name suffix and content.
std::vector<std::pair<std::string, std::string>> damagedVersionsOf(const std::string& shipped)
{
    return {
        {"empty", ""},
        {"truncated", shipped.substr(0, shipped.size() / 2)},
        {"random", randomBytes(4096, 12)},
        {"binary-zeros", std::string(512, '\0')},
    };
}

// Runs a level for a second of game time and draws it twice, as the game screen would.
void play(Level& level)
{
    for (int i = 0; i < 60; ++i)
        level.update();
    renderLevel(level);
    level.cameraPosition = Vec2f(1e30f, -1e30f);
    renderLevel(level);
    EXPECT_TRUE(std::isfinite(level.cameraPosition.x) || level.getSize().x <= 0);
}

std::unique_ptr<Level> loadLevelText(const std::string& name, const std::string& text, std::string& messages)
{
    writeScratchFile("levels/" + name, text);
    registerProbeTypes();
    testing::internal::CaptureStderr();
    std::unique_ptr<Level> level(Level::load(&testEngine(), "levels/" + name, &kNoParams));
    messages = testing::internal::GetCapturedStderr();
    return level;
}

const char* kSky = R"X(<ImageLayer id="sky" imageFilename="bg-sky.png"/>)X";

} // namespace

TEST(LevelBadData, DamagedLevelFilesAndADirectoryAreRefusedWithALineNamingThem)
{
    for (const auto& [suffix, content] : damagedVersionsOf(readFileBytes("data/levels/wiese.xml"))) {
        SCOPED_TRACE(suffix);
        std::string messages;
        std::unique_ptr<Level> level = loadLevelText("bad-" + suffix + ".xml", content, messages);
        EXPECT_EQ(level, nullptr);
        EXPECT_NE(messages.find("zorbel: "), std::string::npos) << messages;
        EXPECT_NE(messages.find("levels/bad-" + suffix + ".xml"), std::string::npos) << messages;
    }

    writeScratchFile("levels/folder.xml/inside", "x");
    testing::internal::CaptureStderr();
    EXPECT_EQ(Level::load(&testEngine(), "levels/folder.xml", &kNoParams), nullptr);
    std::string messages = testing::internal::GetCapturedStderr();
    EXPECT_NE(messages.find("zorbel: levels/folder.xml"), std::string::npos) << messages;
}

TEST(LevelBadData, DamagedTileSetsDropOnlyTheirLayer)
{
    std::vector<std::pair<std::string, std::string>> sets = damagedVersionsOf(readFileBytes("data/tilesets/ground.xml"));
    sets.emplace_back("folder", "");
    for (const auto& [suffix, content] : sets) {
        SCOPED_TRACE(suffix);
        const std::string setName = "bad-" + suffix + ".xml";
        if (suffix == "folder")
            writeScratchFile("tilesets/" + setName + "/inside", "x");
        else
            writeScratchFile("tilesets/" + setName, content);
        std::string messages;
        std::unique_ptr<Level> level = loadLevelText(
            "uses-" + suffix + ".xml",
            R"X(<Level size="(20, 10)"><Layers>)X" + std::string(kSky) + R"X(<TileMapLayer id="ground" tileSetFilename=")X" +
                setName + R"X(" enablePhysics="1"><Row>1,1,1</Row></TileMapLayer></Layers></Level>)X",
            messages);
        ASSERT_NE(level, nullptr);
        EXPECT_NE(messages.find("zorbel: levels/uses-" + suffix + ".xml: TileMapLayer \"ground\": tile set \"tilesets/" +
                                setName + "\" cannot be read"),
                  std::string::npos)
            << messages;
        EXPECT_EQ(level->getLayers().size(), 1u) << "the sky stays";
        EXPECT_EQ(level->findLayer("ground"), nullptr);
        play(*level);
    }
}

TEST(LevelBadData, SizesThatMakeNoRoomKeepTheLevelRunning)
{
    const std::vector<std::string> sizes = {"(0, 0)", "(-40, -30)", "(1000000000, 1000000000)", "(2147483647, 1)",
                                            "(1e9, 1e9)", "(30)", ""};
    for (const std::string& size : sizes) {
        SCOPED_TRACE(size);
        std::string messages;
        std::unique_ptr<Level> level = loadLevelText(
            "size.xml",
            R"X(<Level size=")X" + size + R"X(" gravity="(0, 10)"><Layers>)X" + kSky +
                R"X(<TileMapLayer id="ground" tileSetFilename="ground.xml" enablePhysics="1">
                  <Objects><ProbeObject id="box" box="(0.5, 0.5)" density="1" position="(2, 0)"/></Objects>
                  <Row>0,0,0</Row><Row>1,1,1,1</Row></TileMapLayer></Layers></Level>)X",
            messages);
        ASSERT_NE(level, nullptr) << messages;
        EXPECT_EQ(level->getLayers().size(), 2u);
        play(*level);
        EXPECT_NEAR(level->findObject("box")->getPosition().y, 0.5f, 0.05f) << "the box lands on the ground row";
    }
}

TEST(LevelBadData, HugeTilingHundredThousandRowsAndTenThousandObjectsLoad)
{
    std::string rows;
    for (int i = 0; i < 100000; ++i)
        rows += "<Row>1</Row>";
    std::string objects;
    for (int i = 0; i < 10000; ++i)
        objects += "<ProbeObject box=\"(0.25, 0.25)\" density=\"1\" position=\"(" + std::to_string(3 + 2 * (i % 100)) +
                   ", " + std::to_string(-2 * (i / 100)) + ")\"/>";
    std::string messages;
    std::unique_ptr<Level> level = loadLevelText(
        "huge.xml",
        R"X(<Level size="(200, 100000)" gravity="(0, 10)"><Layers>
              <ImageLayer id="sky" imageFilename="bg-sky.png" tiling="(1e9, 1e9)" imageOffset="(1e30, -1e30)" movement="(1e9, 0)"/>
              <TileMapLayer id="column" tileSetFilename="ground.xml" enablePhysics="1">)X" +
            rows + "</TileMapLayer><TileMapLayer id=\"crowd\" tileSetFilename=\"ground.xml\"><Objects>" + objects +
            "</Objects></TileMapLayer></Layers></Level>",
        messages);
    ASSERT_NE(level, nullptr) << messages;
    auto* column = dynamic_cast<TileMapLayer*>(level->findLayer("column"));
    ASSERT_NE(column, nullptr);
    EXPECT_EQ(column->getHeight(), 100000);
    EXPECT_EQ(groundFixtures(*level).size(), 100000u);
    EXPECT_EQ(level->findLayer("crowd")->getObjects().size(), 10000u);
    for (int i = 0; i < 5; ++i)
        level->update();
    renderLevel(*level);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST(LevelBadData, NotANumberAndInfinityInEveryNumberAreSurvived)
{
    for (const char* number : {"nan", "inf", "-inf", "1e39", "-1e308"}) {
        SCOPED_TRACE(number);
        const std::string n = number;
        const std::string v = "(" + n + ", " + n + ")";
        writeScratchFile("tilesets/numbers.xml",
                         R"X(<TileSet imageFilename="ground.png" defaultTileSize=")X" + v +
                             R"X(" defaultShapeRestitution=")X" + n + R"X(" defaultShapeFriction=")X" + n + R"X(">
              <Tile id="1" position=")X" + v + R"X(" size=")X" + v + R"X(">
                <Shapes><Simple1x1BoxShape friction=")X" + n + R"X(" restitution=")X" + n + R"X("/></Shapes></Tile>
              <Tile id="2" position="(8, 8)"><Shapes>
                <PolygonShape vertices="(0, 0),)X" + v + R"X(,(0, 1)"/></Shapes></Tile>
            </TileSet>)X");
        std::string messages;
        std::unique_ptr<Level> level = loadLevelText(
            "numbers.xml",
            R"X(<Level size=")X" + v + R"X(" gravity=")X" + v + R"X(" backgroundColor="()X" + n + ", " + n + ", " + n +
                R"X()"><Layers>
              <ImageLayer id="sky" z=")X" + n + R"X(" imageFilename="bg-sky.png" color="()X" + n + ", 1, 1, " + n +
                R"X()" blendMode=")X" + n + R"X(" tiling=")X" + v + R"X(" imageOffset=")X" + v + R"X(" movement=")X" + v +
                R"X("/>
              <TileMapLayer id="ground" z=")X" + n + R"X(" tileSetFilename="numbers.xml" enablePhysics=")X" + n + R"X(">
                <Objects><ProbeObject id="box" box="(0.5, 0.5)" density="1" position=")X" + v + R"X(" angle=")X" + n +
                R"X("/><ProbeObject id="tilted" box="(0.5, 0.5)" density="1" position="(1, -3)" angle=")X" + n +
                R"X("/></Objects>
                <Row>)X" + n + R"X(,1,2</Row><Row>1,1,1</Row></TileMapLayer>
            </Layers></Level>)X",
            messages);
        ASSERT_NE(level, nullptr) << messages;
        if (!std::isfinite(std::strtod(number, nullptr))) {
            EXPECT_NE(messages.find("zorbel: levels/numbers.xml: tilted: \"angle\" \"" + n + "\" is not a finite number"),
                      std::string::npos)
                << messages;
        }
        for (const char* expected :
             {"tilesets/numbers.xml: TileSet: \"defaultShapeRestitution\" is not a finite number",
              "tilesets/numbers.xml: TileSet: \"defaultShapeFriction\" is not a finite number",
              "tilesets/numbers.xml: Tile 1: Simple1x1BoxShape: \"friction\" is not a finite number",
              "tilesets/numbers.xml: Tile 1: Simple1x1BoxShape: \"restitution\" is not a finite number"})
            EXPECT_NE(messages.find(std::string("zorbel: ") + expected), std::string::npos) << expected << "\n" << messages;
        play(*level);
        for (const char* id : {"box", "tilted"}) {
            if (Object* object = level->findObject(id)) {
                Vec2f p = object->getPosition();
                EXPECT_TRUE(std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(object->getAngle()))
                    << id << " at (" << p.x << ", " << p.y << ") angle " << object->getAngle();
            }
        }
    }
}

namespace {

std::vector<std::string> filesIn(const std::string& directory)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(directory))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// Each level and tile set under tests/data/bad, made by hand or found by the
// fuzzer, under the real object types and every game mode.
void playEveryMode(const std::string& levelName)
{
    registerAllObjectTypes();
    for (int mode = GM_STORY; mode <= GM_KOH; ++mode) {
        SCOPED_TRACE("game mode " + std::to_string(mode));
        ParameterMap params;
        params.set<GameMode>("gameMode", GameMode(mode));
        params.set<int>("pointsNeededToWin", 5);
        params.set<ControlMode>("controlMode1", CM_FIVE_KEYS);
        params.set<ControlMode>("controlMode2", CM_FOUR_KEYS);
        testing::internal::CaptureStderr();
        std::unique_ptr<Level> level(Level::load(&testEngine(), levelName, &params));
        std::string messages = testing::internal::GetCapturedStderr();
        if (!level) {
            EXPECT_NE(messages.find("zorbel: "), std::string::npos) << "refused without a word";
            EXPECT_NE(messages.find(levelName), std::string::npos) << messages;
            continue;
        }
        testing::internal::CaptureStderr();
        play(*level);
        level->setZoom(0.0f);
        renderLevel(*level, level->findPlayerObject(0));
        testing::internal::GetCapturedStderr();
    }
}

} // namespace

TEST(LevelBadData, EveryCollectedBadLevelIsRefusedWithALineOrPlays)
{
    for (const std::string& name : filesIn("tests/data/bad/level")) {
        SCOPED_TRACE("tests/data/bad/level/" + name);
        writeScratchFile("levels/collected-" + name, readFileBytes("tests/data/bad/level/" + name));
        playEveryMode("levels/collected-" + name);
    }
}

TEST(LevelBadData, EveryCollectedBadTileSetLoadsInPartOrDropsItsLayer)
{
    for (const std::string& name : filesIn("tests/data/bad/tileset")) {
        SCOPED_TRACE("tests/data/bad/tileset/" + name);
        writeScratchFile("tilesets/collected-" + name, readFileBytes("tests/data/bad/tileset/" + name));
        std::string rows;
        for (int r = 0; r < 3; ++r) {
            rows += "<Row>";
            for (int c = 0; c <= 12; ++c)
                rows += std::to_string(c) + ",";
            rows += "4294967295</Row>";
        }
        writeScratchFile("levels/with-tileset-" + name,
                         R"X(<Level size="(20, 10)" gravity="(0, 10)"><Layers>)X" + std::string(kSky) +
                             R"X(<TileMapLayer id="ground" tileSetFilename="collected-)X" + name +
                             R"X(" enablePhysics="1"><Objects><ProbeObject id="box" box="(0.5, 0.5)" density="1"
                             position="(2.5, -2)"/></Objects><Row/><Row/><Row/>)X" + rows +
                             "</TileMapLayer></Layers></Level>");
        playEveryMode("levels/with-tileset-" + name);
    }
}
