#include "states/CreditsState.h"

#include "states/ScreenTestKit.h"
#include "support/GlFeedback.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

class CreditsTest : public ScreenOverRecorder<CreditsState> {
protected:
    CreditsTest() { released = {SDLK_SPACE}; }

    // Ticks with the space bar held until the column starts again from the
    // bottom; returns the number of ticks, calling `each` after every one.
    template <typename Each>
    int runPass(Each&& each)
    {
        for (int n = 1; n <= 1000; ++n) {
            float before = screen->getScroll();
            engine.tick();
            each(n);
            if (screen->getScroll() > before)
                return n;
        }
        return -1;
    }
};

TEST_F(CreditsTest, TheSpaceBarScrollsFiftyTimesFasterTheMonsterScreamsOncePerPassAndEveryVisitStartsOver)
{
    VoiceCounter screams("sounds/scream.ogg");
    runTicks(engine, 60); // from 25 units, where every visit starts
    const float slowSecond = 25.0f - screen->getScroll();
    EXPECT_NEAR(slowSecond, 1.875f, 1e-4) << "units in one second";
    pushKey(SDLK_SPACE, true);
    float start = screen->getScroll();
    runTicks(engine, 60);
    EXPECT_NEAR(start - screen->getScroll(), 50.0f * slowSecond, 1e-3);

    std::vector<int> screamTicks;
    int heard = 0;
    auto watch = [&](int n) {
        if (screams.poll() > heard)
            screamTicks.push_back(n);
        heard = screams.poll();
    };
    ASSERT_GT(runPass(watch), 0);
    // A whole pass: the column's top goes from 25 units to beyond -599 at 1.5625 a tick.
    screamTicks.clear();
    EXPECT_EQ(runPass(watch), 400);
    ASSERT_EQ(screamTicks.size(), 1u) << "the next pass screams again";
    // The monster's slot, 499 units below the column's top, screams once it is above the bottom edge.
    float slotAtScream = 25.0f - screamTicks[0] * 1.5625f + 499.0f;
    EXPECT_LT(slotAtScream, 24.0f + 1e-3f);
    EXPECT_GT(slotAtScream, 24.0f - 1.5625f - 1e-3f);

    // Mid-scream the monster, the widest quad short of the whole window, fills the middle of it.
    runTicks(engine, 326);
    ASSERT_TRUE(screen->wasShockPlayed());
    float widest = 0.0f;
    Vec2f middle;
    for (const FeedbackPolygon& polygon : captureFeedback([&] { screen->render(); })) {
        const auto [lo, hi] = feedbackBounds({polygon});
        if (hi.x - lo.x > widest && hi.x - lo.x < 1000.0f) {
            widest = hi.x - lo.x;
            middle = Vec2f(lo.x + hi.x, lo.y + hi.y) * 0.5f;
        }
    }
    ASSERT_GT(widest, 500.0f);
    EXPECT_NEAR(middle.x, 512.0f, 2.0f);
    EXPECT_NEAR(middle.y, 384.0f, 2.0f);

    // Leaving in the middle of a pass and coming back starts over from the bottom.
    tap(SDLK_ESCAPE);
    engine.pushState("Credits", ParameterMap());
    EXPECT_FLOAT_EQ(screen->getScroll(), 25.0f);
    EXPECT_FALSE(screen->wasShockPlayed());
}

TEST_F(CreditsTest, TheFirstFrameIsDarkAndTheHeadingRisesFromTheBottom)
{
    EXPECT_EQ(rendered().count(0, 0, 1024, 768, Rgb{0, 0, 0}, 0), 1024 * 768) << "the heading starts below the screen";

    // Three seconds later the heading's top is at 19.4 units, still dimmed by
    // the gradient's dark lower edge; the rows above it stay black.
    runTicks(engine, 180);
    const Frame frame = rendered();
    auto litInRow = [&](float units) {
        int row = int(units / 24.0f * 768.0f);
        return 1024 - frame.count(0, row, 1024, row + 1, Rgb{0, 0, 0}, 10);
    };
    EXPECT_GT(litInRow(20.0f), 10);
    EXPECT_EQ(litInRow(19.0f), 0);
    // Headings stand half a unit left of the names' column, which starts 6 units in.
    int ink = 0;
    while (ink < 400 && frame.count(ink, 622, ink + 1, 768, Rgb{0, 0, 0}, 10) == 768 - 622)
        ++ink;
    EXPECT_NEAR(ink, 176, 3);
}

} // namespace
