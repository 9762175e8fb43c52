#include "GameTestKit.h"

#include "objects/CheckpointObject.h"
#include "states/HighscoreState.h"
#include "states/HighscoreTable.h"
#include "states/TimeFormat.h"
#include "world/Level.h"

#include <AL/al.h>

#include <fstream>
#include <iterator>

using namespace game_test;

namespace {

using GameScreen = GameTest;

// Ten times of `seconds` each for `levelName`, so only a better time qualifies.
void fillTable(const SearchPathList& paths, const std::string& levelName, uint32_t score)
{
    HighscoreTable table(paths);
    for (int i = 0; i < 10; ++i)
        table.insert(score, levelName, ST_TIME, "Platz " + std::to_string(i + 1));
    ASSERT_TRUE(table.save());
}

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

int stderrLines(const std::string& text)
{
    int lines = 0;
    for (size_t at = text.find("zorbel: "); at != std::string::npos; at = text.find("zorbel: ", at + 1))
        ++lines;
    return lines;
}

TEST_F(GameScreen, OnePlayerTimeTrialRunsFromCountdownToTheHighscoreScreenAndBack)
{
    RecordingState* highscores = highscoreRecorder();
    VoiceCounter countdownVoices("sounds/countdown.ogg");
    VoiceCounter winnerVoices("sounds/winner.ogg");
    start(GM_TIME_1P, writeLevel("solo.xml", playerXml(0, kStartX) + finishXml()));
    PlayerObject* player = game->getPlayer1();
    ASSERT_NE(player, nullptr);
    EXPECT_EQ(game->getPlayer2(), nullptr);
    EXPECT_EQ(game->getCountdown(), 4.0f);
    EXPECT_FALSE(player->areControlsEnabled());

    engine.tick();
    EXPECT_EQ(countdownVoices.poll(), 1) << "the countdown sound starts in the first step";
    // Frozen until the countdown falls to 1.0; from then on the players drive and the clock runs.
    int steps = 1;
    while (game->getCountdown() > 1.0f) {
        ASSERT_FALSE(player->areControlsEnabled());
        ASSERT_EQ(game->getMatchTime(), 0.0f);
        engine.tick();
        ++steps;
    }
    EXPECT_NEAR(steps, 180, 1) << "three seconds, give or take the float sum of the steps";
    EXPECT_TRUE(player->areControlsEnabled());
    engine.tick();
    EXPECT_FLOAT_EQ(game->getMatchTime(), 1.0f / 60.0f);
    EXPECT_EQ(countdownVoices.poll(), 1);

    ASSERT_TRUE(driveToFinish(SDLK_UP, 0));
    float finishTime = game->getFinishTime(0);
    EXPECT_EQ(finishTime, game->getMatchTime());
    EXPECT_GT(finishTime, 0.2f);
    EXPECT_EQ(game->getWinner(), 0);
    EXPECT_EQ(winnerVoices.poll(), 1);
    EXPECT_FALSE(player->areControlsEnabled());
    EXPECT_EQ(game->getEndDelay(), 3.0f);

    // 3.0 s later, give or take the float sum of the steps, the highscores open.
    runTicks(engine, 179);
    EXPECT_EQ(highscores->enters, 0);
    EXPECT_EQ(game->getFinishTime(0), finishTime) << "the clock stopped for the finished player";
    runTicks(engine, 2);
    ASSERT_EQ(engine.getCurrentState(), highscores);
    const ParameterMap& handed = highscores->entered;
    EXPECT_EQ(handed.get<ScoreType>("scoreType"), ST_TIME);
    EXPECT_EQ(handed.get<std::string>("levelFilename"), "solo.xml");
    EXPECT_EQ(handed.get<std::string>("name1"), "Spieler 1");
    ASSERT_TRUE(handed.has<unsigned int>("score1"));
    EXPECT_EQ(handed.get<unsigned int>("score1"), toHundredths(finishTime));
    EXPECT_FALSE(handed.contains("score2"));

    // Back from the highscores the level starts again, countdown sound and all.
    engine.popState();
    EXPECT_EQ(engine.getCurrentState(), game);
    EXPECT_EQ(game->getPlayer1()->getPosition().x, kStartX);
    EXPECT_EQ(game->getCountdown(), 4.0f);
    EXPECT_EQ(game->getFinishTime(0), 0.0f);
    EXPECT_EQ(game->getWinner(), -1);
    engine.tick();
    EXPECT_EQ(countdownVoices.poll(), 2);
}

TEST_F(GameScreen, ATimeThatDoesNotQualifyRestartsAtOnceAndTheRecordIsShown)
{
    RecordingState* highscores = highscoreRecorder();
    std::string level = writeLevel("slow.xml", playerXml(0, kStartX) + finishXml());
    fillTable(scorePaths, level, 10);
    start(GM_TIME_1P, level);
    EXPECT_EQ(game->getRecordHundredths(), 10);
    runCountdown();
    ASSERT_TRUE(driveToFinish(SDLK_UP, 0));
    int steps = 0;
    while (steps < 200 && game->getCountdown() != 4.0f) {
        engine.tick();
        ++steps;
    }
    EXPECT_NEAR(steps, 180, 1);
    EXPECT_EQ(game->getPlayer1()->getPosition().x, kStartX);
    EXPECT_EQ(highscores->enters, 0);
    EXPECT_EQ(engine.getCurrentState(), game);
    EXPECT_EQ(game->getCountdown(), 4.0f);
    EXPECT_EQ(game->getMatchTime(), 0.0f);
}

TEST_F(GameScreen, TypingANameAfterTheRaceWritesTheTableAndBecomesTheRecord)
{
    auto* highscores = new HighscoreState(&engine, scorePaths);
    engine.registerState(highscores);
    start(GM_TIME_1P, writeLevel("named.xml", playerXml(0, kStartX) + finishXml()));
    EXPECT_EQ(game->getRecordHundredths(), -1);
    runCountdown();
    ASSERT_TRUE(driveToFinish(SDLK_UP, 0));
    uint32_t score = toHundredths(game->getFinishTime(0));
    runTicks(engine, 181);
    ASSERT_EQ(engine.getCurrentState(), highscores);
    EXPECT_EQ(highscores->getTypedName(), "Spieler 1");
    EXPECT_EQ(highscores->getPendingScore(), score);

    tap(SDLK_BACKSPACE, '\b');
    tap(SDLK_BACKSPACE, '\b');
    tap(SDLKey('1'), '1');
    tap(SDLKey('0'), '0');
    tap(SDLK_RETURN, '\r');
    std::ifstream file(scoreDir + "/highscore.xml");
    std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("filename=\"named.xml\""), std::string::npos) << text;
    EXPECT_NE(text.find("name=\"Spieler10\" value=\"" + std::to_string(score) + "\""), std::string::npos) << text;

    tap(SDLK_RETURN, '\r');
    ASSERT_EQ(engine.getCurrentState(), game);
    EXPECT_EQ(game->getRecordHundredths(), score);
    EXPECT_EQ(game->getCountdown(), 4.0f);
}

TEST_F(GameScreen, TwoPlayerRaceStartsTogetherAndHandsOverBothTimesInOrder)
{
    RecordingState* highscores = highscoreRecorder();
    VoiceCounter winnerVoices("sounds/winner.ogg");
    VoiceCounter loserVoices("sounds/loser.ogg");
    start(GM_TIME_2P, fullCourse());
    PlayerObject* one = game->getPlayer1();
    PlayerObject* two = game->getPlayer2();
    ASSERT_NE(two, nullptr);
    EXPECT_EQ(two->isFacingLeft(), one->isFacingLeft());
    EXPECT_EQ(two->getPosition(), one->getPosition());
    EXPECT_EQ(two->getAngle(), one->getAngle());

    runCountdown();
    ASSERT_TRUE(driveToFinish(SDLK_UP, 0));
    EXPECT_EQ(game->getWinner(), 0);
    EXPECT_EQ(winnerVoices.poll(), 1);
    EXPECT_EQ(game->getEndDelay(), 0.0f) << "the winner waits for the other player";
    EXPECT_TRUE(two->areControlsEnabled());

    ASSERT_TRUE(driveToFinish(SDLK_w, 1));
    const auto& loserInstances = engine.getSoundManager()->get("sounds/loser.ogg")->getInstances();
    Handle<SoundInstance> loser = loserInstances.empty() ? Handle<SoundInstance>() : loserInstances.back();
    EXPECT_EQ(loserVoices.poll(), 1);
    EXPECT_EQ(winnerVoices.poll(), 1);
    EXPECT_EQ(game->getEndDelay(), 3.0f);
    EXPECT_GT(game->getFinishTime(1), game->getFinishTime(0));
    EXPECT_FALSE(two->areControlsEnabled());
    if (loser && loser->isValid()) {
        runTicks(engine, 60);
        EXPECT_NEAR(loser->getPitch(), 1.0f - 0.5f / 4.0f, 0.01f) << "the loser's tone falls to half over 4 s";
    }

    runTicks(engine, 125);
    ASSERT_EQ(engine.getCurrentState(), highscores);
    const ParameterMap& handed = highscores->entered;
    EXPECT_EQ(handed.get<std::string>("name1"), "Spieler 1");
    EXPECT_EQ(handed.get<unsigned int>("score1"), toHundredths(game->getFinishTime(0)));
    EXPECT_EQ(handed.get<std::string>("name2"), "Spieler 2");
    EXPECT_EQ(handed.get<unsigned int>("score2"), toHundredths(game->getFinishTime(1)));
}

TEST_F(GameScreen, ALoneSecondPlayerResultIsProposedAndStoredUnderPlayerTwosName)
{
    auto* highscores = new HighscoreState(&engine, scorePaths);
    engine.registerState(highscores);
    std::string level = fullCourse();
    auto name = [&](const std::string& typed) {
        for (size_t i = highscores->getTypedName().size(); i > 0; --i)
            tap(SDLK_BACKSPACE, '\b');
        for (char c : typed)
            tap(SDLKey(c), Uint16(c));
        tap(SDLK_RETURN, '\r');
    };

    // Both finish once and are named; under the highscores the match is silent.
    start(GM_TIME_2P, level);
    runCountdown();
    ASSERT_TRUE(driveToFinish(SDLK_UP, 0));
    ASSERT_TRUE(driveToFinish(SDLK_w, 1));
    ASSERT_GE(voicesIn(AL_PLAYING), 2) << "both motors hum";
    runTicks(engine, 181);
    ASSERT_EQ(engine.getCurrentState(), highscores);
    EXPECT_EQ(voicesIn(AL_PLAYING) + voicesIn(AL_PAUSED), 0);
    name("Anna");
    name("Bert");
    tap(SDLK_RETURN, '\r');
    ASSERT_EQ(engine.getCurrentState(), game);

    // Only player 2 finishes; Return ends the race at the next step.
    runCountdown();
    ASSERT_TRUE(driveToFinish(SDLK_w, 1));
    EXPECT_EQ(game->getWinner(), 1);
    runTicks(engine, 30);
    EXPECT_EQ(engine.getCurrentState(), game) << "the winner waits for the other player";
    uint32_t score = toHundredths(game->getFinishTime(1));
    tap(SDLK_RETURN, '\r');
    EXPECT_EQ(engine.getCurrentState(), game);
    engine.tick();
    ASSERT_EQ(engine.getCurrentState(), highscores);
    EXPECT_EQ(highscores->getTypedName(), "Bert");
    EXPECT_EQ(highscores->getPendingScore(), score);
    tap(SDLK_RETURN, '\r');
    int annas = 0;
    bool stored = false;
    for (const HighscoreEntry& entry : HighscoreTable(scorePaths).getEntries(level, ST_TIME)) {
        annas += entry.name == "Anna";
        stored |= entry.name == "Bert" && entry.score == score;
    }
    EXPECT_EQ(annas, 1);
    EXPECT_TRUE(stored);
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
    RecordingState* highscores = highscoreRecorder();
    VoiceCounter winnerVoices("sounds/winner.ogg");
    std::string level = fullCourse();

    // A tie goes to player 1; the match restarts 3 s later.
    start(GM_CTZ, level, 5);
    EXPECT_EQ(game->getPointsNeededToWin(), 5);
    game->getPlayer1()->addPoints(5);
    engine.tick();
    EXPECT_EQ(game->getPlayer1()->getPoints(), 0) << "no points during the countdown";
    runCountdown();
    game->getPlayer1()->addPoints(5);
    game->getPlayer2()->addPoints(5);
    engine.tick();
    EXPECT_EQ(game->getWinner(), 0);
    EXPECT_EQ(winnerVoices.poll(), 1);
    EXPECT_FALSE(game->getPlayer1()->areControlsEnabled());
    EXPECT_FALSE(game->getPlayer2()->areControlsEnabled());
    EXPECT_EQ(game->getEndDelay(), 3.0f);
    runTicks(engine, 181);
    EXPECT_EQ(game->getWinner(), -1);
    EXPECT_EQ(game->getPlayer1()->getPoints(), 0);
    EXPECT_EQ(game->getCountdown(), 4.0f);
    EXPECT_EQ(highscores->enters, 0);
    EXPECT_EQ(winnerVoices.poll(), 1);
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
    EXPECT_EQ(game->getEndDelay(), 0.0f);
    EXPECT_GT(game->getMatchTime(), 3.0f);
}

TEST_F(GameScreen, PauseFreezesTheMatchWhileReturnAndEscapeStillWork)
{
    RecordingState* highscores = highscoreRecorder();
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

    runCountdown();
    runTicks(engine, 10);
    float clock = game->getMatchTime();
    tap(SDLK_PAUSE);
    runTicks(engine, 30);
    EXPECT_EQ(game->getMatchTime(), clock);
    tap(SDLK_PAUSE);

    // The end delay stands still too, and Escape leaves without an entry.
    game->getPlayer2()->addPoints(3);
    engine.tick();
    ASSERT_EQ(game->getWinner(), 1);
    runTicks(engine, 30);
    tap(SDLK_PAUSE);
    float delay = game->getEndDelay();
    runTicks(engine, 300);
    EXPECT_EQ(game->getEndDelay(), delay);
    tap(SDLK_ESCAPE);
    EXPECT_EQ(engine.getCurrentState(), menu);
    EXPECT_EQ(game->getLevel(), nullptr);
    EXPECT_FALSE(game->isPaused());
    runTicks(engine, 300);
    EXPECT_EQ(highscores->enters, 0);
}

TEST_F(GameScreen, StoryStartsAtOnceWithoutCountdown)
{
    VoiceCounter countdownVoices("sounds/countdown.ogg");
    start(GM_STORY, fullCourse());
    ASSERT_NE(game->getPlayer1(), nullptr);
    EXPECT_EQ(game->getPlayer2(), nullptr) << "the second vehicle exists only in two-player modes";
    EXPECT_EQ(game->getLevel()->findObject("finish"), nullptr);
    EXPECT_TRUE(game->getPlayer1()->areControlsEnabled());
    runTicks(engine, 60);
    EXPECT_EQ(countdownVoices.poll(), 0);
    EXPECT_EQ(game->getCountdown(), 0.0f);
    EXPECT_NEAR(game->getMatchTime(), 1.0f, 1e-4f);
    EXPECT_EQ(game->getWinner(), -1);
}

TEST_F(GameScreen, AStoryRunEndsWhenItsTimeIsUpOrItsRiderDiesAndOffersItsPoints)
{
    auto* highscores = new HighscoreState(&engine, scorePaths);
    engine.registerState(highscores);
    struct Case {
        const char* what;
        int points;
        int diesAtStep; ///< -1: lives to the end
    };
    const Case cases[] = {{"time up", 150, -1}, {"dead at 10 s", 100, 600}, {"time up with nothing", 0, -1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string name = writeLevel("story" + std::to_string(&c - cases) + ".xml", playerXml(0, kStartX));
        start(GM_STORY, name);
        PlayerObject* rider = game->getPlayer1();
        ASSERT_NE(rider, nullptr);
        rider->addPoints(c.points);
        int steps = 0;
        // Up to the last step before the end nothing ends, and the display never goes below 0.
        const int lastStep = c.diesAtStep >= 0 ? c.diesAtStep : int(GameState::kStoryTime * 60.0f) - 1;
        for (; steps < lastStep; ++steps) {
            engine.tick();
            ASSERT_EQ(game->getEndDelay(), 0.0f) << "ended early at step " << steps;
        }
        if (c.diesAtStep >= 0)
            rider->damage(100);
        engine.tick();
        EXPECT_GT(game->getEndDelay(), 0.0f);
        EXPECT_EQ(game->isTimeUp(), c.diesAtStep < 0);
        EXPECT_FALSE(rider->areControlsEnabled());
        for (int i = 0; i < 200 && engine.getCurrentState() == game && game->getEndDelay() > 0.0f; ++i) {
            engine.tick();
            EXPECT_GE(game->getStorySecondsLeft(), 0);
        }
        if (c.points == 0) {
            EXPECT_EQ(engine.getCurrentState(), game) << "a run without points is offered to the list";
            EXPECT_LT(game->getMatchTime(), 0.1f) << "the run does not start again";
        } else {
            ASSERT_EQ(engine.getCurrentState(), highscores);
            EXPECT_EQ(highscores->getPendingScore(), uint32_t(c.points));
            tap(SDLK_RETURN, '\r');
            std::vector<HighscoreEntry> list = HighscoreTable(scorePaths).getEntries(name, ST_POINTS);
            ASSERT_FALSE(list.empty());
            EXPECT_EQ(list.front().score, uint32_t(c.points));
            EXPECT_EQ(list.front().name, "Spieler 1");
        }
        engine.popState();
        engine.popState();
        engine.pushState("MainMenu", ParameterMap());
    }
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

TEST_F(GameScreen, AnUnusableLevelIsReportedOnceAndTheScreenGoesBackToTheMenu)
{
    struct Case {
        GameMode mode;
        std::string level;
    };
    const Case cases[] = {
        {GM_TIME_1P, "missing.xml"},
        {GM_STORY, writeLevel("nobody.xml", finishXml())},
        {GM_CTZ, writeLevel("alone.xml", playerXml(0, kStartX))},
        {GM_TIME_1P, writeLevel("endless.xml", playerXml(0, kStartX))},
        {GM_TIME_2P, writeLevel("endless2.xml", playerXml(0, kStartX) + playerXml(1, kStartX))},
    };
    std::ofstream(levelDir() + "/levels/broken.xml") << "<Level><Layers>";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.level);
        VoiceCounter errors("sounds/error.ogg");
        testing::internal::CaptureStderr();
        start(c.mode, c.level);
        std::string said = testing::internal::GetCapturedStderr();
        EXPECT_EQ(stderrLines(said), 1) << said;
        EXPECT_NE(said.find(c.level), std::string::npos) << said;
        EXPECT_EQ(errors.poll(), 1);
        EXPECT_EQ(engine.getCurrentState(), game);
        engine.renderCurrentState();
        engine.tick();
        EXPECT_EQ(engine.getCurrentState(), menu);
    }
    VoiceCounter errors("sounds/error.ogg");
    start(GM_TIME_1P, "broken.xml");
    EXPECT_EQ(errors.poll(), 1);
    engine.tick();
    EXPECT_EQ(engine.getCurrentState(), menu);
}

TEST_F(GameScreen, ALevelThatBreaksBeforeARestartAlsoGoesBackToTheMenu)
{
    std::string level = writeLevel("fragile.xml", playerXml(0, kStartX) + finishXml());
    start(GM_TIME_1P, level);
    runTicks(engine, 10);
    writeLevel("fragile.xml", finishXml());
    testing::internal::CaptureStderr();
    tap(SDLK_RETURN);
    std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(stderrLines(said), 1) << said;
    EXPECT_EQ(engine.getCurrentState(), game);
    engine.tick();
    EXPECT_EQ(engine.getCurrentState(), menu);
}

} // namespace
