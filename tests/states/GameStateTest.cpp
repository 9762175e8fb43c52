#include "GameTestKit.h"

#include "objects/GhostObject.h"
#include "states/GhostRun.h"
#include "states/GhostViewer.h"
#include "states/HighscoreTable.h"
#include "states/TimeFormat.h"
#include "world/Level.h"

#include <AL/al.h>

#include <fstream>

using namespace game_test;

namespace {

using GameScreen = GameTest;

// Voices of the short sounds whose OpenAL source is in `state`; the streamed music is not the match's.
int voicesIn(ALint state)
{
    int count = 0;
    testEngine().getSoundManager()->forEach([&](Sound* sound) {
        if (sound->isStreaming())
            return;
        for (const Handle<SoundInstance>& voice : sound->getInstances()) {
            ALint now = 0;
            if (voice->isValid())
                alGetSourcei(voice->getSource(), AL_SOURCE_STATE, &now);
            count += now == state;
        }
    });
    return count;
}

// Where the ghost drives the view shows the level through it, tinted; G leaves the level alone.
void expectSeeThroughGhost(const Frame& shown, const Frame& hidden)
{
    int ghostPixels = 0, halfThrough = 0;
    const float tint[3] = {GhostObject::kTint.r, GhostObject::kTint.g, GhostObject::kTint.b};
    for (int y = 0; y < 768; ++y)
        for (int x = 205; x < 1024; ++x) {
            const Rgb a = shown.at(x, y), b = hidden.at(x, y);
            const int drawn[3] = {a.r, a.g, a.b}, level[3] = {b.r, b.g, b.b};
            if (a.r == b.r && a.g == b.g && a.b == b.b)
                continue;
            ++ghostPixels;
            bool half = true;
            for (int c = 0; c < 3; ++c) {
                ASSERT_LE(drawn[c], int(std::max(float(level[c]), tint[c] * 255.0f)) + 3) << x << "," << y;
                half = half && 2 * drawn[c] + 6 >= level[c];
            }
            halfThrough += half;
        }
    EXPECT_GT(ghostPixels, 500);
    // See-through: where one of its sprites lies (not rider over chassis) at least half the level shows.
    EXPECT_GT(halfThrough, ghostPixels * 9 / 10);
}

// Erases the proposed name, types `typed` and confirms it.
void typeName(HighscoreState* highscores, const std::string& typed)
{
    type(std::string(highscores->getTypedName().size(), '\b') + typed + "\r");
}

// The record run comes back on the highscore screen (W) and as the ghost of the next
// run, in step with the clock through a pause, without touching the rider left at the start.
TEST_F(GameScreen, AOnePlayerRaceRunsThroughTheHighscoresToANewStartWithTheRecordRunAsItsGhost)
{
    // The countdown's length and the race itself are the replays' (wiese-1p and the others).
    HighscoreState* highscores = realHighscores();
    VoiceCounter countdownVoices("sounds/countdown.ogg");
    const std::string level = writeLevel("solo.xml", playerXml(0, kStartX) + finishXml());
    start(GM_TIME_1P, level);
    PlayerObject* player = game->getPlayer1();
    ASSERT_NE(player, nullptr);
    runCountdown();
    EXPECT_EQ(countdownVoices.poll(), 1);
    std::vector<VehiclePose> driven{player->getPose()};
    pushKey(SDLK_UP, true);
    while (game->getFinishTime(0) == 0.0f && driven.size() < 1200) {
        engine.tick();
        driven.push_back(player->getPose());
    }
    pushKey(SDLK_UP, false);
    const int finishStep = int(driven.size()) - 1;
    const float finishTime = game->getFinishTime(0);
    ASSERT_GT(finishTime, 0.0f);

    // 3 s later the highscores ask for a name.
    runTicks(engine, 181);
    ASSERT_EQ(engine.getCurrentState(), highscores);
    const uint32_t score = toHundredths(finishTime);
    EXPECT_EQ(highscores->getTypedName(), "Spieler 1");
    EXPECT_EQ(highscores->getPendingScore(), score);
    typeName(highscores, "Spieler10");
    EXPECT_EQ(highscores->getPendingScore(), 0u) << "one player hands over one result";
    EXPECT_TRUE(fs::exists(scoreDir + "/solo.ghost"));

    EXPECT_NE(highscores->helpLine().find("W"), std::string::npos);
    tap(SDLK_w, 'w');
    ASSERT_NE(highscores->getViewer(), nullptr);
    runTicks(engine, 30);
    EXPECT_EQ(highscores->getViewer()->getStep(), 30u);
    const Vec2f watched = highscores->getViewer()->getGhostObject()->getPose().centre[0];
    EXPECT_GT(watched.x, kStartX);
    EXPECT_LT((highscores->getViewer()->getCameraCentre() - watched).length(), 1.0f) << "the camera follows the ghost";
    tap(SDLK_ESCAPE);
    EXPECT_EQ(highscores->getViewer(), nullptr);
    ASSERT_EQ(engine.getCurrentState(), highscores) << "Escape ends the playback, not the list";

    // Back from the highscores the level starts again, countdown sound and all, with the new record.
    tap(SDLK_RETURN, '\r');
    ASSERT_EQ(engine.getCurrentState(), game);
    EXPECT_LT((game->getViewCenter(0) - game->getPlayer1()->getPosition()).length(), 0.1f) << "the view starts away from the rider";
    EXPECT_EQ(game->getFinishTime(0), 0.0f);
    EXPECT_EQ(game->getRecordHundredths(), score);
    engine.tick();
    EXPECT_EQ(countdownVoices.poll(), 2);
    ASSERT_NE(game->getGhostObject(), nullptr);
    ASSERT_EQ(game->getGhost().steps.size(), driven.size());
    runCountdown();
    // Halfway the ghost is clear of the rider waiting at the start and of the finish.
    const auto halfway = std::find_if(driven.begin(), driven.end(),
                                      [](const VehiclePose& p) { return p.centre[0].x >= 0.5f * (kStartX + kFinishX); }) - driven.begin();
    for (int step = 0; step <= finishStep + 30; ++step) {
        ASSERT_EQ(game->getClockSteps(), step);
        const VehiclePose at = game->getGhostObject()->getPose();
        const VehiclePose& was = driven[size_t(std::min(step, finishStep))];
        for (int body = 0; body < 4; ++body)
            ASSERT_LT((at.centre[body] - was.centre[body]).length(), 1e-3f) << "step " << step << ", body " << body;
        if (step == halfway) {
            tap(SDLK_PAUSE); // holds the camera still between the two frames
            const Frame shown = rendered();
            tap(SDLK_g);
            EXPECT_FALSE(game->getGhostObject()->isShown()) << "G hides the ghost in a pause";
            EXPECT_EQ(engine.getSettings().getInt("ghostShown"), 0) << "hiding the ghost is a kept choice";
            expectSeeThroughGhost(shown, rendered());
            runTicks(engine, 10);
            pushKey(SDLK_PAUSE, true);
            pushKey(SDLK_PAUSE, false);
        }
        engine.tick();
    }
    EXPECT_NEAR(game->getPlayer1()->getPosition().x, kStartX, 0.05f);
    tap(SDLK_g);
    EXPECT_TRUE(game->isGhostShown());
}

// Only a faster run replaces the kept one; a ghost file that is no ghost is replaced.
TEST(GhostFile, OnlyAFasterRunReplacesTheKeptOne)
{
    const std::string path = scratchDir() + "l.ghost";
    GhostRun run;
    run.levelFilename = "l.xml";
    run.levelChecksum = 7;
    run.layers = {"boden"};
    run.steps.resize(2);
    const struct {
        int kept; // -1: no file, 0: a broken one
        uint32_t offered;
        bool replaces;
    } cases[] = {{-1, 500, true}, {0, 500, true}, {500, 600, false}, {500, 500, false}, {500, 499, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.kept) + " " + std::to_string(c.offered));
        fs::remove(path);
        if (c.kept == 0)
            std::ofstream(path) << "ZRBGHOST";
        run.hundredths = uint32_t(c.kept);
        run.steps[1].chassisX = c.kept;
        if (c.kept > 0) {
            ASSERT_TRUE(saveGhost(path, run));
        }
        run.hundredths = c.offered;
        run.steps[1].chassisX = int32_t(c.offered);
        GhostRun now;
        stderrOf([&] {
            EXPECT_EQ(keepIfFaster(path, run), c.replaces);
            EXPECT_TRUE(loadGhost(path, "l.xml", 7, now));
        });
        const uint32_t expected = c.replaces ? c.offered : uint32_t(c.kept);
        EXPECT_EQ(now.hundredths, expected);
        ASSERT_EQ(now.steps.size(), 2u);
        EXPECT_EQ(now.steps[1].chassisX, int32_t(expected));
    }
}

TEST_F(GameScreen, ALoneSecondPlayerResultIsProposedAndStoredUnderPlayerTwosName)
{
    HighscoreState* highscores = realHighscores();
    VoiceCounter winnerVoices("sounds/winner.ogg");
    VoiceCounter loserVoices("sounds/loser.ogg");
    std::string level = fullCourse();

    // Both start side by side; the winner waits for the other, then both are named in turn.
    start(GM_TIME_2P, level);
    PlayerObject* one = game->getPlayer1();
    PlayerObject* two = game->getPlayer2();
    ASSERT_NE(two, nullptr);
    EXPECT_EQ(two->isFacingLeft(), one->isFacingLeft()) << "the replays see where player 2 starts, not its direction";
    EXPECT_EQ(game->getViewCenter(1), two->getPosition()) << "the second view starts on its rider";
    runCountdown();
    ASSERT_TRUE(driveToFinish(SDLK_UP, 0));
    EXPECT_EQ(game->getEndDelay(), 0.0f) << "the winner waits for the other player";
    EXPECT_TRUE(two->areControlsEnabled());
    ASSERT_TRUE(driveToFinish(SDLK_w, 1));
    EXPECT_LT((game->getViewCenter(0) - one->getPosition()).length(), 3.0f) << "each view follows its rider";
    EXPECT_LT((game->getViewCenter(1) - two->getPosition()).length(), 3.0f) << "each view follows its rider";
    EXPECT_EQ(winnerVoices.poll(), 1);
    EXPECT_EQ(loserVoices.poll(), 1);
    ASSERT_GE(voicesIn(AL_PLAYING), 2) << "both motors hum";
    const uint32_t first = toHundredths(game->getFinishTime(0));
    const uint32_t second = toHundredths(game->getFinishTime(1));
    runTicks(engine, 181);
    ASSERT_EQ(engine.getCurrentState(), highscores);
    EXPECT_EQ(voicesIn(AL_PLAYING) + voicesIn(AL_PAUSED), 0) << "under the highscores the match is silent";
    EXPECT_EQ(highscores->getPendingScore(), first);
    typeName(highscores, "Anna");
    EXPECT_EQ(highscores->getTypedName(), "Spieler 2");
    EXPECT_EQ(highscores->getPendingScore(), second);
    typeName(highscores, "Bert");
    tap(SDLK_RETURN, '\r');
    ASSERT_EQ(engine.getCurrentState(), game);

    // Only player 2 finishes; Return ends the race at the next step.
    runCountdown();
    ASSERT_TRUE(driveToFinish(SDLK_w, 1));
    EXPECT_EQ(game->getWinner(), 1);
    uint32_t score = toHundredths(game->getFinishTime(1));
    tap(SDLK_RETURN, '\r');
    EXPECT_EQ(engine.getCurrentState(), game);
    engine.tick();
    ASSERT_EQ(engine.getCurrentState(), highscores);
    EXPECT_EQ(highscores->getTypedName(), "Bert");
    EXPECT_EQ(highscores->getPendingScore(), score);
    tap(SDLK_RETURN, '\r');
    tap(SDLK_RETURN, '\r');

    // Player 1's remembered name is still player 1's.
    runCountdown();
    ASSERT_TRUE(driveToFinish(SDLK_UP, 0));
    tap(SDLK_RETURN, '\r');
    engine.tick();
    ASSERT_EQ(engine.getCurrentState(), highscores);
    EXPECT_EQ(highscores->getTypedName(), "Anna");
}

TEST_F(GameScreen, CaptureAndKingAreDecidedByPointsAndLife)
{
    RecordingState* highscores = recorderFor("Highscore");
    VoiceCounter winnerVoices("sounds/winner.ogg");
    std::string level = fullCourse();

    // A tie goes to player 1; the match restarts 3 s later without a list.
    start(GM_CTZ, level, 5);
    runCountdown();
    game->getPlayer1()->addPoints(5);
    game->getPlayer2()->addPoints(5);
    engine.tick();
    EXPECT_EQ(game->getWinner(), 0);
    EXPECT_EQ(winnerVoices.poll(), 1);
    EXPECT_FALSE(game->getPlayer2()->areControlsEnabled());
    runTicks(engine, 181);
    EXPECT_EQ(game->getWinner(), -1);
    EXPECT_EQ(game->getCountdown(), 4.0f);
    EXPECT_EQ(highscores->enters, 0);
    engine.popState();

    // Life decides over points in the same step.
    start(GM_KOH, level, 5);
    runCountdown();
    game->getPlayer1()->addPoints(5);
    game->getPlayer1()->damage(100);
    engine.tick();
    EXPECT_EQ(game->getWinner(), 1);
    engine.popState();

    // Both dead: nothing is decided and the match goes on.
    start(GM_KOH, level, 5);
    runCountdown();
    game->getPlayer1()->damage(100);
    game->getPlayer2()->damage(100);
    runTicks(engine, 200);
    EXPECT_EQ(game->getWinner(), -1);
    EXPECT_GT(game->getMatchTime(), 3.0f);
}

TEST_F(GameScreen, PauseFreezesTheMatchWhileReturnAndEscapeStillWork)
{
    RecordingState* highscores = recorderFor("Highscore");
    start(GM_CTZ, fullCourse(), 3);
    runTicks(engine, 20);
    ASSERT_GE(voicesIn(AL_PLAYING), 3) << "the countdown and both motors";
    tap(SDLK_PAUSE);
    ASSERT_TRUE(game->isPaused());
    EXPECT_EQ(voicesIn(AL_PLAYING), 0) << "every voice of the match pauses with it";
    EXPECT_GE(voicesIn(AL_PAUSED), 3);
    float countdown = game->getCountdown();
    Vec2f position = game->getPlayer1()->getPosition();
    runTicks(engine, 30);
    EXPECT_EQ(game->getCountdown(), countdown);
    EXPECT_EQ(game->getPlayer1()->getPosition(), position);

    // Return while paused restarts and stays paused, the new motors too.
    tap(SDLK_RETURN);
    EXPECT_TRUE(game->isPaused());
    EXPECT_EQ(game->getCountdown(), 4.0f);
    EXPECT_EQ(voicesIn(AL_PLAYING), 0);
    tap(SDLK_PAUSE);
    EXPECT_FALSE(game->isPaused());
    EXPECT_EQ(voicesIn(AL_PAUSED), 0);
    EXPECT_GE(voicesIn(AL_PLAYING), 2) << "the motors hum on";

    // Escape in a pause during the end delay leaves without an entry (the clock and
    // the end delay stop with the countdown: one step skipped whole).
    runCountdown();
    game->getPlayer2()->addPoints(3);
    engine.tick();
    ASSERT_EQ(game->getWinner(), 1);
    tap(SDLK_PAUSE);
    tap(SDLK_ESCAPE);
    EXPECT_EQ(engine.getCurrentState(), menu);
    EXPECT_EQ(game->getLevel(), nullptr);
    EXPECT_FALSE(game->isPaused());
    runTicks(engine, 300);
    EXPECT_EQ(highscores->enters, 0);
}

// Runs with points, ended by the clock or by a death, reach the list in the replays
// (nussjagd-story, nussjagd-spikes); one without points starts again.
TEST_F(GameScreen, AStoryRunEndsWhenItsTimeIsUpAndWithoutPointsStartsAgain)
{
    RecordingState* highscores = recorderFor("Highscore");
    VoiceCounter countdownVoices("sounds/countdown.ogg");
    // The course of every mode: the story keeps only the rider and has no finish.
    start(GM_STORY, writeLevel("story.xml", playerXml(0, kStartX) + playerXml(1, kStartX + 5.0f) + finishXml()));
    PlayerObject* rider = game->getPlayer1();
    ASSERT_NE(rider, nullptr);
    EXPECT_EQ(game->getPlayer2(), nullptr);
    EXPECT_EQ(game->getLevel()->findObject("finish"), nullptr);
    EXPECT_TRUE(rider->areControlsEnabled()) << "a story run starts without a countdown";
    runTicks(engine, 60);
    EXPECT_EQ(countdownVoices.poll(), 0);
    for (int steps = 60; steps < int(GameState::kStoryTime * 60.0f) - 1; ++steps) {
        engine.tick();
        ASSERT_EQ(game->getEndDelay(), 0.0f) << "ended early at step " << steps;
    }
    engine.tick();
    EXPECT_GT(game->getEndDelay(), 0.0f);
    EXPECT_TRUE(game->isTimeUp());
    EXPECT_FALSE(rider->areControlsEnabled());
    // The display never goes below 0.
    for (int i = 0; i < 200 && game->getEndDelay() > 0.0f; ++i) {
        engine.tick();
        EXPECT_GE(game->getStorySecondsLeft(), 0);
    }
    EXPECT_EQ(engine.getCurrentState(), game);
    EXPECT_LT(game->getMatchTime(), 0.1f) << "the run did not start again";
    EXPECT_EQ(highscores->enters, 0);
}

TEST_F(GameScreen, TheWinnerOfATwoPlayerRaceDoesNotWaitForADeadRider)
{
    start(GM_TIME_2P, fullCourse());
    runCountdown();
    game->getPlayer2()->damage(100);
    ASSERT_TRUE(driveToFinish(SDLK_UP, 0));
    EXPECT_EQ(game->getWinner(), 0);
    EXPECT_GT(game->getEndDelay(), 0.0f);
}

// Loading draws the level once to ready the renderer; the screen change that follows
// shows the frame that was there before, so that frame must come through whole.
TEST_F(GameScreen, LoadingAMatchKeepsTheFrameTheScreenChangeLeaves)
{
    glClearColor(0.0f, 1.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    start(GM_TIME_2P, fullCourse());
    EXPECT_EQ(Frame().count(0, 0, 1024, 768, Rgb{0, 255, 0}, 0), 1024 * 768);
}

TEST_F(GameScreen, AnUnusableLevelIsReportedOnceAndTheScreenGoesBackToTheMenu)
{
    struct Case {
        GameMode mode;
        std::string level;
    };
    const Case cases[] = {
        {GM_TIME_1P, "missing.xml"}, // as any level the reader refuses (tests/data/bad/level)
        {GM_STORY, writeLevel("nobody.xml", finishXml())},
        {GM_CTZ, writeLevel("alone.xml", playerXml(0, kStartX))},
        {GM_TIME_2P, writeLevel("endless.xml", playerXml(0, kStartX) + playerXml(1, kStartX))},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.level);
        VoiceCounter errors("sounds/error.ogg");
        const std::string said = stderrOf([&] { start(c.mode, c.level); });
        EXPECT_TRUE(said.find("zorbel: ") != std::string::npos && said.find("zorbel: ") == said.rfind("zorbel: ")) << said;
        EXPECT_NE(said.find(c.level), std::string::npos) << said;
        EXPECT_EQ(errors.poll(), 1);
        EXPECT_EQ(engine.getCurrentState(), game);
        engine.renderCurrentState();
        engine.tick();
        EXPECT_EQ(engine.getCurrentState(), menu);
    }

    // A level that breaks before a restart goes back the same way.
    start(GM_TIME_1P, writeLevel("fragile.xml", playerXml(0, kStartX) + finishXml()));
    writeLevel("fragile.xml", finishXml());
    const std::string said = stderrOf([] { tap(SDLK_RETURN); });
    EXPECT_TRUE(said.find("zorbel: ") != std::string::npos && said.find("zorbel: ") == said.rfind("zorbel: ")) << said;
    engine.tick();
    EXPECT_EQ(engine.getCurrentState(), menu);
}

} // namespace
