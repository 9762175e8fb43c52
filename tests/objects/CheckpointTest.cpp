#include "ObjectTestKit.h"

#include "objects/CheckpointObject.h"
#include "objects/PlayerObject.h"

namespace {

std::string finishXml(float x, float y, const std::string& type = "type=\"Finish\"")
{
    return "<CheckpointObject id=\"finish\" " + type + " position=\"(" + std::to_string(x) + ", " + std::to_string(y)
           + ")\"/>";
}

} // namespace

class CheckpointTest : public ObjectTest {};

TEST_F(CheckpointTest, BothPlayersCrossingInOneStepAreRecorded)
{
    loadAfloat(playerXml(0, 10.0f, 8.0f) + playerXml(1, 10.0f, 8.0f) + finishXml(10.0f, 8.0f), GM_TIME_2P);
    auto* finish = find<CheckpointObject>("finish");
    ASSERT_TRUE(finish && player(0) && player(1));
    EXPECT_FALSE(finish->hasReached(player(0)));
    step();
    EXPECT_TRUE(finish->hasReached(player(0)));
    EXPECT_TRUE(finish->hasReached(player(1)));
    // Leaving and coming back changes nothing.
    player(0)->setPosition(Vec2f(30.0f, 8.0f));
    step(3);
    EXPECT_TRUE(finish->hasReached(player(0)));
}

TEST_F(CheckpointTest, OtherTypesAreNeitherReachedNorDrawn)
{
    loadAfloat(playerXml(0, 10.0f, 8.0f) + finishXml(10.0f, 8.0f, "type=\"Start\""), GM_TIME_1P);
    auto* start = find<CheckpointObject>("finish");
    ASSERT_TRUE(start);
    step(2);
    EXPECT_FALSE(start->hasReached(player(0)));
    EXPECT_TRUE(captureRender(*level, *start).empty()) << "a checkpoint that is no finish was drawn";
}
