#include "ObjectTestKit.h"

#include "objects/CheckpointObject.h"
#include "objects/PlayerObject.h"

namespace {

std::string checkpointXml(const std::string& id, const std::string& type)
{
    return "<CheckpointObject id=\"" + id + "\" type=\"" + type + "\" position=\"(10, 8)\"/>";
}

} // namespace

class CheckpointTest : public ObjectTest {};

TEST_F(CheckpointTest, BothPlayersCrossingInOneStepAreRecordedAndOnlyTheFinishCountsOrShows)
{
    loadAfloat(playerXml(0, 10.0f, 8.0f) + playerXml(1, 10.0f, 8.0f) + checkpointXml("finish", "Finish")
                   + checkpointXml("start", "Start"),
               GM_TIME_2P);
    auto* finish = find<CheckpointObject>("finish");
    auto* start = find<CheckpointObject>("start");
    ASSERT_TRUE(finish && start && player(0) && player(1));
    EXPECT_FALSE(finish->hasReached(player(0)));
    step();
    EXPECT_TRUE(finish->hasReached(player(0)));
    EXPECT_TRUE(finish->hasReached(player(1)));
    EXPECT_FALSE(start->hasReached(player(0)));
    const auto [lo, hi] = feedbackBounds(captureRender(*level, *finish));
    EXPECT_NEAR((hi.y - lo.y) / (hi.x - lo.x), 256.0f / 192.0f, 0.01f) << "the gate keeps its picture's shape";
    EXPECT_TRUE(captureRender(*level, *start).empty()) << "a checkpoint that is no finish was drawn";
    // Leaving and coming back changes nothing.
    player(0)->setPosition(Vec2f(30.0f, 8.0f));
    step(3);
    EXPECT_TRUE(finish->hasReached(player(0)));
}
