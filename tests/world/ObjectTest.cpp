#include "WorldTestSupport.h"

#include "world/Layer.h"
#include "world/ObjectFactory.h"

#include <gtest/gtest.h>
#include <tinyxml.h>

namespace {

const char* kTwoLayers = R"X(<Level size="(20, 20)"><Layers>
    <ImageLayer id="a" imageFilename="bg-sky.png"><Objects>
      <ProbeObject id="p" box="(0.5, 0.5)" density="1" position="(3, 4)" angle="90"/>
      <ProbeObject id="q"/>
      <ProbeObject id="r" position="(7.5, -2)" angle="45"/>
    </Objects></ImageLayer>
    <ImageLayer id="b" imageFilename="bg-sky.png"/>
    <ImageLayer id="c" imageFilename="bg-sky.png"/>
    <ImageLayer id="d" imageFilename="bg-sky.png"/>
  </Layers></Level>)X";

} // namespace

TEST(Object, LayerChangesDuringAnUpdateWaitUntilItEnds)
{
    auto level = makeLevel(kTwoLayers);
    Layer* a = level->findLayer("a");
    Layer* b = level->findLayer("b");
    ProbeObject* p = probe(*level, "p");
    ProbeObject* q = probe(*level, "q");
    ProbeObject* r = probe(*level, "r");

    bool qDeleted = false, rDeleted = false, spawnDeleted = false;
    q->deletedFlag = &qDeleted;
    r->deletedFlag = &rDeleted;
    ProbeObject* spawned = nullptr;
    bool sawSpawnDuringUpdate = true;
    bool sawMovedInOldLayer = false;
    int step = 1;
    p->onUpdate = [&](ProbeObject& self) {
        if (step == 2)
            self.moveToLayer(a);
        if (step != 1 || spawned)
            return;
        TiXmlElement element("ProbeObject");
        element.SetAttribute("id", "spawn");
        spawned = new ProbeObject(self.getLayer(), &element, self.getGameParams());
        spawned->deletedFlag = &spawnDeleted;
        a->addObject(spawned);
        sawSpawnDuringUpdate = a->findObject("spawn") != nullptr;
        q->kill();
        a->removeAndDeleteObject(q);
        self.moveToLayer(b);
        sawMovedInOldLayer = a->findObject("p") == &self;
    };
    level->update();
    EXPECT_FALSE(sawSpawnDuringUpdate);
    EXPECT_TRUE(sawMovedInOldLayer);
    EXPECT_EQ(a->findObject("spawn"), spawned);
    EXPECT_TRUE(qDeleted) << "killed and removed in one update: deleted once";
    EXPECT_EQ(a->findObject("p"), nullptr);
    EXPECT_EQ(b->findObject("p"), p);
    EXPECT_EQ(p->getLayer(), b);
    EXPECT_EQ(p->updates, 1) << "moved on to a later layer, it must not update there again";
    EXPECT_FALSE(spawnDeleted);

    r->kill();
    EXPECT_FALSE(rDeleted);
    step = 2;
    level->update();
    EXPECT_TRUE(rDeleted) << "a dead object goes at its layer's next update";
    EXPECT_EQ(level->findObject("r"), nullptr);
    EXPECT_EQ(a->findObject("p"), p) << "moved back to an earlier layer, it is there when the update ends";
    step = 3;
    level->update();
    EXPECT_EQ(p->updates, 3);
}

// Objects inactive from the start (those of other game modes) and unknown
// elements are left to the game-mode and malformed-level tests.
TEST(Object, ASecondObjectWithTheSameIdReplacesAndDeletesTheFirst)
{
    testing::internal::CaptureStderr();
    auto level = makeLevel(R"X(<Level size="(20, 20)"><Layers><ImageLayer id="a" imageFilename="bg-sky.png"><Objects>
        <ProbeObject id="twin" box="(1, 1)" position="(1, 1)"/>
        <ProbeObject id="twin" box="(1, 1)" position="(5, 5)"/>
      </Objects></ImageLayer></Layers></Level>)X");
    std::string messages = testing::internal::GetCapturedStderr();
    EXPECT_EQ(messages, "zorbel: test.xml: twin: two objects with this id in layer \"a\"; the earlier one is deleted\n");
    ASSERT_NE(level->findObject("twin"), nullptr);
    EXPECT_EQ(level->findObject("twin")->getPosition(), Vec2f(5, 5));
    EXPECT_EQ(level->getWorld()->GetBodyCount(), 2) << "the ground body and the survivor's body";

    // One that is already leaving hands its id on and is deleted by its own removal only.
    auto* leaving = dynamic_cast<ProbeObject*>(level->findObject("twin"));
    bool leavingDeleted = false;
    leaving->deletedFlag = &leavingDeleted;
    ProbeObject* heir = nullptr;
    leaving->onUpdate = [&](ProbeObject& self) {
        self.getLayer()->removeAndDeleteObject(&self);
        TiXmlElement element("ProbeObject");
        element.SetAttribute("id", "twin");
        heir = new ProbeObject(self.getLayer(), &element, self.getGameParams());
        self.getLayer()->addObject(heir);
    };
    level->update();
    EXPECT_TRUE(leavingDeleted);
    EXPECT_EQ(level->findObject("twin"), heir);
}
