#include "WorldTestSupport.h"

#include "world/TileMapLayer.h"
#include "world/TileSet.h"

#include <gtest/gtest.h>

#include <cmath>

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

TEST(TileMap, EqualSimpleBoxesInARowBecomeOneBoxWithTheLayersCollisionBits)
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
}

TEST(TileMap, OnlySimpleBoxTilesMerge)
{
    // Tile 4 has two shapes and tile 5 is a unit square written as a polygon: neither merges.
    auto level = tileLevel("enablePhysics=\"1\"", "<Row>4,4,5,5,1</Row><Row>1,0,1</Row>");
    EXPECT_EQ(groundFixtures(*level).size(), 4u + 2u + 1u + 2u);
    auto noPhysics = tileLevel("", "<Row>1,1,1</Row>");
    EXPECT_TRUE(groundFixtures(*noPhysics).empty());
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
