#include "WorldTestSupport.h"

#include "support/TestEngine.h"
#include "world/ImageLayer.h"
#include "world/Layer.h"
#include "world/TileMapLayer.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

namespace {

ImageLayer* imageLayer(Level& level)
{
    return dynamic_cast<ImageLayer*>(level.getLayers().front());
}

} // namespace

TEST(ImageLayer, ReadsItsAttributes)
{
    auto level = makeLevel(R"X(<Level size="(40, 10)"><Layers>
        <ImageLayer imageFilename="bg-sky.png" imageOffset="(3, 4)" tiling="(2, 1)" movement="(30, 0)"/>
        <ImageLayer imageFilename="bg-clouds.png"/></Layers></Level>)X");
    ImageLayer* layer = imageLayer(*level);
    EXPECT_EQ(layer->getImageOffset(), Vec2f(3, 4));
    EXPECT_EQ(layer->getTiling(), Vec2f(2, 1));
    EXPECT_EQ(layer->getMovement(), Vec2f(30, 0));
    auto* plain = dynamic_cast<ImageLayer*>(level->getLayers().back());
    EXPECT_EQ(plain->getImageOffset(), Vec2f(0, 0));
    EXPECT_EQ(plain->getTiling(), Vec2f(1, 1));
    EXPECT_EQ(plain->getMovement(), Vec2f(0, 0));
    EXPECT_TRUE(plain->getTexture()->isLoaded());
}

TEST(ImageLayer, ScrollsByItsMovementAndTilesTheImage)
{
    auto level = makeLevel(R"X(<Level size="(40, 30)"><Layers>
        <ImageLayer imageFilename="bg-sky.png" z="0" tiling="(2, 1)" movement="(30, 0)"/>
        <ImageLayer imageFilename="bg-sky.png" visible="0" movement="(0, 5)"/></Layers></Level>)X");
    for (int i = 0; i < 120; ++i)
        level->update();
    ImageLayer* layer = imageLayer(*level);
    EXPECT_NEAR(layer->getScroll().x, 60.0f, 1e-3f);
    auto* hidden = dynamic_cast<ImageLayer*>(level->getLayers().back());
    EXPECT_NEAR(hidden->getScroll().y, 10.0f, 1e-3f) << "a hidden layer still scrolls";

    // Exactly the whole level in view, so the quad's corners are not clipped away;
    // nothing comes from the hidden layer.
    level->zoom = 15.0f;
    auto polygons = captureFeedback([&] { renderLevel(*level); });
    ASSERT_FALSE(polygons.empty());
    const Texture& image = *layer->getTexture();
    float minS = 1e9f, maxS = -1e9f, minT = 1e9f, maxT = -1e9f;
    for (const auto& polygon : polygons) {
        for (const auto& v : polygon) {
            minS = std::min(minS, v.s * image.getWidth());
            maxS = std::max(maxS, v.s * image.getWidth());
            minT = std::min(minT, v.t * image.getHeight());
            maxT = std::max(maxT, v.t * image.getHeight());
        }
    }
    EXPECT_NEAR(minS, -60.0f, 0.05f);
    EXPECT_NEAR(maxS, -60.0f + 2.0f * image.getWidth(), 0.05f);
    EXPECT_NEAR(minT, 0.0f, 0.05f);
    EXPECT_NEAR(maxT, float(image.getHeight()), 0.05f);
}

TEST(ImageLayer, DrawsOnlyObjectsWhoseCullingCircleReachesTheView)
{
    // The camera is pushed to the left end: the view spans x 0 to 13.33 and y 0 to 10.
    auto level = makeLevel(R"X(<Level size="(100, 10)"><Layers>
        <ImageLayer imageFilename="bg-sky.png" z="0"><Objects>
          <ProbeObject id="a" cullRadius="1" position="(6, 5)"/>
          <ProbeObject id="near" cullRadius="1" position="(5, 5)"/>
          <ProbeObject id="edge" cullRadius="1" position="(14, 5)"/>
          <ProbeObject id="far" cullRadius="1" position="(80, 5)"/>
          <ProbeObject id="always" cullRadius="0" position="(80, 5)"/>
        </Objects></ImageLayer></Layers></Level>)X");
    std::vector<std::string> log;
    for (auto& entry : imageLayer(*level)->getObjects())
        static_cast<ProbeObject*>(entry.second)->renderLog = &log;
    level->zoom = 5.0f;
    level->cameraPosition = Vec2f(0, 0);
    renderLevel(*level);
    EXPECT_EQ(log, (std::vector<std::string>{"a", "always", "edge", "near"}));

    log.clear();
    renderLevel(*level, level->findObject("a"));
    EXPECT_EQ(log, (std::vector<std::string>{"always", "edge", "near", "a"})) << "the viewport's player goes on top";

    log.clear();
    level->cameraPosition = Vec2f(80, 5);
    renderLevel(*level);
    EXPECT_EQ(log, (std::vector<std::string>{"always", "far"}));
}

TEST(ImageLayer, ObjectsDrawSpritesOnTheirBodies)
{
    auto level = makeLevel(R"X(<Level size="(40, 30)"><Layers>
        <ImageLayer imageFilename="bg-sky.png" z="0"><Objects>
          <ProbeObject id="p" box="(1, 1)" position="(20, 15)"/></Objects></ImageLayer></Layers></Level>)X");
    auto* probe = static_cast<ProbeObject*>(level->findObject("p"));
    Engine& engine = testEngine();
    engine.setViewport(0, 0, 1024, 768);
    glMatrixMode(GL_TEXTURE);
    glLoadIdentity();
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, 40, 30, 0, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    auto polygons = captureFeedback([&] {
        probe->drawSprite(0, Vec2i(10, 20), Vec2i(30, 40), false, RGBA(1, 1, 1, 1), Vec2f(4, 2));
    });
    ASSERT_EQ(polygons.size(), 2u);
    const FeedbackVertex& first = polygons[0][0];
    EXPECT_NEAR(first.x, 18.0f * 1024.0f / 40.0f, 0.5f);
    EXPECT_NEAR(768.0f - first.y, 14.0f * 768.0f / 30.0f, 0.5f);
    EXPECT_NEAR(first.s, 10.0f, 1e-3f);
    EXPECT_NEAR(first.t, 20.0f, 1e-3f);

    probe->setAngle(3.1415927f);
    auto turned = captureFeedback([&] {
        probe->drawSprite(0, Vec2i(10, 20), Vec2i(30, 40), true, RGBA(1, 1, 1, 1), Vec2f(4, 2));
    });
    ASSERT_EQ(turned.size(), 2u);
    // Turned half way and mirrored: the first corner lands at (20 - 2, 15 + 1).
    EXPECT_NEAR(turned[0][0].x, 18.0f * 1024.0f / 40.0f, 0.5f);
    EXPECT_NEAR(768.0f - turned[0][0].y, 16.0f * 768.0f / 30.0f, 0.5f);
    EXPECT_NEAR(turned[0][0].s, 10.0f, 1e-3f);
}

TEST(LevelFile, EveryLayerKindWithMalformedPartsLoadsWithMessages)
{
    writeTestTileSet();
    writeScratchFile("tilesets/bad.xml", R"X(<TileSet imageFilename="ground.png" defaultTileSize="(64, 64)">
        <Tile id="1" position="(8, 8)"><Shapes><Simple1x1BoxShape/><CircleShape/></Shapes></Tile>
        <Tile id="2"><Shapes><Simple1x1BoxShape/></Shapes></Tile>
        <Tile id="3" position="(8, 8)"><Shapes>
          <PolygonShape vertices="(0, 0),(1, 0),(1, 1),(0.9, 1),(0.8, 1),(0.7, 1),(0.6, 1),(0.5, 1),(0, 1)"/>
          <PolygonShape vertices="(0, 0),(1, 1),(2, 2)"/></Shapes></Tile>
        <Sprite/>
      </TileSet>)X");
    writeScratchFile("levels/malformed.xml", R"X(<Level size="(30, 10)" gravity="(0, 10)"><Layers>
        <ImageLayer id="sky" imageFilename="bg-sky.png" movement="(5, 0)"/>
        <ImageLayer id="nowhere" imageFilename="no-such-image.png"/>
        <ImageLayer id="blank"/>
        <ParticleLayer id="sparks"/>
        <TileMapLayer id="lost" tileSetFilename="no-such-set.xml"/>
        <TileMapLayer id="ground" tileSetFilename="bad.xml" enablePhysics="1">
          <Objects><ProbeObject id="box" box="(0.5, 0.5)" density="1" position="(1, -1)"/><Ghost/></Objects>
          <Row>1,1,2,3,7,1</Row>
        </TileMapLayer>
        <TileMapLayer id="plain" tileSetFilename="test.xml"><Row>1,2</Row></TileMapLayer>
      </Layers></Level>)X");
    registerProbeTypes();
    static const ParameterMap params;
    testing::internal::CaptureStderr();
    std::unique_ptr<Level> level(Level::load(&testEngine(), "levels/malformed.xml", &params));
    std::string messages = testing::internal::GetCapturedStderr();
    ASSERT_NE(level, nullptr);
    for (const char* expected :
         {"tilesets/bad.xml: Tile 1: CircleShape: unknown shape", "tilesets/bad.xml: Tile 2: has no \"position\"",
          "tilesets/bad.xml: Tile 3: PolygonShape: a polygon may have at most 8 vertices",
          "tilesets/bad.xml: Tile 3: PolygonShape: the polygon is degenerate", "tilesets/bad.xml: Sprite: unknown element",
          "levels/malformed.xml: ImageLayer \"nowhere\": image \"sprites/no-such-image.png\" cannot be loaded",
          "levels/malformed.xml: ImageLayer \"blank\": has no \"imageFilename\"",
          "levels/malformed.xml: ParticleLayer: unknown layer kind",
          "levels/malformed.xml: TileMapLayer \"lost\": tile set \"tilesets/no-such-set.xml\" cannot be read",
          "levels/malformed.xml: Ghost: unknown object type",
          "levels/malformed.xml: TileMapLayer \"ground\": Row 1: tile 2 is not in the tile set",
          "levels/malformed.xml: TileMapLayer \"ground\": Row 1: tile 7 is not in the tile set"}) {
        EXPECT_NE(messages.find(std::string("zorbel: ") + expected), std::string::npos) << expected << "\n" << messages;
    }

    std::vector<std::string> ids;
    for (Layer* layer : level->getLayers())
        ids.push_back(layer->getId() + "@" + std::to_string(layer->getIndex()));
    EXPECT_EQ(ids, (std::vector<std::string>{"sky@0", "ground@5", "plain@6"}));
    auto* ground = dynamic_cast<TileMapLayer*>(level->findLayer("ground"));
    EXPECT_EQ(ground->getTile(2, 0), 0u);
    EXPECT_EQ(ground->getTile(3, 0), 3u) << "tile 3 exists, without shapes";
    EXPECT_EQ(ground->getTile(5, 0), 1u);
    EXPECT_EQ(groundFixtures(*level).size(), 2u) << "the run of two boxes and the single box at x = 5";

    for (int i = 0; i < 60; ++i)
        level->update();
    EXPECT_NEAR(level->findObject("box")->getPosition().y, -0.5f, 0.05f);
    renderLevel(*level);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}
