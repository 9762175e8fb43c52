#include "Replay.h"
#include "Script.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

namespace {

const char* kReplay = R"(# Wiese, one player
# second note
zorbel-replay 1
level wiese.xml
mode GM_TIME_2P
controlMode1 CM_FIVE_KEYS
controlMode2 CM_FOUR_KEYS
pointsNeededToWin 7
seed reset
ticks 300

input
181 +up +w   # both accelerate
240 +right
250 -right +a/97
300 -up -w -a

expect
ticks 300
screen Game
winner 1
matchTime 2.01666665
countdown 0
record 2466
player1 position 12.5 -3.25 angle 0.0999999642 layer boden points 0 life 100 finishTime 0
player2 position 13 -3.5 angle -0.5 layer boden2 points 2 life 40 finishTime 1.98333335
tolerance position 0.05 angle 0.01 time 0.02
require player2 finishTime > 0
require match winner == 1
end
)";

Replay parsed(const std::string& text)
{
    Replay replay;
    std::string error;
    std::istringstream in(text);
    EXPECT_TRUE(readReplay(in, replay, error)) << error;
    return replay;
}

std::string parseError(const std::string& text)
{
    Replay replay;
    std::string error;
    std::istringstream in(text);
    EXPECT_FALSE(readReplay(in, replay, error)) << text;
    return error;
}

std::string replaced(std::string text, const std::string& from, const std::string& to)
{
    size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos)
        text.replace(at, from.size(), to);
    return text;
}

TEST(ReplayFormat, ReadsEveryPartAndWritesItBackUnchanged)
{
    Replay replay = parsed(kReplay);
    EXPECT_EQ(replay.notes, (std::vector<std::string>{"Wiese, one player", "second note"}));
    EXPECT_EQ(replay.settings.level, "wiese.xml");
    EXPECT_EQ(replay.settings.mode, GM_TIME_2P);
    EXPECT_EQ(replay.settings.controlMode2, CM_FOUR_KEYS);
    EXPECT_EQ(replay.settings.pointsNeededToWin, 7);
    ASSERT_EQ(replay.input.size(), 4u);
    EXPECT_EQ(replay.input[0].tick, 181u);
    EXPECT_EQ(replay.input[0].events, (std::vector<KeyEvent>{{SDLK_UP, true, 0}, {SDLK_w, true, 0}}));
    EXPECT_EQ(replay.input[2].events, (std::vector<KeyEvent>{{SDLK_RIGHT, false, 0}, {SDLK_a, true, 97}}));
    const PlayerState& second = replay.expected.players[1];
    EXPECT_TRUE(second.present);
    EXPECT_EQ(second.layer, "boden2");
    EXPECT_EQ(second.points, 2);
    EXPECT_EQ(second.life, 40);
    EXPECT_EQ(second.finishTime, 1.98333335f);
    EXPECT_EQ(replay.expected.players[0].angle, 0.0999999642f);
    EXPECT_EQ(replay.tolerances.angle, 0.01f);
    ASSERT_EQ(replay.requirements.size(), 2u);
    EXPECT_EQ(describe(replay.requirements[1]), "match winner == 1");

    std::ostringstream written;
    writeReplay(written, replay);
    Replay again = parsed(written.str());
    std::ostringstream rewritten;
    writeReplay(rewritten, again);
    EXPECT_EQ(written.str(), rewritten.str());
    EXPECT_TRUE(sameState(replay.expected, again.expected)) << "floats survive the text bit for bit";
    EXPECT_EQ(again.input.size(), replay.input.size());
    EXPECT_EQ(again.input[2].events, replay.input[2].events);
}

TEST(ReplayFormat, NamesEveryLineItCannotUse)
{
    EXPECT_NE(parseError(replaced(kReplay, "zorbel-replay 1", "zorbel-replay 2")).find("version 2"),
              std::string::npos);
    EXPECT_NE(parseError(replaced(kReplay, "GM_TIME_2P", "GM_RACE")).find("line 5"), std::string::npos);
    EXPECT_NE(parseError(replaced(kReplay, "250 -right", "240 -right")).find("does not come after"),
              std::string::npos);
    EXPECT_NE(parseError(replaced(kReplay, "300 -up", "301 -up")).find("from 1 to 300"), std::string::npos);
    EXPECT_NE(parseError(replaced(kReplay, "+right", "+warp")).find("+warp"), std::string::npos);
    EXPECT_NE(parseError(replaced(kReplay, "life 40", "life 140")).find("0 to 100"), std::string::npos);
    EXPECT_NE(parseError(replaced(kReplay, "ticks 300\nscreen", "ticks 299\nscreen")).find("after 299 steps"),
              std::string::npos);
    EXPECT_NE(parseError(replaced(kReplay, " finishTime 0\n", "\n")).find("finishTime"), std::string::npos);
    EXPECT_NE(parseError(replaced(kReplay, "player2 finishTime >", "player3 finishTime >")).find("player3"),
              std::string::npos);
    EXPECT_NE(parseError(replaced(kReplay, "winner == 1", "speed ~ 1")).find("~"), std::string::npos);
    EXPECT_NE(parseError(replaced(kReplay, "end\n", "")).find("ends before"), std::string::npos);
    EXPECT_NE(parseError(std::string(kReplay) + "ticks 4\n").find("nothing may follow"), std::string::npos);
}

TEST(ReplayFormat, ComparesWithinTolerancesAndReportsEachDifference)
{
    Replay replay = parsed(kReplay);
    MatchState actual = replay.expected;
    EXPECT_TRUE(compareStates(replay.expected, actual, Tolerances()).empty());

    actual.players[0].x += 0.04f;
    actual.players[1].finishTime -= 0.015f;
    EXPECT_TRUE(compareStates(replay.expected, actual, replay.tolerances).empty());
    EXPECT_FALSE(sameState(replay.expected, actual));

    actual.players[0].angle += 0.02f;
    actual.players[1].points = 3;
    actual.players[1].layer = "boden";
    actual.screen = "Highscore";
    actual.matchTime = NAN;
    actual.record = 2465;
    std::vector<std::string> differences = compareStates(replay.expected, actual, replay.tolerances);
    ASSERT_EQ(differences.size(), 6u);
    EXPECT_EQ(differences[0], "screen: expected Game, got Highscore");
    EXPECT_NE(differences[1].find("matchTime"), std::string::npos) << "NaN is never close to anything";
    EXPECT_EQ(differences[2], "record: expected 2466, got 2465");
    EXPECT_NE(differences[3].find("player1 angle"), std::string::npos);
    EXPECT_NE(differences[4].find("player2 layer"), std::string::npos);
    EXPECT_NE(differences[5].find("player2 points: expected 2, got 3"), std::string::npos);

    actual = replay.expected;
    actual.players[1] = PlayerState();
    differences = compareStates(replay.expected, actual, replay.tolerances);
    ASSERT_EQ(differences.size(), 1u);
    EXPECT_EQ(differences[0], "player2: expected a vehicle, got none");
}

TEST(ReplayFormat, ConditionsFailOnAbsentPlayers)
{
    MatchState state;
    state.players[0].present = true;
    state.players[0].points = 3;
    Condition condition;
    std::string error;
    ASSERT_TRUE(parseCondition({"player1", "points", ">=", "3"}, 0, condition, error)) << error;
    EXPECT_TRUE(holds(state, condition));
    ASSERT_TRUE(parseCondition({"player2", "points", "<", "1"}, 0, condition, error)) << error;
    EXPECT_FALSE(holds(state, condition)) << "a second player that does not exist has no points to compare";
    EXPECT_FALSE(parseCondition({"player1", "colour", "==", "1"}, 0, condition, error));
    EXPECT_NE(error.find("colour"), std::string::npos);
}

TEST(ReplayFormat, KeyNamesGoBothWays)
{
    for (int key = 1; key < SDLK_LAST; ++key) {
        SDLKey back = SDLK_UNKNOWN;
        ASSERT_TRUE(parseKeyName(keyName(SDLKey(key)), back)) << keyName(SDLKey(key));
        EXPECT_EQ(back, SDLKey(key));
    }
    SDLKey key = SDLK_UNKNOWN;
    EXPECT_FALSE(parseKeyName("key0", key));
    EXPECT_FALSE(parseKeyName("key323", key));
    EXPECT_FALSE(parseKeyName("Up", key));
}

TEST(DrivingScript, ReadsCommandsAndRejectsMistakesWithTheirLine)
{
    Script script;
    std::string error;
    std::istringstream good("# teaches the ridge\n\npress up\nwait 10\nuntil player1 x >= 40 within 600\n"
                            "tap space\nbalance player1 on 0.3\nrelease up\nrequire player1 finishTime > 0\n"
                            "tolerance position 0.1 time 0.05\ntap return/13\n");
    ASSERT_TRUE(readScript(good, script, error)) << error;
    EXPECT_EQ(script.notes, std::vector<std::string>{"teaches the ridge"});
    ASSERT_EQ(script.commands.size(), 9u);
    EXPECT_EQ(script.commands[2].count, 600u);
    EXPECT_EQ(script.commands[2].line, 5);
    EXPECT_FLOAT_EQ(script.commands[4].threshold, 0.3f);
    EXPECT_FLOAT_EQ(script.commands[7].tolerances.time, 0.05f);
    // A name entry takes only keys that type a character, as Return does at the keyboard.
    EXPECT_EQ(script.commands[8].keys.at(0).unicode, 13);

    for (const char* bad : {"wait 0", "wait -3", "press", "press warp", "until player1 x >= 4 within 0",
                            "balance player3 on", "hold up", "tolerance colour 1", "tap return/0"}) {
        std::istringstream in(std::string("press up\n") + bad + "\n");
        EXPECT_FALSE(readScript(in, script, error)) << bad;
        EXPECT_EQ(error.rfind("line 2: ", 0), 0u) << bad << ": " << error;
    }
}

} // namespace
