#include "WorldTestSupport.h"

#include "support/TestEngine.h"
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

TEST(TileMap, EqualSimpleBoxesInARowBecomeOneBox)
{
    auto level = tileLevel("enablePhysics=\"1\"", "<Row>1,1,1,0,2</Row>");
    auto fixtures = groundFixtures(*level);
    ASSERT_EQ(fixtures.size(), 2u);
    auto box = polygonBounds(fixtures[0]);
    EXPECT_EQ(box.first, b2Vec2(0, 0));
    EXPECT_EQ(box.second, b2Vec2(3, 1));
    EXPECT_EQ(static_cast<b2PolygonShape*>(fixtures[0]->GetShape())->m_count, 4);
    EXPECT_FLOAT_EQ(fixtures[0]->GetFriction(), 0.5f);
    EXPECT_FLOAT_EQ(fixtures[0]->GetRestitution(), 0.25f);
    auto triangle = polygonBounds(fixtures[1]);
    EXPECT_EQ(triangle.first, b2Vec2(4, 0));
    EXPECT_EQ(triangle.second, b2Vec2(5, 1));
    EXPECT_EQ(static_cast<b2PolygonShape*>(fixtures[1]->GetShape())->m_count, 3);
    EXPECT_FLOAT_EQ(fixtures[1]->GetFriction(), 0.9f);
    for (b2Fixture* f : fixtures) {
        EXPECT_EQ(f->GetFilterData().categoryBits, 1);
        EXPECT_FALSE(f->IsSensor());
        EXPECT_EQ(f->GetDensity(), 0.0f);
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
    EXPECT_EQ(layer->getTile(0, 0), 1u);
    EXPECT_EQ(layer->getTile(1, 0), 2u);
    EXPECT_EQ(layer->getTile(2, 0), 3u);
    EXPECT_EQ(layer->getTile(3, 0), 0u);
    EXPECT_EQ(layer->getTile(4, 0), 0u);
    EXPECT_EQ(layer->getTile(4, 1), 2u);
    EXPECT_EQ(layer->getTile(0, 2), 0u);
    EXPECT_EQ(layer->getTile(1, 3), 1u);
    EXPECT_EQ(layer->getTile(2, 3), 0u) << "the row ends at the first text that is not a number";
    EXPECT_EQ(layer->getTile(3, 3), 0u);
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

TEST(TileMap, ShapesTakeTheCollisionBitsOfTheLayerIndex)
{
    auto level = tileLevel("enablePhysics=\"1\"", "<Row>1,0,2</Row>", "(40, 10)",
                           "<ImageLayer imageFilename=\"bg-sky.png\"/><ImageLayer imageFilename=\"bg-sky.png\"/>");
    ASSERT_EQ(tiles(*level)->getIndex(), 2);
    auto fixtures = groundFixtures(*level);
    ASSERT_EQ(fixtures.size(), 2u);
    for (b2Fixture* f : fixtures) {
        EXPECT_EQ(f->GetFilterData().categoryBits, 4);
        EXPECT_EQ(f->GetFilterData().maskBits, 4);
        EXPECT_EQ(f->GetFilterData().groupIndex, 0);
    }
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

TEST(TileMap, RealGroundTileSetLoads)
{
    TileSet set(&testEngine(), "ground.xml");
    ASSERT_TRUE(set.isLoaded());
    const Tile* dirt = set.findTile(1);
    ASSERT_NE(dirt, nullptr);
    EXPECT_TRUE(dirt->isSimpleBox);
    EXPECT_EQ(dirt->size, Vec2i(64, 64));
    EXPECT_EQ(dirt->position, Vec2i(8, 8));
    ASSERT_EQ(dirt->shapes.size(), 1u);
    EXPECT_FLOAT_EQ(dirt->shapes.front().friction, 0.8f);
    EXPECT_TRUE(set.getTexture()->isLoaded());
    EXPECT_EQ(set.findTile(0), nullptr);
    TileSet missing(&testEngine(), "nothing.xml");
    EXPECT_FALSE(missing.isLoaded());
}
