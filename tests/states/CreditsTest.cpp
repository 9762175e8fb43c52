#include "states/CreditsState.h"

#include "engine/Transition.h"
#include "states/ScreenTestKit.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

class CreditsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        settleEngine();
        credits = new CreditsState(&engine);
        engine.registerState(credits);
        below = recorderFor("BelowCredits");
        engine.pushState("BelowCredits", ParameterMap());
        engine.pushState("Credits", ParameterMap());
    }

    void TearDown() override
    {
        pushKey(SDLK_SPACE, false);
        engine.tick();
        settleEngine();
    }

    // Ticks with the space bar held until the column starts again from the
    // bottom; returns the number of ticks, calling `each` after every one.
    template <typename Each>
    int runPass(Each&& each)
    {
        for (int n = 1; n <= 1000; ++n) {
            float before = credits->getScroll();
            engine.tick();
            each(n);
            if (credits->getScroll() > before)
                return n;
        }
        return -1;
    }

    Engine& engine = testEngine();
    CreditsState* credits = nullptr;
    RecordingState* below = nullptr;
};

TEST_F(CreditsTest, TheSpaceBarScrollsFiftyTimesFaster)
{
    EXPECT_FLOAT_EQ(credits->getScroll(), 25.0f);
    engine.tick();
    EXPECT_NEAR(25.0f - credits->getScroll(), 1.875f / 60.0f, 1e-5);

    pushKey(SDLK_SPACE, true);
    float start = credits->getScroll();
    runTicks(engine, 60);
    EXPECT_NEAR(start - credits->getScroll(), 93.75f, 1e-3) << "units in one second";

    pushKey(SDLK_SPACE, false);
    start = credits->getScroll();
    runTicks(engine, 60);
    EXPECT_NEAR(start - credits->getScroll(), 1.875f, 1e-4);
}

TEST_F(CreditsTest, APassEndsWhenTheWholeColumnHasLeftTheTop)
{
    EXPECT_FLOAT_EQ(CreditsState::contentHeight(), 599.0f);
    pushKey(SDLK_SPACE, true);
    int ticks = runPass([](int) {});
    // The column's top starts at 25 and must pass -599: 624 units at 1.5625 a tick.
    EXPECT_EQ(ticks, int(std::ceil((25.0 + 599.0) / (93.75 / 60.0))));
    EXPECT_FLOAT_EQ(credits->getScroll(), 25.0f);
}

TEST_F(CreditsTest, TheMonsterScreamsOncePerPass)
{
    ASSERT_TRUE(engine.hasAudio()) << "the tests run with OpenAL's null device";
    VoiceCounter screams("sounds/scream.ogg");
    pushKey(SDLK_SPACE, true);

    std::vector<int> screamTicks;
    int previous = 0;
    auto watch = [&](int n) {
        int now = screams.poll();
        if (now != previous)
            screamTicks.push_back(n);
        previous = now;
    };
    int firstPass = runPass(watch);
    ASSERT_GT(firstPass, 0);
    ASSERT_EQ(screamTicks.size(), 1u);
    // The monster's slot comes 499 units after the column's top and is first
    // drawn once it is above the bottom edge.
    float slotAtScream = 25.0f - screamTicks[0] * 1.5625f + 499.0f;
    EXPECT_LT(slotAtScream, 24.0f + 1e-3f);
    EXPECT_GT(slotAtScream, 24.0f - 1.5625f - 1e-3f);
    EXPECT_FALSE(credits->wasShockPlayed()) << "a new pass has begun";

    screamTicks.clear();
    runPass(watch);
    EXPECT_EQ(screamTicks.size(), 1u) << "the next pass screams again";
    EXPECT_EQ(screams.poll(), 2);
}

TEST_F(CreditsTest, TheFirstFrameIsDarkAndTheHeadingRisesFromTheBottom)
{
    engine.renderCurrentState();
    Vec2i size = engine.getScreenSize();
    int lit = 0;
    for (int y = 0; y < size.y; y += 8) {
        for (int x = 0; x < size.x; x += 8) {
            Rgb p = framePixel(x, y);
            lit += p.r + p.g + p.b > 0;
        }
    }
    EXPECT_EQ(lit, 0) << "the heading starts just below the screen";

    // Three seconds later the heading's top is at 19.4 units, still dimmed by
    // the gradient's dark lower edge; the rows above it stay black.
    runTicks(engine, 180);
    engine.renderCurrentState();
    auto litInRow = [&](float units) {
        int n = 0;
        int row = int(units / 24.0f * float(size.y));
        for (int x = 0; x < size.x; ++x) {
            Rgb p = framePixel(x, row);
            n += p.r + p.g + p.b > 30;
        }
        return n;
    };
    EXPECT_GT(litInRow(20.0f), 10);
    EXPECT_EQ(litInRow(19.0f), 0);
}

TEST_F(CreditsTest, EscapeReturnsToTheScreenBelowWithACubeTransition)
{
    runTicks(engine, 30);
    tap(SDLK_ESCAPE);
    EXPECT_EQ(engine.getCurrentState(), below);
    EXPECT_EQ(engine.getStackSize(), 1u);
    ASSERT_NE(engine.getTransition(), nullptr);
    EXPECT_FLOAT_EQ(engine.getTransition()->getDuration(), 0.75f);

    // Coming back starts a new pass from the bottom.
    engine.pushState("Credits", ParameterMap());
    EXPECT_FLOAT_EQ(credits->getScroll(), 25.0f);
    EXPECT_FALSE(credits->wasShockPlayed());
}

} // namespace
