#include "WorldTestSupport.h"

#include "support/TestEngine.h"
#include "world/ImageLayer.h"
#include "world/Layer.h"
#include "world/TileMapLayer.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>
#include <array>

namespace {

ImageLayer* imageLayer(Level& level)
{
    return dynamic_cast<ImageLayer*>(level.getLayers().front());
}

} // namespace

TEST(ImageLayer, ScrollsByItsMovementAndTilesTheImageFromItsOffset)
{
    auto level = makeLevel(R"X(<Level size="(40, 30)"><Layers>
        <ImageLayer imageFilename="bg-sky.png" z="0" imageOffset="(3, 4)" tiling="(2, 1)" movement="(30, 0)"/>
        <ImageLayer imageFilename="bg-sky.png" visible="0" movement="(0, 5)"/></Layers></Level>)X");
    updates(*level, 120);
    ImageLayer* layer = imageLayer(*level);
    auto* hidden = dynamic_cast<ImageLayer*>(level->getLayers().back());
    EXPECT_NEAR(hidden->getScroll().y, 10.0f, 1e-3f) << "a hidden layer still scrolls";

    // Exactly the whole level in view, so the quad's corners are not clipped away;
    // nothing comes from the hidden layer.
    level->zoom = 15.0f;
    auto polygons = captureFeedback([&] { renderLevel(*level); });
    ASSERT_FALSE(polygons.empty());
    const Texture& image = *layer->getTexture();
    const auto [lo, hi] = feedbackBounds(polygons);
    // Two seconds at 30 pixels a second, from the offset (3, 4), twice across.
    EXPECT_NEAR(lo.s * image.getWidth(), -63.0f, 0.05f);
    EXPECT_NEAR(hi.s * image.getWidth(), -63.0f + 2.0f * image.getWidth(), 0.05f);
    EXPECT_NEAR(lo.t * image.getHeight(), -4.0f, 0.05f);
    EXPECT_NEAR(hi.t * image.getHeight(), image.getHeight() - 4.0f, 0.05f);
}

TEST(ImageLayer, ItsColourAndAMultiplyingLayerTintWhatTheyDraw)
{
    auto centre = [](int blendMode, const char* colour) {
        auto level = makeLevel(R"X(<Level size="(40, 30)" backgroundColor="(0.5, 1, 0.25, 1)"><Layers>
            <ImageLayer imageFilename="bg-sky.png" blendMode=")X" + std::to_string(blendMode) + "\" color=\"" + colour
                               + R"X("/></Layers></Level>)X");
        renderLevel(*level);
        return windowPixel(Vec2i(512, 383));
    };
    const auto image = centre(0, "(1, 1, 1, 1)");
    const auto tinted = centre(4, "(1, 1, 1, 1)");
    const auto coloured = centre(0, "(1, 0.5, 0.25, 1)");
    const float sky[3] = {0.5f, 1.0f, 0.25f};
    const float colour[3] = {1.0f, 0.5f, 0.25f};
    for (int c = 0; c < 3; ++c) {
        EXPECT_NEAR(tinted[c], image[c] * sky[c], 2.0f) << "channel " << c;
        EXPECT_NEAR(coloured[c], image[c] * colour[c], 2.0f) << "channel " << c;
    }
}

TEST(ImageLayer, DrawsOnlyObjectsWhoseCullingCircleReachesTheView)
{
    // Zoom 5 and aspect 4/3: with the camera at (50, 5) the view spans x 43.33 to 56.67 and y 0 to 10.
    struct Case {
        Vec2f at;
        float radius;
        bool drawn;
    };
    const Case cases[] = {
        {{50, 5}, 1, true},       {{42.5f, 5}, 1, true},  {{42.2f, 5}, 1, false}, {{57.5f, 5}, 1, true},
        {{57.8f, 5}, 1, false},   {{50, 10.8f}, 1, true}, {{50, 11.2f}, 1, false}, {{50, -0.8f}, 1, true},
        {{50, -1.2f}, 1, false},  {{80, 5}, 0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "at " << c.at.x << ", " << c.at.y << " radius " << c.radius);
        auto level = makeLevel(R"X(<Level size="(100, 10)"><Layers><ImageLayer imageFilename="bg-sky.png" z="0">
            <Objects><ProbeObject id="p" position="()X" + std::to_string(c.at.x) + ", "
                               + std::to_string(c.at.y) + ")\" cullRadius=\"" + std::to_string(c.radius)
                               + "\"/></Objects></ImageLayer></Layers></Level>");
        ProbeObject* p = probe(*level, "p");
        level->zoom = 5.0f;
        level->cameraPosition = Vec2f(50, 5);
        renderLevel(*level);
        EXPECT_EQ(p->renders, c.drawn ? 1 : 0);
    }
}

TEST(ImageLayer, TheViewportsPlayerIsDrawnLast)
{
    auto level = makeLevel(R"X(<Level size="(100, 10)"><Layers><ImageLayer imageFilename="bg-sky.png" z="0"><Objects>
          <ProbeObject id="a"/><ProbeObject id="b"/><ProbeObject id="c"/></Objects></ImageLayer></Layers></Level>)X");
    std::vector<std::string> log;
    for (auto& entry : imageLayer(*level)->getObjects())
        static_cast<ProbeObject*>(entry.second)->renderLog = &log;
    renderLevel(*level, level->findObject("a"));
    EXPECT_EQ(log, (std::vector<std::string>{"b", "c", "a"}));
}

TEST(ImageLayer, ObjectsDrawSpritesOnTheirBodies)
{
    auto level = makeLevel(R"X(<Level size="(40, 30)"><Layers>
        <ImageLayer imageFilename="bg-sky.png" z="0"><Objects>
          <ProbeObject id="p" box="(1, 1)" position="(20, 15)"/></Objects></ImageLayer></Layers></Level>)X");
    auto* probe = static_cast<ProbeObject*>(level->findObject("p"));
    testEngine().setViewport(0, 0, 1024, 768);
    glMatrixMode(GL_TEXTURE);
    glLoadIdentity();
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, 40, 30, 0, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    probe->setAngle(3.1415927f);
    auto turned = captureFeedback([&] {
        probe->drawSprite(0, Vec2i(10, 20), Vec2i(30, 40), true, RGBA(1, 1, 1, 1), Vec2f(4, 2));
    });
    ASSERT_EQ(turned.size(), 2u);
    // Turned half way and mirrored: the first corner lands at (20 - 2, 15 + 1).
    EXPECT_NEAR(turned[0][0].x, 18.0f * 1024.0f / 40.0f, 0.5f);
    EXPECT_NEAR(768.0f - turned[0][0].y, 16.0f * 768.0f / 30.0f, 0.5f);
    EXPECT_NEAR(turned[0][0].s, 10.0f, 1e-3f);
    EXPECT_NEAR(turned[0][0].t, 20.0f, 1e-3f);
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
    std::unique_ptr<Level> level;
    const std::string messages = stderrOf([&] { level.reset(Level::load(&testEngine(), "levels/malformed.xml", &params)); });
    ASSERT_NE(level, nullptr);
    for (const char* expected :
         {"tilesets/bad.xml: Tile 1: CircleShape: unknown shape", "tilesets/bad.xml: Tile 2: has no \"position\"",
          "tilesets/bad.xml: Tile 3: PolygonShape: a polygon may have at most 8 vertices",
          "tilesets/bad.xml: Tile 3: PolygonShape: the polygon is degenerate", "tilesets/bad.xml: Sprite: unknown element",
          "levels/malformed.xml: ImageLayer \"nowhere\": image \"sprites/no-such-image.png\" cannot be loaded",
          "levels/malformed.xml: ImageLayer \"blank\": has no \"imageFilename\"",
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

    updates(*level, 60);
    EXPECT_NEAR(level->findObject("box")->getPosition().y, -0.5f, 0.05f);
    renderLevel(*level);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}
