#include "WorldTestSupport.h"

#include "world/ScreenCoverage.h"
#include "world/TileMapLayer.h"
#include "world/TileSet.h"

#include <gtest/gtest.h>

#include <cmath>
#include <regex>

namespace {

std::unique_ptr<Level> tileLevel(const std::string& layerAttributes, const std::string& rows,
                                 const std::string& size = "(40, 10)", const std::string& before = "")
{
    writeTestTileSet();
    return makeLevel("<Level size=\"" + size + "\"><Layers>" + before + "<TileMapLayer tileSetFilename=\"test.xml\" "
                     + layerAttributes + ">" + rows + "</TileMapLayer></Layers></Level>");
}

TileMapLayer* tiles(Level& level)
{
    return dynamic_cast<TileMapLayer*>(level.getLayers().back());
}

} // namespace

TEST(TileMap, OnlyEqualSimpleBoxesInARowBecomeOneBoxWithTheLayersCollisionBits)
{
    // Two layers before the map give it index 2.
    auto level = tileLevel("enablePhysics=\"1\"", "<Row>1,1,1,0,2</Row>", "(40, 10)",
                           "<ImageLayer imageFilename=\"bg-sky.png\"/><ImageLayer imageFilename=\"bg-sky.png\"/>");
    auto fixtures = groundFixtures(*level);
    ASSERT_EQ(fixtures.size(), 2u);
    EXPECT_EQ(polygonBounds(fixtures[0]), std::make_pair(b2Vec2(0, 0), b2Vec2(3, 1)));
    EXPECT_FLOAT_EQ(fixtures[0]->GetFriction(), 0.5f);
    EXPECT_FLOAT_EQ(fixtures[0]->GetRestitution(), 0.25f);
    EXPECT_EQ(polygonBounds(fixtures[1]), std::make_pair(b2Vec2(4, 0), b2Vec2(5, 1)));
    EXPECT_EQ(static_cast<b2PolygonShape*>(fixtures[1]->GetShape())->m_count, 3);
    EXPECT_FLOAT_EQ(fixtures[1]->GetFriction(), 0.9f);
    for (b2Fixture* f : fixtures) {
        EXPECT_EQ(f->GetFilterData().categoryBits, 4);
        EXPECT_EQ(f->GetFilterData().maskBits, 4);
    }

    // Tile 4 has two shapes and tile 5 is a unit square written as a polygon: neither merges.
    auto mixed = tileLevel("enablePhysics=\"1\"", "<Row>4,4,5,5,1</Row><Row>1,0,1</Row>");
    EXPECT_EQ(groundFixtures(*mixed).size(), 4u + 2u + 1u + 2u);
    auto noPhysics = tileLevel("", "<Row>1,1,1</Row>");
    EXPECT_TRUE(groundFixtures(*noPhysics).empty());

    // Without defaults a tile set's shapes neither bounce nor grip; a tile without an id is tile 0, never drawn.
    writeScratchFile("tilesets/plain.xml", "<TileSet imageFilename=\"ground.png\"><Tile id=\"1\" position=\"(8, 8)\">"
                                           "<Shapes><Simple1x1BoxShape/></Shapes></Tile><Tile position=\"(88, 8)\"/></TileSet>");
    auto plain = makeLevel("<Level size=\"(4, 2)\"><Layers><TileMapLayer tileSetFilename=\"plain.xml\" enablePhysics=\"1\">"
                           "<Row>1</Row></TileMapLayer></Layers></Level>");
    ASSERT_EQ(groundFixtures(*plain).size(), 1u) << "tile 1 lost its shape";
    EXPECT_EQ(groundFixtures(*plain)[0]->GetRestitution(), 0.0f);
    EXPECT_EQ(groundFixtures(*plain)[0]->GetFriction(), 0.0f);
}

TEST(TileMap, RowsOfDifferentLengthsArePaddedWithEmptyCells)
{
    auto level = tileLevel("", "<Row>1, 2 ,3</Row><Row> 1,1,1,1,2 </Row><Row/><Row>2,1,x,1</Row>");
    TileMapLayer* layer = tiles(*level);
    EXPECT_EQ(layer->getWidth(), 5);
    EXPECT_EQ(layer->getHeight(), 4) << "a row without text still counts";
    // The last row ends at the first text that is not a number.
    const char* expected[] = {"12300", "11112", "00000", "21000"};
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(layer->getTile(x, y), unsigned(expected[y][x] - '0')) << x << ", " << y;
}

TEST(TileMap, InvisibleTilesCollideButAreNotDrawn)
{
    auto level = tileLevel("enablePhysics=\"1\"", "<Row>3,3,3,1,3</Row>", "(5, 3)");
    auto fixtures = groundFixtures(*level);
    ASSERT_EQ(fixtures.size(), 3u);
    EXPECT_FLOAT_EQ(fixtures[0]->GetRestitution(), 0.75f);
    EXPECT_EQ(polygonBounds(fixtures[0]).second, b2Vec2(3, 1));
    auto polygons = captureFeedback([&] { renderLevel(*level); });
    EXPECT_EQ(polygons.size(), 2u) << "only the visible tile 1 (one quad, fed back as two triangles)";
}

TEST(TileMap, DrawsOnlyTheMapsCellsEvenWhenTheViewIsWider)
{
    // A 5 x 2 map in a 40 x 20 level: the whole level is in view, so cells past
    // the map's right and bottom edges would show up if they were drawn.
    auto level = tileLevel("z=\"0\"", "<Row>1,2,0,1,1</Row><Row>0,0,1</Row>", "(40, 20)");
    level->zoom = 10.0f;
    level->cameraPosition = Vec2f(0, 0);
    auto polygons = captureFeedback([&] { renderLevel(*level); });
    ASSERT_EQ(polygons.size(), 2u * 5u) << "five quads, each fed back as two triangles";
    // The camera is pushed to the level's top-left corner; one unit is 768 / 20 pixels.
    float unit = 768.0f / 20.0f;
    for (const auto& polygon : polygons) {
        for (const auto& v : polygon) {
            EXPECT_LE(v.x, 5.0f * unit + 0.5f);
            EXPECT_GE(768.0f - v.y, -0.5f);
            EXPECT_LE(768.0f - v.y, 2.0f * unit + 0.5f);
        }
    }
    // The first quad is tile 1 of cell (0, 0), whose picture starts at pixel (8, 8) of the image.
    const Texture& image = *tiles(*level)->getTileSet()->getTexture();
    EXPECT_NEAR(polygons[0][0].s * image.getWidth(), 8.0f, 1e-2f);
    EXPECT_NEAR(polygons[0][0].t * image.getHeight(), 8.0f, 1e-2f);
}

TEST(TileMap, LayersBehindLeaveOutOnlyWhatTheGroundAndTheHillsPaintOver)
{
    // Shipped levels drawn as they are (the layers behind the ground and the
    // hills leave out what those paint over) and with every layer at 0.999
    // alpha (nothing is left out) must give the same frame: a pixel of the sky
    // or the hills left out where a nearer layer does not quite cover it shows
    // another colour instead. The views magnify the tiles, shrink them to the
    // mip levels, and sit off the window's corner as in split screen.
    struct View {
        float zoom;
        int viewport[4];
    };
    const View views[] = {{4.0f, {0, 0, 1024, 768}}, {24.0f, {0, 0, 1024, 768}}, {9.0f, {200, 384, 824, 384}}};
    auto frame = [](const std::string& xml, const View& view, double* area) {
        auto level = makeLevel(xml);
        level->zoom = view.zoom;
        level->cameraPosition = Vec2f(float(level->getSize().x) * 0.37f, float(level->getSize().y) * 0.71f);
        glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        auto draw = [&] {
            testEngine().setViewport(view.viewport[0], view.viewport[1], view.viewport[2], view.viewport[3]);
            glMatrixMode(GL_PROJECTION);
            glLoadIdentity();
            glMatrixMode(GL_MODELVIEW);
            glLoadIdentity();
            level->render(nullptr);
        };
        *area = 0.0;
        for (const FeedbackPolygon& p : captureFeedback(draw)) {
            double twice = 0.0;
            for (size_t i = 0; i < p.size(); ++i)
                twice += p[i].x * p[(i + 1) % p.size()].y - p[(i + 1) % p.size()].x * p[i].y;
            *area += std::fabs(twice) / 2.0;
        }
        draw();
        std::vector<uint8_t> pixels(1024 * 768 * 4);
        glReadPixels(0, 0, 1024, 768, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
        return pixels;
    };
    // And a level of our own whose ground lies well behind the players' layer.
    writeTestTileSet();
    std::string deep = "<Level size=\"(40, 30)\"><Layers><ImageLayer imageFilename=\"bg-sky.png\" z=\"20\"/>"
                       "<TileMapLayer tileSetFilename=\"test.xml\" z=\"3\">";
    for (int y = 0; y < 30; ++y)
        deep += y % 7 < 4 ? "<Row>0,0,1,1,1,1,1,1,0,0,0,1,1,1,1,1,1,1,1,1,0,0,0,1,1,1,1,1,1,1,1,0,0,1,1,1,1,1,1,1</Row>"
                            : "<Row/>";
    deep += "</TileMapLayer></Layers></Level>";
    for (const std::string& name : {std::string("koenigshuegel"), std::string("schlucht"), std::string("wiese"), deep}) {
        std::string xml = name[0] == '<' ? name : readFileBytes(testEngine().findFile("levels/" + name + ".xml"));
        ASSERT_FALSE(xml.empty()) << name;
        // The objects' kinds are not part of these tests; the layers are what counts.
        for (size_t at; (at = xml.find("<Objects>")) != std::string::npos;)
            xml.erase(at, xml.find("</Objects>", at) + 10 - at);
        // Clouds in front of the ground are not hidden by it.
        xml.insert(xml.find("</Layers>"), "<ImageLayer imageFilename=\"bg-clouds.png\" z=\"-0.5\" tiling=\"(2, 6)\"/>");
        // The same level with every layer of full alpha a shade short of it.
        std::string translucent = std::regex_replace(xml, std::regex(R"X(color="\(([^)]*), 1\))X"), R"X(color="($1, 0.999))X");
        translucent = std::regex_replace(translucent, std::regex(R"X(<(TileMapLayer|ImageLayer)((?:(?!color=)[^>])*)>)X"),
                                         R"X(<$1 color="(1, 1, 1, 0.999)"$2>)X");
        for (const View& view : views) {
            SCOPED_TRACE(testing::Message() << (name[0] == '<' ? "the deep ground" : name) << " zoom " << view.zoom
                                            << " viewport x " << view.viewport[0]);
            double opaqueArea = 0.0, translucentArea = 0.0;
            const std::vector<uint8_t> opaque = frame(xml, view, &opaqueArea);
            const std::vector<uint8_t> shaded = frame(translucent, view, &translucentArea);
            int worst = 0;
            for (size_t i = 0; i < opaque.size(); ++i)
                worst = std::max(worst, std::abs(opaque[i] - shaded[i]) * (i % 4 != 3));
            EXPECT_LE(worst, 2);
            EXPECT_LT(opaqueArea, translucentArea * 0.9) << "the ground hides a tenth of what lies behind";
        }
    }
}

TEST(ScreenCoverage, HidesWhatOpaqueRectanglesCoverAndWhatLiesOutsideTheView)
{
    // 60 pixels wide: the last column of blocks reaches beyond the view.
    const int viewport[4] = {0, 0, 60, 32};
    ScreenCoverage coverage;
    coverage.reset(viewport);
    coverage.addOpaque({3.0f, 0.0f, 20.0f, 32.0f});
    coverage.addOpaque({40.0f, 0.0f, 60.0f, 32.0f});
    const std::pair<WindowRect, bool> cases[] = {
        {{6, 4, 16, 28}, true},
        {{0.5f, 2, 1.5f, 6}, false}, // left of it, in the blocks the rectangle starts in
        {{22, 4, 30, 28}, false},
        {{50, 4, 59.9f, 28}, true},
        {{-20, -20, -5, -5}, true},
    };
    for (const auto& [rect, hidden] : cases)
        EXPECT_EQ(coverage.hides(rect), hidden) << rect.x0 << ", " << rect.y0 << " to " << rect.x1 << ", " << rect.y1;
}

TEST(TileMap, TheOpaquePartOfEveryShippedTileIsDrawnWithFullAlpha)
{
    // Every tile of the ground set in an 8-wide grid at the level's top-left
    // corner, drawn over black and over white, magnified and shrunk so that
    // the GL reads up to mip level 3: inside a tile's opaque part the two must
    // not differ.
    const TileSet set(&testEngine(), "ground.xml");
    std::vector<unsigned> ids;
    for (unsigned id = 1; id < 100; ++id)
        if (set.findTile(id))
            ids.push_back(id);
    std::string rows;
    for (size_t i = 0; i < ids.size(); i += 8) {
        rows += "<Row>";
        for (size_t j = i; j < std::min(i + 8, ids.size()); ++j)
            rows += std::to_string(ids[j]) + ",";
        rows += "</Row>";
    }
    for (float zoom : {4.0f, 12.0f, 22.0f, 24.0f}) {
        SCOPED_TRACE(testing::Message() << "zoom " << zoom);
        std::vector<uint8_t> over[2];
        std::unique_ptr<Level> level;
        for (int white = 0; white < 2; ++white) {
            const std::string grey = white ? "1" : "0";
            level = makeLevel("<Level size=\"(64, 48)\" backgroundColor=\"(" + grey + ", " + grey + ", " + grey +
                                   ", 1)\"><Layers><TileMapLayer tileSetFilename=\"ground.xml\" z=\"0\">" + rows +
                                   "</TileMapLayer></Layers></Level>");
            level->zoom = zoom;
            level->cameraPosition = Vec2f(0.0f, 0.0f);
            renderLevel(*level);
            over[white].resize(1024 * 768 * 4);
            glReadPixels(0, 0, 1024, 768, GL_RGBA, GL_UNSIGNED_BYTE, over[white].data());
        }
        const float cell = 768.0f / (2.0f * zoom);
        const TileSet& drawn = *tiles(*level)->getTileSet();
        for (size_t i = 0; i < ids.size(); ++i) {
            const CellPart part = TileSet::opaquePart(*drawn.findTile(ids[i]), 64.0f / cell);
            const float left = float(i % 8) * cell, top = float(i / 8) * cell;
            for (int y = int(top + part.y0 * cell); y < int(top + part.y1 * cell) + 1; ++y) {
                for (int x = int(left + part.x0 * cell); x < int(left + part.x1 * cell) + 1; ++x) {
                    if (x + 0.5f <= left + part.x0 * cell || x + 0.5f >= left + part.x1 * cell ||
                        y + 0.5f <= top + part.y0 * cell || y + 0.5f >= top + part.y1 * cell)
                        continue;
                    const size_t at = (size_t(767 - y) * 1024 + size_t(x)) * 4;
                    ASSERT_LE(std::abs(over[0][at] - over[1][at]), 1) << "tile " << ids[i] << " pixel " << x << ", " << y;
                }
            }
        }
        if (zoom <= 12.0f) {
            const CellPart dirt = TileSet::opaquePart(*drawn.findTile(1), 64.0f / cell);
            EXPECT_TRUE(dirt.x0 == 0.0f && dirt.y0 == 0.0f && dirt.x1 == 1.0f && dirt.y1 == 1.0f)
                << "plain dirt is opaque to its edges";
        }
    }
}
