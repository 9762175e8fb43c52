#include "states/GameState.h"

#include "engine/CubeTransition.h"
#include "engine/Drawing.h"
#include "engine/Engine.h"
#include "objects/CheckpointObject.h"
#include "objects/GhostObject.h"
#include "objects/PlayerObject.h"
#include "resources/FontManager.h"
#include "resources/SoundManager.h"
#include "resources/TextureManager.h"
#include "states/HighscoreTable.h"
#include "states/TimeFormat.h"
#include "world/Layer.h"
#include "world/Level.h"

#include <AL/al.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

const float kTransitionTime = 0.75f;

bool isTimeTrial(GameMode mode)
{
    return mode == GM_TIME_1P || mode == GM_TIME_2P;
}

bool isTwoPlayer(GameMode mode)
{
    return mode == GM_TIME_2P || mode == GM_CTZ || mode == GM_KOH;
}

const char* modeName(GameMode mode)
{
    switch (mode) {
    case GM_STORY:
        return "Story";
    case GM_TIME_1P:
        return "Zeit, 1 Spieler";
    case GM_TIME_2P:
        return "Zeit, 2 Spieler";
    case GM_CTZ:
        return "Capture the ZORBELlnut";
    case GM_KOH:
        return "King of the Hill";
    }
    return "this mode";
}

} // namespace

GameState::GameState(Engine* engine) : State("Game", engine), hud(engine) {}

void GameState::loadResources()
{
    // Loaded when the first match starts rather than with the program: the
    // number font's big page alone would keep the menu from coming up at once.
    if (hudTexture)
        return;
    hudTexture = engine->getTextureManager()->get("sprites/hud.png", ParameterMap());
    labelFont = engine->getFontManager()->get("fonts/arial.fnt", ParameterMap());
    numberFont = engine->getFontManager()->get("fonts/bellgothic.fnt", ParameterMap());
    SoundManager* sounds = engine->getSoundManager();
    winnerSound = sounds->get("sounds/winner.ogg", ParameterMap());
    loserSound = sounds->get("sounds/loser.ogg", ParameterMap());
    countdownSound = sounds->get("sounds/countdown.ogg", ParameterMap());
    errorSound = sounds->get("sounds/error.ogg", ParameterMap());
    timeUpSound = sounds->get("sounds/timeup.ogg", ParameterMap());
}

GameState::GameState(Engine* engine, const SearchPathList& highscorePaths) : GameState(engine)
{
    ownHighscorePaths = true;
    this->highscorePaths = highscorePaths;
}

GameState::~GameState()
{
    loadLevel("");
}

HighscoreTable GameState::highscoreTable() const
{
    return HighscoreTable(ownHighscorePaths ? highscorePaths : HighscoreTable::playerPaths(engine));
}

GameMode GameState::getGameMode() const
{
    return params.get<GameMode>("gameMode");
}

void GameState::enter(const ParameterMap& p)
{
    loadResources();
    // Before the level comes in, so that the two never take memory together:
    // the menu's sign and the pictures of the last match's level. A restart
    // keeps its level's pictures in the cache.
    engine->getTextureManager()->dropUnused();
    params = p;
    paused = false;
    restartOnActivate = false;
    levelFailed = false;
    pointsNeededToWin = 0;
    GameMode mode = getGameMode();
    if (mode == GM_CTZ || mode == GM_KOH)
        pointsNeededToWin = params.get<int>("pointsNeededToWin");
    const std::string& name = params.get<std::string>("levelFilename");
    if (name.empty()) {
        std::fprintf(stderr, "zorbel: the game was started without a level file; back to the menu\n");
        levelFailed = true;
        errorSound->play();
        return;
    }
    loadLevel(name);
}

void GameState::leave()
{
    loadLevel("");
    levelFailed = false;
}

void GameState::activate()
{
    if (restartOnActivate) {
        restartOnActivate = false;
        restart();
    }
    if (level && !level->getMusicFilename().empty())
        engine->playMusic("sounds/" + level->getMusicFilename(), 0.6f);
}

void GameState::deactivate()
{
    stopCountdownVoice();
    // Without a level the only voice is the error sound of a level that failed,
    // which should be heard out in the menu.
    if (level) {
        for (const Handle<SoundInstance>& voice : matchVoices())
            voice->stop();
    }
    pausedVoices.clear();
}

std::vector<Handle<SoundInstance>> GameState::matchVoices() const
{
    std::vector<Handle<SoundInstance>> voices;
    engine->getSoundManager()->forEach([&](Sound* sound) {
        if (!sound->isStreaming())
            voices.insert(voices.end(), sound->getInstances().begin(), sound->getInstances().end());
    });
    return voices;
}

void GameState::pauseVoices()
{
    for (const Handle<SoundInstance>& voice : matchVoices()) {
        if (voice->isPlaying()) {
            voice->pause();
            pausedVoices.push_back(voice);
        }
    }
}

void GameState::resumeVoices()
{
    for (const Handle<SoundInstance>& voice : pausedVoices)
        voice->resume();
    pausedVoices.clear();
}

void GameState::stopCountdownVoice()
{
    if (countdownVoice && countdownVoice->isValid()) {
        alSourceStop(countdownVoice->getSource());
        countdownVoice->stop();
    }
    countdownVoice.reset();
}

void GameState::updatePlayers()
{
    player1 = level ? level->getPlayer(0) : nullptr;
    player2 = level ? dynamic_cast<PlayerObject*>(level->findObject("player2")) : nullptr;
}

bool GameState::hasObjectsForMode(const std::string& name)
{
    GameMode mode = getGameMode();
    const char* missing = nullptr;
    if (!player1)
        missing = "player1";
    else if (isTwoPlayer(mode) && !player2)
        missing = "player2";
    else if (isTimeTrial(mode) && !dynamic_cast<CheckpointObject*>(level->findObject("finish")))
        missing = "finish";
    if (!missing)
        return true;
    std::fprintf(stderr, "zorbel: levels/%s: has no \"%s\", which %s needs; back to the menu\n", name.c_str(),
                 missing, modeName(mode));
    return false;
}

bool GameState::loadLevel(const std::string& name)
{
    stopCountdownVoice();
    player1 = player2 = nullptr;
    ghostObject = nullptr;
    level.reset();
    levelFilename = name;
    if (name.empty())
        return false;

    level.reset(Level::load(engine, "levels/" + name, &params));
    if (level)
        updatePlayers();
    if (!level || !hasObjectsForMode(name)) {
        player1 = player2 = nullptr;
        level.reset();
        levelFailed = true;
        errorSound->play();
        return false;
    }

    matchTime = 0.0f;
    countdown = 0.0f;
    winner = -1;
    finishTime1 = finishTime2 = 0.0f;
    endDelay = 0.0f;
    storyOver = timeUp = false;
    recordHundredths = -1;
    clockSteps = 0;

    GameMode mode = getGameMode();
    if (mode != GM_STORY) {
        countdown = kCountdownStart;
        player1->disableControls();
        if (player2)
            player2->disableControls();
        if (mode == GM_TIME_2P && player2) {
            // Both race from the same spot in the same direction; their
            // vehicles pass through each other in this mode.
            player2->setFacingLeft(player1->isFacingLeft());
            player2->buildVehicle();
            player2->setPosition(player1->getPosition());
            player2->setAngle(player1->getAngle());
        }
        if (isTimeTrial(mode)) {
            HighscoreTable table = highscoreTable();
            std::vector<HighscoreEntry> entries = table.getEntries(name, ST_TIME);
            if (!entries.empty())
                recordHundredths = entries.front().score;
        }
    }
    // Where the riders are now: a race has just moved the second one.
    viewCenter1 = player1->getPosition();
    viewZoom1 = 0.0f;
    if (player2) {
        viewCenter2 = player2->getPosition();
        viewZoom2 = 0.0f;
    }
    startGhost();
    const std::string match = name + "/" + std::to_string(getGameMode());
    if (match != warmedFor) {
        warmRenderer();
        warmedFor = match;
    }
    return true;
}

void GameState::warmRenderer()
{
    // llvmpipe compiles its code for a combination of drawing state when a
    // draw first meets it: a frame of a new level met in play costs a few
    // frames' time and drops steps. Drawn here, while the level loads, the
    // code is ready. The draws are cut to one pixel to cost little; the clears
    // of the frame are not, so the back buffer, which the screen-change effect
    // captures, is kept and put back. The viewport is not: every frame and
    // the effect set their own before they draw.
    const Vec2i size = engine->getScreenMapping().getWindowSize();
    // Rows of four-byte pixels meet the default row alignment: the pixel
    // store state, which texture uploads rely on, stays as it is.
    std::vector<GLubyte> kept(size_t(size.x) * size_t(size.y) * 4);
    glReadPixels(0, 0, size.x, size.y, GL_RGBA, GL_UNSIGNED_BYTE, kept.data());
    glScissor(0, 0, 1, 1);
    glEnable(GL_SCISSOR_TEST);
    hud.render(*this);
    glDisable(GL_SCISSOR_TEST);

    glViewport(0, 0, size.x, size.y);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glRasterPos2f(-1.0f, -1.0f);
    setTexturing(false);
    glDisable(GL_BLEND);
    glDisable(GL_ALPHA_TEST);
    glDrawPixels(size.x, size.y, GL_RGBA, GL_UNSIGNED_BYTE, kept.data());
}

void GameState::startGhost()
{
    ghost = GhostRun();
    for (int i = 0; i < 2; ++i) {
        runs[i] = GhostRun();
        recording[i] = false;
    }
    if (!isTimeTrial(getGameMode()))
        return;
    recording[0] = player1 != nullptr;
    recording[1] = player2 != nullptr;
    levelChecksumKnown = levelChecksum(*engine->getSearchPaths(), levelFilename, levelFileChecksum);
    if (!levelChecksumKnown
        || !loadGhost(ghostPath(highscoreTable(), levelFilename), levelFilename, levelFileChecksum, ghost))
        return;
    recordHundredths = ghost.hundredths;
    Layer* layer = level->findLayer(ghost.layerAt(0));
    ghostObject = new GhostObject(layer ? layer : player1->getLayer(), ghost.playerNo, ghost.pose(0));
    ghostObject->setShown(isGhostShown());
    ghostObject->getLayer()->addObject(ghostObject);
}

bool GameState::isGhostShown() const
{
    return engine->getSettings().getInt("ghostShown") != 0;
}

void GameState::setGhostShown(bool shown)
{
    engine->getSettings().set("ghostShown", shown ? 1 : 0);
    if (ghostObject)
        ghostObject->setShown(shown);
}

void GameState::followGhost()
{
    if (countdown > 1.0f)
        return;
    PlayerObject* players[2] = {player1, player2};
    const float finishTimes[2] = {finishTime1, finishTime2};
    for (int i = 0; i < 2; ++i) {
        if (!recording[i] || !players[i])
            continue;
        runs[i].record(*players[i]);
        // The step that crossed the finish is the run's last.
        if (finishTimes[i] != 0.0f)
            recording[i] = false;
    }
    if (!ghostObject)
        return;
    const size_t step = size_t(clockSteps);
    ghostObject->setPose(ghost.pose(step));
    if (ghost.layerAt(step) != ghostObject->getLayer()->getId()) {
        if (Layer* layer = level->findLayer(ghost.layerAt(step)))
            ghostObject->moveToLayer(layer);
    }
}

void GameState::restart()
{
    loadLevel(levelFilename);
    // The new vehicles' motors wait for the pause to end like everything else.
    if (paused && level)
        pauseVoices();
    engine->startTransition(new CubeTransition(engine, kTransitionTime));
}

void GameState::update()
{
    if (levelFailed) {
        levelFailed = false;
        engine->popState();
        engine->startTransition(new CubeTransition(engine, kTransitionTime));
        return;
    }
    if (!level)
        return;

    if (engine->wasKeyPressed(SDLK_PAUSE)) {
        paused = !paused;
        if (paused)
            pauseVoices();
        else
            resumeVoices();
    }
    GameMode mode = getGameMode();
    if (isTimeTrial(mode) && engine->wasKeyPressed(SDLK_g))
        setGhostShown(!isGhostShown());

    if (!paused) {
        level->update();
        updatePlayers();
        followPlayers();
        runClock();
        if (endDelay > 0.0f) {
            endDelay -= engine->getFrameTime();
            if (endDelay <= 0.0f && endMatch())
                return;
        }
        if (levelFailed || !level)
            return;
        if (isTimeTrial(mode)) {
            checkFinishLine();
            followGhost();
        } else if ((mode == GM_CTZ || mode == GM_KOH) && winner == -1)
            checkScoreAndLife();
        else if (mode == GM_STORY)
            checkStoryEnd();
    }

    if (engine->wasKeyPressed(SDLK_RETURN)) {
        if ((mode == GM_TIME_2P && winner != -1) || endDelay > 0.0f) {
            // Ends the decided match at the next step instead of waiting out the delay.
            endDelay = 0.0001f;
            return;
        }
        restart();
    } else if (engine->wasKeyPressed(SDLK_ESCAPE)) {
        paused = false;
        engine->popState();
        engine->startTransition(new CubeTransition(engine, kTransitionTime));
    }
}

void GameState::followPlayers()
{
    auto follow = [](PlayerObject* player, Vec2f& centre, float& zoom) {
        if (!player)
            return;
        Vec2f p = player->getPosition();
        centre = centre * 0.9f + p * 0.1f;
        float speed = 0.0f;
        if (player->getBodyCount() > 0) {
            b2Vec2 v = player->getBody(0)->GetLinearVelocity();
            speed = Vec2f(v.x, v.y).length();
        }
        // The view pulls back as the vehicle speeds up.
        zoom = 0.95f * zoom + 0.05f * (0.2f * speed + 9.5f);
    };
    follow(player1, viewCenter1, viewZoom1);
    follow(player2, viewCenter2, viewZoom2);
}

void GameState::runClock()
{
    // A story run's clock stops at its end, so the display stays at 0.
    if (storyOver)
        return;
    float dt = engine->getFrameTime();
    if (countdown <= 1.0f) {
        // During "LOS!" the players already drive and the clock runs.
        matchTime += dt;
        ++clockSteps;
        if (countdown > 0.0f)
            countdown -= dt;
        return;
    }
    if (countdown == kCountdownStart) {
        stopCountdownVoice();
        countdownVoice = countdownSound->play();
    }
    countdown -= dt;
    if (countdown <= 1.0f) {
        player1->enableControls();
        if (player2)
            player2->enableControls();
    }
}

void GameState::checkFinishLine()
{
    auto* finish = dynamic_cast<CheckpointObject*>(level->findObject("finish"));
    if (!finish)
        return;
    GameMode mode = getGameMode();
    PlayerObject* players[2] = {player1, player2};
    float* finishTimes[2] = {&finishTime1, &finishTime2};
    for (int i = 0; i < 2; ++i) {
        PlayerObject* player = players[i];
        if (!player || *finishTimes[i] != 0.0f || !finish->hasReached(player))
            continue;
        if (winner == -1) {
            winner = i;
            winnerSound->play();
            // In the two-player race the winner waits for the other one.
            if (mode == GM_TIME_1P && i == 0)
                endDelay = kEndDelay;
        } else {
            Handle<SoundInstance> voice = loserSound->play();
            if (i == 1)
                voice->fade(1.0f, 0.5f, 4.0f, 1.0f, FE_NONE);
            endDelay = kEndDelay;
        }
        *finishTimes[i] = matchTime;
        player->disableControls();
    }
    // The winner of the two-player race waits for the other one, but not for a dead one.
    if (mode == GM_TIME_2P && winner != -1 && endDelay <= 0.0f) {
        PlayerObject* other = players[1 - winner];
        if (other && *finishTimes[1 - winner] == 0.0f && other->getLife() == 0)
            endDelay = kEndDelay;
    }
}

int GameState::getStorySecondsLeft() const
{
    return std::max(0, int(kStoryTime) - int(matchTime));
}

void GameState::checkStoryEnd()
{
    if (storyOver)
        return;
    if (player1->getLife() == 0) {
        loserSound->play();
    } else if (getStorySecondsLeft() == 0) {
        timeUp = true;
        player1->disableControls();
        timeUpSound->play();
    } else {
        return;
    }
    storyOver = true;
    endDelay = kEndDelay;
}

void GameState::checkScoreAndLife()
{
    if (player1->getPoints() >= pointsNeededToWin)
        winner = 0;
    else if (player2->getPoints() >= pointsNeededToWin)
        winner = 1;
    // Life decides over points; when both are dead nothing is decided.
    if (player1->getLife() + player2->getLife() != 0) {
        if (player1->getLife() == 0)
            winner = 1;
        else if (player2->getLife() == 0)
            winner = 0;
    }
    if (winner == -1)
        return;
    player1->disableControls();
    player2->disableControls();
    winnerSound->play();
    endDelay = kEndDelay;
}

bool GameState::offerTimes(ParameterMap& map)
{
    HighscoreTable table = highscoreTable();
    uint32_t score1 = toHundredths(finishTime1);
    uint32_t score2 = toHundredths(finishTime2);
    bool q1 = finishTime1 != 0.0f && table.qualifies(score1, levelFilename, ST_TIME);
    bool q2 = finishTime2 != 0.0f && table.qualifies(score2, levelFilename, ST_TIME);
    map.set("scoreType", ST_TIME);
    if (q1) {
        map.set("name1", std::string("Spieler 1"));
        map.set("score1", unsigned(score1));
        offerRun(map, 0, score1);
    }
    if (q2) {
        map.set("name2", std::string("Spieler 2"));
        map.set("score2", unsigned(score2));
        offerRun(map, 1, score2);
    }
    return q1 || q2;
}

void GameState::offerRun(ParameterMap& map, int player, uint32_t hundredths)
{
    GhostRun& run = runs[player];
    // Only a run that can become the record is handed on; the list decides when its name is given.
    if (!levelChecksumKnown || run.steps.empty() || run.cut || recording[player]
        || (recordHundredths >= 0 && hundredths >= uint32_t(recordHundredths)))
        return;
    run.levelFilename = levelFilename;
    run.levelChecksum = levelFileChecksum;
    run.hundredths = hundredths;
    run.playerNo = uint8_t(player);
    map.set(player == 0 ? "run1" : "run2", run.toBytes());
}

bool GameState::offerPoints(ParameterMap& map)
{
    const int points = player1->getPoints();
    if (points <= 0 || !highscoreTable().qualifies(uint32_t(points), levelFilename, ST_POINTS))
        return false;
    map.set("scoreType", ST_POINTS);
    map.set("name1", std::string("Spieler 1"));
    map.set("score1", unsigned(points));
    return true;
}

bool GameState::endMatch()
{
    ParameterMap map;
    map.set("levelFilename", levelFilename);
    const bool offered = getGameMode() == GM_STORY ? offerPoints(map) : offerTimes(map);
    if (!offered) {
        restart();
        return false;
    }
    restartOnActivate = true;
    engine->pushState("Highscore", map);
    if (engine->getCurrentState() == this) {
        // No highscore screen to go to: the engine has said so, play on.
        restartOnActivate = false;
        restart();
        return false;
    }
    engine->startTransition(new CubeTransition(engine, kTransitionTime));
    return true;
}

void GameState::render()
{
    hud.render(*this);
}
