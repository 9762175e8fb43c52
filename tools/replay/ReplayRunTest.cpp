#include "Playback.h"
#include "Recorder.h"
#include "Replay.h"
#include "ReplayHost.h"
#include "TestHost.h"
#include "Script.h"

#include "engine/Engine.h"
#include "support/TestEngine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>

// Replays on the real engine: recording, scripting and playing back must give
// the same match, run after run, whatever ran before in the same process.

namespace {

namespace fs = std::filesystem;

std::vector<std::string> shippedReplays()
{
    std::vector<std::string> files;
    for (const auto& entry : fs::directory_iterator("tests/replays")) {
        if (entry.path().extension() == ".replay")
            files.push_back(entry.path().string());
    }
    std::sort(files.begin(), files.end());
    return files;
}

Replay load(const std::string& file)
{
    Replay replay;
    std::string error;
    EXPECT_TRUE(readReplayFile(file, replay, error)) << file << ": " << error;
    return replay;
}

Replay fromScript(const MatchSettings& settings, const std::string& text)
{
    Script script;
    Replay replay;
    std::string error;
    std::istringstream in(text);
    EXPECT_TRUE(readScript(in, script, error)) << error;
    EXPECT_TRUE(runScript(host(), settings, script, replay, error)) << error;
    return replay;
}

MatchSettings settingsFor(const std::string& level, GameMode mode)
{
    MatchSettings settings;
    settings.level = level;
    settings.mode = mode;
    return settings;
}

TEST(ReplayRun, EveryShippedReplayEndsTheSameWhenPlayedTwiceInOneProcess)
{
    std::vector<std::string> files = shippedReplays();
    ASSERT_GE(files.size(), 8u) << "every time trial in both modes, the story, the capture and the king arena";
    for (const std::string& file : files) {
        SCOPED_TRACE(file);
        Replay replay = load(file);
        MatchState first = play(host(), replay);
        MatchState second = play(host(), replay);
        EXPECT_TRUE(sameState(first, second));
        for (const std::string& difference : compareStates(first, second, Tolerances()))
            ADD_FAILURE() << difference;
        EXPECT_TRUE(compareStates(replay.expected, first, replay.tolerances).empty());
    }
}

TEST(ReplayRun, DrawingEveryStepDoesNotChangeTheMatch)
{
    // The first nuts of the story, with their floating texts: drawing culls and animates objects.
    Replay replay = load("tests/replays/nussjagd-story.replay");
    replay.ticks = 140;
    MatchState unseen = play(host(), replay);
    PlaybackView view;
    view.render = true;
    MatchState drawn = play(host(), replay, &view);
    EXPECT_TRUE(sameState(unseen, drawn));
    EXPECT_GT(drawn.players[0].points, 0);
}

TEST(ReplayRun, AScriptedMatchPlaysBackBitForBitAfterTheRoundTripThroughText)
{
    // Leaning, braking and turning, on a level with pickups: every key event counts.
    Replay replay = fromScript(settingsFor("nussjagd.xml", GM_STORY),
                               "press up\nwait 100\npress right\nwait 20\nrelease right\npress left\nwait 15\n"
                               "release left up\npress down\nwait 30\ntap right_ctrl\nrelease down\nwait 10\n"
                               "tap right_ctrl\npress up\nuntil player1 points >= 300 within 1500\nwait 5\n");
    ASSERT_GT(replay.expected.players[0].points, 0);
    EXPECT_EQ(replay.input.front().tick, 1u);

    std::ostringstream text;
    writeReplay(text, replay);
    Replay read;
    std::string error;
    std::istringstream in(text.str());
    ASSERT_TRUE(readReplay(in, read, error)) << error;
    Verdict verdict = verify(host(), read);
    EXPECT_TRUE(verdict.identical);
    EXPECT_TRUE(verdict.passed());
}

TEST(ReplayRun, VerifyCatchesAReplayWhoseInputWasChanged)
{
    Replay replay = load("tests/replays/wiese-1p.replay");
    ASSERT_TRUE(verify(host(), replay).passed());

    Replay late = replay;
    // Accelerate one second later: the finish comes a second later, beyond any tolerance.
    for (TickInput& entry : late.input)
        entry.tick += 60;
    late.ticks += 60;
    late.expected.ticks += 60;
    Verdict verdict = verify(host(), late);
    EXPECT_FALSE(verdict.passed());
    EXPECT_FALSE(verdict.differences.empty());

    Replay idle = replay;
    idle.input.clear();
    verdict = verify(host(), idle);
    ASSERT_EQ(verdict.unmet.size(), 1u) << "standing still, the driver never finishes";
    EXPECT_EQ(verdict.unmet[0], "player1 finishTime > 0");
    EXPECT_EQ(verdict.actual.players[0].finishTime, 0.0f);
}

TEST(ReplayRun, TheRecorderTakesKeysFromTheQueueAndStopsAtEscape)
{
    ReplayHost& recorder = host(); // the engine must exist before keys can be queued
    RecordLimits limits;
    limits.maxTicks = 20;
    pushKey(SDLK_UP, true);
    pushKey(SDLK_SPACE, true, ' ');
    Replay replay;
    record(recorder, settingsFor("koenigshuegel.xml", GM_KOH), limits, replay);
    EXPECT_EQ(replay.ticks, 20u);
    ASSERT_EQ(replay.input.size(), 1u);
    EXPECT_EQ(replay.input[0].tick, 1u);
    EXPECT_EQ(replay.input[0].events, (std::vector<KeyEvent>{{SDLK_UP, true, 0}, {SDLK_SPACE, true, ' '}}));
    EXPECT_FALSE(testEngine().isKeyDown(SDLK_UP)) << "the host lets go of held keys after a run";
    EXPECT_TRUE(sameState(play(recorder, replay), replay.expected));

    pushKey(SDLK_ESCAPE, true);
    record(recorder, settingsFor("koenigshuegel.xml", GM_KOH), limits, replay);
    EXPECT_EQ(replay.ticks, 0u) << "Escape ends the recording before the step that would take it";
    SDL_Event left;
    int escapes = 0;
    while (SDL_PollEvent(&left))
        escapes += left.type == SDL_KEYDOWN && left.key.keysym.sym == SDLK_ESCAPE;
    EXPECT_EQ(escapes, 0) << "ending the run took it from the queue";
}

} // namespace
