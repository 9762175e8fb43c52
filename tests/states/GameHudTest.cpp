#include "GameTestKit.h"

#include "states/GameHud.h"
#include "states/HighscoreState.h"
#include "states/HighscoreTable.h"
#include "states/TimeFormat.h"
#include "support/GlFeedback.h"

#include <array>

using namespace game_test;

namespace {

using GameHudScreen = GameTest;

// Red banner pixels ("GAME OVER") across the middle of the window, rows `top` to `bottom`.
int redBanner(const Frame& frame, int top = 330, int bottom = 440)
{
    int n = 0;
    for (int y = top; y < bottom; ++y)
        for (int x = 300; x < 930; x += 2) {
            // The banner pulses between half and full strength.
            const Rgb p = frame.at(x, y);
            n += p.r > 100 && p.r > 2 * p.g && p.r > 2 * p.b;
        }
    return n;
}

bool isBlack(Rgb p)
{
    return p.r + p.g + p.b == 0;
}

// The level's background (0.2, 0.3, 0.5) under a `colour` layer of opacity `alpha`.
Rgb overSky(float r, float g, float b, float alpha)
{
    auto mix = [alpha](float top, float sky) { return int((top * alpha + sky * (1.0f - alpha)) * 255.0f + 0.5f); };
    return Rgb{mix(r, 0.2f), mix(g, 0.3f), mix(b, 0.5f)};
}

TEST(HeartOffsets, EachHeartFillsInQuartersOverItsThirdOfTheLife)
{
    const struct {
        int life;
        int left, centre, right;
    } cases[] = {{0, 128, 128, 128},  {8, 128, 128, 128}, {9, 96, 128, 128}, {40, 0, 128, 128},
                 {41, 0, 96, 128},    {75, 0, 0, 96},     {91, 0, 0, 32},    {100, 0, 0, 0}};
    for (const auto& c : cases) {
        HeartOffsets shown = heartOffsets(c.life);
        EXPECT_EQ((std::array<int, 3>{shown.left, shown.centre, shown.right}),
                  (std::array<int, 3>{c.left, c.centre, c.right}))
            << "life " << c.life;
    }
}

TEST_F(GameHudScreen, TwoPlayerViewsAreStackedWithAGapBesideTheStripThatGameOverCrossesOnlyForBoth)
{
    start(GM_TIME_2P, fullCourse());
    runCountdown();
    runTicks(engine, 70); // "LOS!" has gone
    const Frame frame = rendered();

    for (int x : {260, 500, 800, 1020}) {
        SCOPED_TRACE(x);
        for (int y : {0, 200, 379, 387, 600, 766})
            EXPECT_FALSE(isBlack(frame.at(x, y))) << "row " << y << " lies in a view";
        for (int y : {380, 383, 386, 767})
            EXPECT_TRUE(isBlack(frame.at(x, y))) << "row " << y << " lies between or below the views";
    }
    // The strip's picture covers the left 22 % of the window over the whole height.
    for (int y : {10, 383, 700})
        EXPECT_FALSE(isBlack(frame.at(100, y)));
    // No view reaches into the strip: its rows stay the picture's, not the sky's.
    EXPECT_EQ(frame.count(0, 0, 204, 768, overSky(0, 0, 0, 0), 2), 0);
    EXPECT_GT(frame.count(230, 0, 1024, 380, overSky(0, 0, 0, 0), 2), 10000);
    EXPECT_GT(frame.count(230, 387, 1024, 767, overSky(0, 0, 0, 0), 2), 10000);

    // Only the banner crosses the black gap between the two views.
    game->getPlayer1()->damage(100);
    EXPECT_EQ(redBanner(rendered(), 380, 387), 0) << "GAME OVER while player 2 still races";
    game->getPlayer2()->damage(100);
    EXPECT_GT(redBanner(rendered(), 380, 387), 200);
}

// The strip's picture, stretched over the strip's whole height: each row of the window
// shows one row of the picture and each column one column.
TEST_F(GameHudScreen, TheStripPictureIsMappedWholeOntoTheStrip)
{
    start(GM_TIME_1P, fullCourse());
    std::vector<FeedbackVertex> corners;
    for (const FeedbackPolygon& polygon : captureFeedback([&] { engine.renderCurrentState(); })) {
        const auto [lo, hi] = feedbackBounds({polygon});
        if (hi.x < 240.0f && hi.y - lo.y > 760.0f)
            corners.insert(corners.end(), polygon.begin(), polygon.end());
    }
    ASSERT_GE(corners.size(), 4u);
    for (const FeedbackVertex& a : corners)
        for (const FeedbackVertex& b : corners) {
            EXPECT_TRUE(std::abs(a.y - b.y) > 1.0f || std::abs(a.t - b.t) < 1e-4f) << a.y << ": " << a.t << " " << b.t;
            EXPECT_TRUE(std::abs(a.x - b.x) > 1.0f || std::abs(a.s - b.s) < 1e-4f) << a.x << ": " << a.s << " " << b.s;
        }
}

// The layout's label stands under the player's name in the player's panel: the
// keys, shorter without the fifth, or the player's pad in their place.
TEST_F(GameHudScreen, EachPanelNamesItsPlayersKeysShorterWithoutTheFifthKeyOrItsPad)
{
    // Each player's label: 24 rows from 0.185 or 0.735 of the height, across the strip.
    auto top = [](int player) { return int((player == 0 ? 0.185f : 0.735f) * 768); };
    auto blue = [&](const Frame& f, int p) { return f.count(0, top(p), 204, top(p) + 24, Rgb{38, 166, 209}, 10); };
    auto same = [&](const Frame& a, const Frame& b, int p) { return a.same(b, 0, 768 - top(p) - 24, 204, 768 - top(p)); };
    auto drawnWith = [&](int pads) {
        engine.getPads().setCount(pads);
        return rendered();
    };
    start(GM_TIME_2P, fullCourse(), 5, CM_FOUR_KEYS);
    const Frame fourKeys = drawnWith(0);
    engine.popState();
    start(GM_TIME_2P, fullCourse(), 5, CM_FIVE_KEYS);
    const Frame keys = drawnWith(0), firstPad = drawnWith(1), bothPads = drawnWith(2);
    engine.getPads().setCount(0);
    for (int player : {0, 1}) {
        EXPECT_GT(blue(fourKeys, player), 20) << "player " << player + 1;
        EXPECT_LT(blue(fourKeys, player), blue(keys, player)) << "player " << player + 1;
    }
    EXPECT_FALSE(same(firstPad, keys, 0));
    EXPECT_TRUE(same(firstPad, keys, 1)) << "the second player has no pad yet";
    EXPECT_TRUE(same(bothPads, firstPad, 0));
    EXPECT_FALSE(same(bothPads, keys, 1));
}

TEST_F(GameHudScreen, CountdownFigureIsRedAtThreeAndAHalfAndGreenAtAQuarter)
{
    start(GM_TIME_1P, fullCourse());
    Rgb halfRed = overSky(1, 0, 0, 0.5f);
    Rgb quarterGreen = overSky(0, 1, 0, 0.25f);

    runTicks(engine, 30); // 3.5 s left (the replays keep the countdown's time)
    const Frame three = rendered();
    EXPECT_GT(three.count(204, 0, 1024, 768, halfRed), 2000);
    EXPECT_EQ(three.count(204, 0, 1024, 768, quarterGreen), 0);
    // At half the window height the figure's top stays below row 270.
    EXPECT_GT(three.count(204, 270, 1024, 330, halfRed), 0);
    EXPECT_EQ(three.count(204, 0, 1024, 270, halfRed), 0);

    runTicks(engine, 195); // 0.25 s left
    const Frame go = rendered();
    EXPECT_GT(go.count(204, 0, 1024, 768, quarterGreen), 2000);
    EXPECT_EQ(go.count(204, 0, 1024, 768, halfRed), 0);
    EXPECT_GT(go.count(204, 240, 1024, 270, quarterGreen), 0) << "LOS! is three quarters of the window high";
}

TEST_F(GameHudScreen, TheStripShowsEveryTimeAsTheListWritesItAndStopsItInRedAtTheFinish)
{
    RecordingState* highscores = recorderFor("Highscore");
    // 53 hundredths is a record that seconds in a float hold a little short; the list is full.
    std::string level = writeLevel("hudlist.xml", playerXml(0, kStartX) + finishXml());
    HighscoreTable table(scorePaths);
    for (uint32_t score = 53; score < 63; ++score)
        table.insert(score, level, ST_TIME, "Platz " + std::to_string(score));
    ASSERT_TRUE(table.save());
    start(GM_TIME_1P, level);
    EXPECT_EQ(shownRecord(*game), HighscoreState::scoreText(53, ST_TIME)) << "the best of the list";

    // The strip shows what the list would show for a finish now (both through TimeFormat).
    runCountdown();
    runTicks(engine, 600);
    EXPECT_EQ(shownTime(*game, 0), HighscoreState::scoreText(toHundredths(game->getMatchTime()), ST_TIME));

    // The time's digits stand at 0.22 of the height in the strip's first panel.
    const int top = int(0.22f * 768), bottom = int(0.29f * 768);
    const Rgb lightBlue{38, 166, 209}, red{255, 0, 0};
    const Frame running = rendered();
    EXPECT_GT(running.count(0, top, 204, bottom, lightBlue, 10), 100);
    EXPECT_EQ(running.count(0, top, 204, bottom, red, 10), 0);
    ASSERT_TRUE(driveToFinish(SDLK_UP, 0));
    const Frame finished = rendered();
    EXPECT_GT(finished.count(0, top, 204, bottom, red, 10), 100);
    EXPECT_EQ(finished.count(0, top, 204, bottom, lightBlue, 10), 0);
    runTicks(engine, 60);
    EXPECT_EQ(shownTime(*game, 0), formatHundredths(toHundredths(game->getFinishTime(0)))) << "the time stops there";
    runTicks(engine, 130);
    EXPECT_EQ(highscores->enters, 0) << "a time that does not make the list is not offered";
}

} // namespace

TEST_F(GameHudScreen, TheStoryStripShowsLifeAndTheLastTenSecondsInRedAndALossFlashesTheView)
{
    start(GM_STORY, writeLevel("hudstory.xml", playerXml(0, kStartX)));
    PlayerObject* rider = game->getPlayer1();
    ASSERT_NE(rider, nullptr);
    // The seconds left stand in the middle panel; the life bar crosses the lower one.
    const int top = int(0.4925f * 768), bottom = int(0.5475f * 768), barRow = int(0.78f * 768);
    const Rgb lightBlue{38, 166, 209};
    const Rgb red{255, 0, 0};
    auto barLength = [&](const Frame& frame) {
        int n = 0;
        for (int x = 0; x < 204; ++x)
            n += frame.at(x, barRow).g > 120 && frame.at(x, barRow).b < 120;
        return n;
    };
    const Frame full = rendered();
    for (int left : {20, 75, 130})
        EXPECT_GT(full.count(left, 610, left + 55, 660, Rgb{220, 40, 40}, 70), 20) << "no heart from x = " << left;
    EXPECT_GT(full.count(0, top, 204, bottom, lightBlue, 10), 50);
    EXPECT_EQ(full.count(0, top, 204, bottom, red, 10), 0);
    EXPECT_GT(full.count(0, int(0.4575f * 768), 204, top, Rgb{255, 255, 255}, 10), 20) << "no label over the seconds";
    const Rgb corner = full.at(220, 10);

    rider->damage(40);
    const Frame hurt = rendered();
    EXPECT_NEAR(double(barLength(hurt)) / barLength(full), 0.6, 0.05);
    EXPECT_GT(hurt.at(220, 10).r, corner.r + 60) << "the view does not flash red";
    runTicks(engine, 30);
    EXPECT_LT(std::abs(rendered().at(220, 10).r - corner.r), 10) << "the flash does not fade";

    runTicks(engine, int((GameState::kStoryTime - 9.5f) * 60.0f) - 30);
    const Frame late = rendered();
    EXPECT_GT(late.count(0, top, 204, bottom, red, 10), 50);
    EXPECT_EQ(late.count(0, top, 204, bottom, lightBlue, 10), 0);

    // A dead rider: "GAME OVER" in red over the middle of the view (where the red vehicle stands too).
    const int before = redBanner(late);
    rider->damage(100);
    EXPECT_GT(redBanner(rendered()), before + 3000) << "no GAME OVER over the view of a dead rider";
}
