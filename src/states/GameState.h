#pragma once

#include "engine/Enums.h"
#include "engine/ParameterMap.h"
#include "engine/State.h"
#include "engine/Vec2.h"
#include "resources/Font.h"
#include "resources/Handle.h"
#include "resources/SearchPath.h"
#include "resources/Sound.h"
#include "resources/SoundInstance.h"
#include "resources/Texture.h"
#include "states/GameHud.h"
#include "states/GhostRun.h"
#include "states/HighscoreTable.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class GhostObject;
class Level;
class PlayerObject;

/// "Game": one match on one level in one mode. Loads the level, holds the
/// players back during the start countdown, runs the match clock, applies the
/// mode's rules (finish line, target points, life), announces the result and,
/// 3 s after the match is decided, hands qualifying times to "Highscore" or
/// starts the level again. Pause freezes everything, the match's voices
/// included; Return restarts (or ends a decided match at once); Escape goes
/// back to the menu. Under another screen the match is silent.
///
/// Takes "gameMode" (GameMode), "levelFilename" (string, under "levels/"),
/// "pointsNeededToWin" (int, capture and king modes) and "controlMode1"/"controlMode2"
/// (ControlMode). In the time trials the level's record run drives along as a
/// ghost (G shows or hides it), and a qualifying run that may become the record
/// goes to the highscores with its motion ("run1"/"run2"). A level that cannot be loaded, or lacks a player or the finish
/// line its mode needs, is reported and the screen goes back at its first step.
class GameState : public State {
public:
    static constexpr float kCountdownStart = 4.0f;
    static constexpr float kEndDelay = 3.0f;
    /// Seconds a story run lasts.
    static constexpr float kStoryTime = 99.0f;

    /// Highscore lists are read from the engine's folder for the player's files.
    explicit GameState(Engine* engine);
    /// Highscore lists are read from "highscore.xml" in `highscorePaths` instead.
    GameState(Engine* engine, const SearchPathList& highscorePaths);
    ~GameState() override;

    void enter(const ParameterMap& params) override;
    void leave() override;
    void activate() override;
    void deactivate() override;
    void update() override;
    void render() override;

    /// Replaces the running level with "levels/" + `name` and starts its match
    /// from the beginning; "" only unloads. False when the level is unusable.
    bool loadLevel(const std::string& name);
    GameMode getGameMode() const;

    Level* getLevel() const { return level.get(); }
    PlayerObject* getPlayer1() const { return player1; }
    PlayerObject* getPlayer2() const { return player2; }
    const ParameterMap& getParams() const { return params; }
    const std::string& getLevelFilename() const { return levelFilename; }
    Vec2f getViewCenter(int player) const { return player == 0 ? viewCenter1 : viewCenter2; }
    float getViewZoom(int player) const { return player == 0 ? viewZoom1 : viewZoom2; }
    bool isPaused() const { return paused; }
    int getPointsNeededToWin() const { return pointsNeededToWin; }
    /// -1 while undecided, 0 for player 1, 1 for player 2.
    int getWinner() const { return winner; }
    float getMatchTime() const { return matchTime; }
    float getCountdown() const { return countdown; }
    /// Match clock when the player crossed the finish; 0 while not finished.
    float getFinishTime(int player) const { return player == 0 ? finishTime1 : finishTime2; }
    /// The record in hundredths: the ghost's time, else the best of the level's list; -1 when there is neither.
    int64_t getRecordHundredths() const { return recordHundredths; }
    float getEndDelay() const { return endDelay; }
    /// Whole seconds a story run has left, as its display shows them: 99 down to 0.
    int getStorySecondsLeft() const;
    /// The story run ended because its time ran out.
    bool isTimeUp() const { return timeUp; }
    /// Steps the match clock has run since the countdown let the players go.
    int getClockSteps() const { return clockSteps; }

    /// Whether the ghost is drawn: the player's kept choice (key G), shown at first.
    bool isGhostShown() const;
    /// Shows or hides the ghost and keeps the choice in the engine's settings.
    void setGhostShown(bool shown);
    /// The level's record run in this match; without steps when there is none.
    const GhostRun& getGhost() const { return ghost; }
    /// The ghost in the level; null without one.
    GhostObject* getGhostObject() const { return ghostObject; }

    const Handle<Texture>& getHudTexture() const { return hudTexture; }
    const Handle<Font>& getLabelFont() const { return labelFont; }
    const Handle<Font>& getNumberFont() const { return numberFont; }

private:
    /// Draws the level's frame once, cut to one pixel, keeping the back buffer as it was.
    void warmRenderer();
    /// Loads the HUD picture, fonts and sounds on the first entry; caches keep them.
    void loadResources();
    void updatePlayers();
    bool hasObjectsForMode(const std::string& name);
    void followPlayers();
    void runClock();
    void checkFinishLine();
    void checkScoreAndLife();
    /// Ends a story run when its time is up or its rider is dead.
    void checkStoryEnd();
    /// The time trials' hand-over of qualifying times; false when there was none.
    bool offerTimes(ParameterMap& map);
    /// The story's hand-over of player 1's points; false when they do not qualify.
    bool offerPoints(ParameterMap& map);
    /// True when the highscore screen was opened and this step is over.
    bool endMatch();
    void restart();
    void stopCountdownVoice();
    /// Every voice of the match: those of the short sounds, as music streams are the engine's.
    std::vector<Handle<SoundInstance>> matchVoices() const;
    /// Pauses the match's playing voices and keeps them for `resumeVoices`.
    void pauseVoices();
    void resumeVoices();
    HighscoreTable highscoreTable() const;
    /// Loads the level's ghost into the level and gets the players' runs ready for recording.
    void startGhost();
    /// After a step of the clock: records the players still racing and moves the ghost along.
    void followGhost();
    /// Hands player `player`'s run to the highscores as "run1"/"run2" when its time beats the record.
    void offerRun(ParameterMap& map, int player, uint32_t hundredths);

    ParameterMap params;
    std::unique_ptr<Level> level;
    std::string levelFilename;
    /// Level and mode the renderer was last warmed for: a restart of the same match needs no warming.
    std::string warmedFor;
    PlayerObject* player1 = nullptr;
    PlayerObject* player2 = nullptr;
    Vec2f viewCenter1;
    Vec2f viewCenter2;
    float viewZoom1 = 0.0f;
    float viewZoom2 = 0.0f;
    bool paused = false;
    Handle<Texture> hudTexture;
    Handle<Font> labelFont;
    Handle<Font> numberFont;
    Handle<Sound> winnerSound;
    Handle<Sound> loserSound;
    Handle<Sound> errorSound;
    Handle<Sound> timeUpSound;
    int pointsNeededToWin = 0;
    int winner = -1;
    float matchTime = 0.0f;
    float countdown = 0.0f;
    Handle<Sound> countdownSound;
    Handle<SoundInstance> countdownVoice;
    std::vector<Handle<SoundInstance>> pausedVoices;
    float finishTime1 = 0.0f;
    float finishTime2 = 0.0f;
    int64_t recordHundredths = -1;
    float endDelay = 0.0f;
    bool storyOver = false;
    bool timeUp = false;
    bool restartOnActivate = false;
    /// Set when the level turned out unusable; the next step goes back to the menu.
    bool levelFailed = false;
    bool ownHighscorePaths = false;
    SearchPathList highscorePaths;
    GameHud hud;
    GhostRun ghost;
    GhostObject* ghostObject = nullptr;
    /// Player 1's and player 2's runs of this match as far as they are driven.
    GhostRun runs[2];
    bool recording[2] = {false, false};
    uint64_t levelFileChecksum = 0;
    bool levelChecksumKnown = false;
    int clockSteps = 0;
};
