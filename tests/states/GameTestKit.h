#pragma once

#include "ScreenTestKit.h"

#include "engine/Enums.h"
#include "objects/PlayerObject.h"
#include "states/GameState.h"
#include "states/HighscoreState.h"
#include "world/ObjectFactory.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

// The game screen on the real engine with real level files: a short flat
// course in the test engine's scratch directory, a recorder as the menu below the game,
// and a highscore file of the test's own.

namespace game_test {

namespace fs = std::filesystem;

// Ground from row 9 down; players stand on it at x = 4, the finish is 8 units on.
constexpr int kGroundRow = 9;
constexpr float kStartX = 4.0f;
constexpr float kFinishX = 12.0f;
constexpr int kLevelWidth = 40;
constexpr int kLevelHeight = 12;

inline std::string playerXml(int playerNo, float x, int direction = 1)
{
    return "<PlayerObject id=\"player" + std::to_string(playerNo + 1) + "\" playerNo=\"" + std::to_string(playerNo) +
           "\" position=\"(" + std::to_string(x) + ", " + std::to_string(kGroundRow - 1.05f) + ")\" direction=\"" +
           std::to_string(direction) + "\"/>";
}

inline std::string finishXml()
{
    return "<CheckpointObject id=\"finish\" type=\"Finish\" position=\"(" + std::to_string(kFinishX) + ", " +
           std::to_string(kGroundRow - 1.5f) + ")\"/>";
}

// Writes levels/`name` with the flat course and `objects`; returns `name`.
inline std::string writeLevel(const std::string& name, const std::string& objects)
{
    std::ostringstream xml;
    xml << "<Level size=\"(" << kLevelWidth << ", " << kLevelHeight
        << ")\" backgroundColor=\"(0.2, 0.3, 0.5, 1)\" gravity=\"(0, 10)\">\n<Layers>\n"
        << "<TileMapLayer id=\"ground\" z=\"0\" tileSetFilename=\"ground.xml\" enablePhysics=\"1\">\n"
        << "<Objects>" << objects << "</Objects>\n";
    for (int y = 0; y < kLevelHeight; ++y) {
        xml << "<Row>";
        for (int x = 0; x < kLevelWidth; ++x)
            xml << (y > kGroundRow ? 1 : y == kGroundRow ? 3 : 0) << ',';
        xml << "</Row>\n";
    }
    xml << "</TileMapLayer>\n</Layers>\n</Level>\n";
    writeScratchFile("levels/" + name, xml.str());
    return name;
}

// The course of every mode: player 1 at the start, player 2 a little ahead
// facing back towards it, and the finish.
inline std::string fullCourse()
{
    return writeLevel("course.xml", playerXml(0, kStartX) + playerXml(1, kStartX + 5.0f, -1) + finishXml());
}

class GameTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        settleEngine();
        registerAllObjectTypes();
        scoreDir = freshDir();
        scorePaths = pathsTo(scoreDir);
        game = new GameState(&engine, scorePaths);
        engine.registerState(game);
        menu = recorderFor("MainMenu");
        engine.pushState("MainMenu", ParameterMap());
    }

    void TearDown() override
    {
        for (SDLKey key : {SDLK_UP, SDLK_w})
            pushKey(key, false);
        settleEngine();
    }

    void start(GameMode mode, const std::string& levelName, int pointsNeededToWin = 5,
               ControlMode controls = CM_FIVE_KEYS)
    {
        ParameterMap params;
        params.set("gameMode", mode);
        params.set("levelFilename", levelName);
        params.set("pointsNeededToWin", pointsNeededToWin);
        params.set("controlMode1", controls);
        params.set("controlMode2", controls);
        engine.pushState("Game", params);
    }

    // The real highscore screen, reading and writing the test's own file.
    HighscoreState* realHighscores()
    {
        auto* screen = new HighscoreState(&engine, scorePaths);
        engine.registerState(screen);
        return screen;
    }

    // Steps until the countdown has let the players go.
    void runCountdown()
    {
        for (int i = 0; i < 400 && game->getCountdown() > 1.0f; ++i)
            engine.tick();
    }

    // Holds `key` until player `player` has crossed the finish; false if that takes over 20 s.
    bool driveToFinish(SDLKey key, int player)
    {
        pushKey(key, true);
        for (int i = 0; i < 1200 && game->getFinishTime(player) == 0.0f; ++i)
            engine.tick();
        pushKey(key, false);
        return game->getFinishTime(player) != 0.0f;
    }

    Engine& engine = testEngine();
    std::string scoreDir;
    SearchPathList scorePaths;
    GameState* game = nullptr;
    RecordingState* menu = nullptr;
};

} // namespace game_test
