#include "WorldTestSupport.h"

#include "world/Layer.h"
#include "world/Physics.h"

#include <gtest/gtest.h>

#include <numeric>

namespace {

// Steps until `object` has had a contact; false after `limit` steps.
bool stepUntilContact(Level& level, ProbeObject* object, int limit = 120)
{
    for (int i = 0; i < limit && object->contacts.empty(); ++i)
        level.update();
    return !object->contacts.empty();
}

// A static slab with its top at y = 9.5 and a unit box just above it.
std::string boxOnSlab(const std::string& boxAttributes, const std::string& slabAttributes = "")
{
    return R"X(<Level size="(20, 20)" gravity="(0, 10)"><Layers><ImageLayer imageFilename="bg-sky.png"><Objects>
      <ProbeObject id="slab" box="(5, 0.5)" position="(10, 10)" )X" + slabAttributes + R"X(/>
      <ProbeObject id="box" box="(0.5, 0.5)" density="1" position="(10, 8.9)" )X"
           + boxAttributes + "/></Objects></ImageLayer></Layers></Level>";
}

} // namespace

// Box2D puts a resting body to sleep after half a second without motion; asleep
// on static ground it still reports its contacts.
TEST(Contacts, ReachBothObjectsWithOpposedNormalsOnEveryStepAsleepOrNotAndHandlersCannotCreateBodies)
{
    auto level = makeLevel(boxOnSlab("allowSleep=\"1\""));
    ProbeObject* slab = probe(*level, "slab");
    ProbeObject* box = probe(*level, "box");
    box->tryBodyInHandler = true;
    const int bodies = level->getWorld()->GetBodyCount();
    ASSERT_TRUE(stepUntilContact(*level, box));
    EXPECT_EQ(box->bodyFromHandler, nullptr);
    EXPECT_EQ(level->getWorld()->GetBodyCount(), bodies);
    updates(*level, 5);
    bool sawAwake = false;
    for (int step = 0; step < 60; ++step) {
        sawAwake |= box->getBody(0)->IsAwake();
        slab->contacts.clear();
        box->contacts.clear();
        level->update();
        ASSERT_EQ(box->contacts.size(), 2u) << "a box resting flat touches at two points, reported on every step";
        ASSERT_EQ(slab->contacts.size(), box->contacts.size());
    }
    ASSERT_TRUE(sawAwake && !box->getBody(0)->IsAwake());
    // Which object, body and fixture each side is handed the replays and the
    // capture tests hold: either side's swapped fails them.
    for (const auto& c : box->contacts)
        EXPECT_NEAR(c.normal.y, 1.0f, 1e-4f) << "from the box down into the slab";
    for (const auto& c : slab->contacts)
        EXPECT_NEAR(c.normal.y, -1.0f, 1e-4f);
}

// Either side of a contact (the slab, made first, is Box2D's first) may die in
// its handler. That a dead object goes at the next update, body and all, the
// object tests hold.
TEST(Contacts, AnObjectKilledInAHandlerHearsNoFurtherPointsButTheOtherDoes)
{
    const std::string kill = "killOnContact=\"1\"";
    for (const bool slabDies : {false, true}) {
        SCOPED_TRACE(slabDies ? "the slab dies" : "the box dies");
        auto level = makeLevel(slabDies ? boxOnSlab("", kill) : boxOnSlab(kill));
        ProbeObject* slab = probe(*level, "slab");
        ProbeObject* box = probe(*level, "box");
        ASSERT_TRUE(stepUntilContact(*level, box));
        EXPECT_EQ((slabDies ? slab : box)->contacts.size(), 1u);
        EXPECT_EQ((slabDies ? box : slab)->contacts.size(), 2u) << "the other object still hears every point";
    }
}

TEST(Contacts, SensorsReportOncePerStepForAsLongAsTheyOverlap)
{
    auto level = makeLevel(R"X(<Level size="(20, 20)"><Layers>
        <ImageLayer imageFilename="bg-sky.png"><Objects>
          <ProbeObject id="finish" box="(1, 1)" sensor="1" position="(10, 10)"/>
          <ProbeObject id="car" box="(0.25, 0.25)" density="1" position="(7, 10)"/>
        </Objects></ImageLayer></Layers></Level>)X");
    ProbeObject* finish = probe(*level, "finish");
    ProbeObject* car = probe(*level, "car");
    car->getBody(0)->SetLinearVelocity(b2Vec2(3.0f, 0.0f));

    std::vector<int> perStep;
    for (int i = 0; i < 150; ++i) {
        const size_t before = finish->contacts.size();
        level->update();
        perStep.push_back(int(finish->contacts.size() - before));
    }
    // 3 units/s through an overlap span of 2.5 units: 50 steps of 1/60 s.
    const int total = std::accumulate(perStep.begin(), perStep.end(), 0);
    EXPECT_NEAR(total, 50, 2);
    auto first = std::find(perStep.begin(), perStep.end(), 1);
    ASSERT_NE(first, perStep.end());
    EXPECT_TRUE(std::all_of(first, first + total, [](int n) { return n == 1; })) << "no gaps, never twice in a step";
    EXPECT_EQ(car->contacts.size(), size_t(total));
    EXPECT_EQ(finish->contacts.front().other, car);
    EXPECT_NEAR(car->getBody(0)->GetLinearVelocity().x, 3.0f, 1e-5f) << "a sensor does not push";
    EXPECT_NEAR(car->contacts.front().normal.x, 1.0f, 1e-4f) << "the car enters from the left, so its normal points right";
}
