#include "WorldTestSupport.h"

#include "support/TestEngine.h"
#include "world/ImageLayer.h"
#include "world/Layer.h"
#include "world/Level.h"
#include "world/Physics.h"
#include "world/TileMapLayer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace {

int counterOf(const std::string& id, const std::string& prefix)
{
    EXPECT_EQ(id.rfind(prefix, 0), 0u) << id;
    return std::stoi(id.substr(prefix.size()));
}

const char* kSky = R"X(<ImageLayer imageFilename="bg-sky.png"/>)X";

} // namespace

TEST(Level, ReadsItsAndItsLayersAttributesAndKeepsDefaultsForWhatDoesNotParse)
{
    std::unique_ptr<Level> level;
    const std::string messages = stderrOf([&] {
        level = makeLevel(R"X(<Level size="(40, 10)" gravity="(0, 10)" musicFilename="level1.ogg"><Layers>
            <ImageLayer id="sky" imageFilename="bg-sky.png" z="2.5" color="(1, 0.5, 0.25, 0.75)" blendMode="3" visible="0"/>
            <FogLayer id="fog"/>
            <ImageLayer id="odd" imageFilename="bg-sky.png" z="deep" color="red" blendMode="x" visible="no"/>
          </Layers></Level>)X");
    });
    EXPECT_NE(messages.find("zorbel: test.xml: FogLayer: unknown layer kind; skipped\n"), std::string::npos) << messages;
    EXPECT_EQ(level->getWorld()->GetGravity(), b2Vec2(0, 10));
    EXPECT_EQ(level->getMusicFilename(), "level1.ogg");
    EXPECT_EQ(level->cameraPosition, Vec2f(20, 5)) << "the camera starts in the middle";
    ASSERT_EQ(level->getLayers().size(), 2u);
    Layer* sky = level->findLayer("sky");
    ASSERT_NE(sky, nullptr);
    EXPECT_FLOAT_EQ(sky->getZ(), 2.5f);
    EXPECT_EQ(sky->getColor(), RGBA(1, 0.5f, 0.25f, 0.75f));
    EXPECT_EQ(sky->getBlendMode(), 3);
    EXPECT_FALSE(sky->isVisible());
    Layer* odd = level->getLayers().back();
    EXPECT_EQ(odd->getIndex(), 2) << "the skipped element still takes an index";
    EXPECT_FLOAT_EQ(odd->getZ(), 1.0f);
    EXPECT_EQ(odd->getColor(), RGBA(1, 1, 1, 1));
    EXPECT_EQ(odd->getBlendMode(), 1);
    EXPECT_TRUE(odd->isVisible());
    EXPECT_EQ(dynamic_cast<ImageLayer&>(*odd).getTiling(), Vec2f(1, 1)) << "the picture once over the level";

    auto junk = makeLevel(R"X(<Level size="big" gravity="(0; 10)" backgroundColor="night"/>)X");
    EXPECT_EQ(junk->getSize(), Vec2i(0, 0));
    EXPECT_EQ(junk->getWorld()->GetGravity(), b2Vec2(0, 0));
    EXPECT_EQ(junk->getBackgroundColor(), RGBA(0, 0, 0, 1));
}

TEST(Level, LayersFromIndexSixteenOnAreReportedForTheirCollision)
{
    std::string layers;
    for (int i = 0; i <= 32; ++i)
        layers += "<ImageLayer id=\"l" + std::to_string(i) + "\" imageFilename=\"bg-sky.png\"/>";
    const std::string messages = stderrOf([&] { makeLevel("<Level><Layers>" + layers + "</Layers></Level>"); });
    EXPECT_EQ(std::count(messages.begin(), messages.end(), '\n'), 17) << messages;
    EXPECT_EQ(messages.find("\"l15\""), std::string::npos);
    EXPECT_NE(messages.find("zorbel: test.xml: ImageLayer \"l16\": layer element 16 (counted from 0) collides with "
                            "nothing: only the first 16 layers have collision bits\n"),
              std::string::npos);
    EXPECT_NE(messages.find("zorbel: test.xml: ImageLayer \"l32\": layer element 32 (counted from 0) collides like "
                            "layer element 0: only the first 16 layers have collision bits\n"),
              std::string::npos);
    EXPECT_EQ(physics::collisionBits(15), 0x8000);
    EXPECT_EQ(physics::collisionBits(16), 0);
    EXPECT_EQ(physics::collisionBits(32), 1);
}

TEST(Level, GeneratedLayerAndObjectIdsCountOnAcrossLevels)
{
    auto first = makeLevel(std::string("<Level><Layers>") + kSky + R"X(
        <ImageLayer imageFilename="bg-sky.png"><Objects><ProbeObject/><ProbeObject id="named"/></Objects></ImageLayer>
        <ImageLayer imageFilename="bg-sky.png" id="named"><Objects><ProbeObject/></Objects></ImageLayer>
      </Layers></Level>)X");
    auto layers = first->getLayers();
    ASSERT_EQ(layers.size(), 3u);
    int layerCount = counterOf(layers.front()->getId(), "Layer#");
    EXPECT_EQ(counterOf((*std::next(layers.begin()))->getId(), "Layer#"), layerCount + 1);
    Layer* second = *std::next(layers.begin());
    ASSERT_EQ(second->getObjects().size(), 2u);
    int objectCount = counterOf(second->getObjects().begin()->first, "Object#");
    ASSERT_EQ(layers.back()->getObjects().size(), 1u);
    EXPECT_EQ(counterOf(layers.back()->getObjects().begin()->first, "Object#"), objectCount + 1);

    auto next = makeLevel(std::string("<Level><Layers>") + R"X(
        <ImageLayer imageFilename="bg-sky.png"><Objects><ProbeObject/></Objects></ImageLayer></Layers></Level>)X");
    Layer* later = next->getLayers().front();
    EXPECT_EQ(counterOf(later->getId(), "Layer#"), layerCount + 2);
    EXPECT_EQ(counterOf(later->getObjects().begin()->first, "Object#"), objectCount + 2);
}

TEST(Level, ClampCameraKeepsTheViewInsideTheLevel)
{
    testEngine().setAspectRatio(4.0f / 3.0f);
    auto level = makeLevel(std::string(R"X(<Level size="(40, 10)"><Layers>)X") + kSky + "</Layers></Level>");
    level->zoom = 8.0f;
    level->cameraPosition = Vec2f(-100.0f, 100.0f);
    level->clampCamera();
    EXPECT_FLOAT_EQ(level->zoom, 5.0f);
    EXPECT_FLOAT_EQ(level->cameraPosition.y, 5.0f);
    EXPECT_FLOAT_EQ(level->cameraPosition.x, 4.0f / 3.0f * 5.0f);
    level->cameraPosition = Vec2f(100.0f, -3.0f);
    level->setZoom(2.0f);
    EXPECT_FLOAT_EQ(level->zoom, 2.0f);
    EXPECT_FLOAT_EQ(level->cameraPosition.x, 40.0f - 4.0f / 3.0f * 2.0f);
    EXPECT_FLOAT_EQ(level->cameraPosition.y, 2.0f);
    // A narrow level limits the zoom by its width instead.
    auto narrow = makeLevel(std::string(R"X(<Level size="(12, 40)"><Layers>)X") + kSky + "</Layers></Level>");
    narrow->setZoom(8.0f);
    EXPECT_FLOAT_EQ(narrow->zoom, 12.0f * 0.5f / (4.0f / 3.0f));

    // A front layer keeps the eye one unit in front of it...
    auto tall = makeLevel(R"X(<Level size="(40, 40)"><Layers>
        <ImageLayer imageFilename="bg-sky.png"/><ImageLayer imageFilename="bg-sky.png" z="-3"/></Layers></Level>)X");
    tall->setZoom(2.0f);
    EXPECT_FLOAT_EQ(tall->zoom, 4.0f);
    // ...unless the level is too small for that.
    auto flat = makeLevel(R"X(<Level size="(40, 6)"><Layers><ImageLayer imageFilename="bg-sky.png" z="-3"/></Layers></Level>)X");
    flat->setZoom(2.0f);
    EXPECT_FLOAT_EQ(flat->zoom, 3.0f);

    // Without layers the zoom is left alone; the view is still kept inside.
    auto empty = makeLevel(R"X(<Level size="(40, 10)"/>)X");
    empty->setZoom(8.0f);
    EXPECT_FLOAT_EQ(empty->zoom, 8.0f);
    EXPECT_FLOAT_EQ(empty->cameraPosition.y, 10.0f - 8.0f) << "the upper bound wins when the view is too big";
}
