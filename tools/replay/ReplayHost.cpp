#include "ReplayHost.h"

#include "engine/CubeTransition.h"
#include "engine/Drawing.h"
#include "engine/Engine.h"
#include "engine/Random.h"
#include "objects/PlayerObject.h"
#include "states/CreditsState.h"
#include "states/GameState.h"
#include "states/HighscoreState.h"
#include "states/HighscoreTable.h"
#include "states/MainMenuState.h"
#include "states/PhysicsState.h"
#include "world/Layer.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace {

// The menu starts every game with this screen change.
const float kTransitionTime = 0.75f;

PlayerState playerState(const PlayerObject* player)
{
    PlayerState state;
    if (!player)
        return state;
    state.present = true;
    Vec2f position = player->getPosition();
    state.x = position.x;
    state.y = position.y;
    state.angle = player->getAngle();
    if (player->getBodyCount() > 0) {
        b2Vec2 v = player->getBody(PlayerObject::kChassis)->GetLinearVelocity();
        state.speed = v.Length();
    }
    state.layer = player->getLayer() ? player->getLayer()->getId() : "";
    state.points = player->getPoints();
    state.life = player->getLife();
    state.controls = player->areControlsEnabled();
    return state;
}

} // namespace

void pushKeyEvent(const KeyEvent& key)
{
    SDL_Event event{};
    event.type = key.down ? SDL_KEYDOWN : SDL_KEYUP;
    event.key.type = event.type;
    event.key.state = key.down ? SDL_PRESSED : SDL_RELEASED;
    event.key.keysym.sym = key.key;
    event.key.keysym.unicode = key.unicode;
    SDL_PushEvent(&event);
}

ReplayHost::ReplayHost(Engine& engine) : engine(engine)
{
    char pattern[] = "/tmp/zorbel-replay-XXXXXX";
    if (const char* made = mkdtemp(pattern))
        highscoreDir = made;
    else
        std::fprintf(stderr, "zorbel: cannot make a directory for the replay's highscores; using /tmp\n");
    SearchPathList highscorePaths;
    addSearchPath(highscorePaths, highscoreDir.empty() ? std::string("/tmp") : highscoreDir);

    // Focus changes would freeze the game for steps the replay cannot know about.
    SDL_EventState(SDL_ACTIVEEVENT, SDL_IGNORE);
    engine.registerState(new MainMenuState(&engine));
    game = new GameState(&engine, highscorePaths);
    engine.registerState(game);
    engine.registerState(new PhysicsState(&engine));
    engine.registerState(new CreditsState(&engine));
    engine.registerState(new HighscoreState(&engine, highscorePaths));
}

ReplayHost::~ReplayHost()
{
    end();
    if (!highscoreDir.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(highscoreDir, ignored);
    }
}

void ReplayHost::begin(const MatchSettings& settings)
{
    end();
    while (engine.getCurrentState())
        engine.popState();
    running = true;
    if (!highscoreDir.empty())
        std::remove((highscoreDir + "/highscore.xml").c_str());
    randomReset();
    tickCount = 0;
    engine.setEventObserver([this](const SDL_Event& event) {
        if ((event.type == SDL_KEYDOWN || event.type == SDL_KEYUP) && event.key.keysym.sym != SDLK_PRINT)
            events.push_back(KeyEvent{event.key.keysym.sym, event.type == SDL_KEYDOWN, event.key.keysym.unicode});
    });

    engine.pushState("MainMenu", ParameterMap());
    ParameterMap params;
    params.set("gameMode", settings.mode);
    params.set("levelFilename", settings.level);
    params.set("pointsNeededToWin", settings.pointsNeededToWin);
    params.set("controlMode1", settings.controlMode1);
    params.set("controlMode2", settings.controlMode2);
    engine.pushState("Game", params);
    engine.startTransition(new CubeTransition(&engine, kTransitionTime));
}

void ReplayHost::step(const std::vector<KeyEvent>& input)
{
    events.clear();
    for (const KeyEvent& event : input)
        pushKeyEvent(event);
    engine.tick();
    ++tickCount;
}

MatchState ReplayHost::state() const
{
    MatchState state;
    state.ticks = tickCount;
    State* top = engine.getCurrentState();
    state.screen = top ? top->getName() : "none";
    state.winner = game->getWinner();
    state.matchTime = game->getMatchTime();
    state.countdown = game->getCountdown();
    const GameMode mode = game->getGameMode();
    const int scoreType = mode == GM_STORY ? ST_POINTS : (mode == GM_TIME_1P || mode == GM_TIME_2P) ? ST_TIME : 0;
    if (scoreType != 0 && !highscoreDir.empty()) {
        SearchPathList paths;
        addSearchPath(paths, highscoreDir);
        std::vector<HighscoreEntry> list = HighscoreTable(paths).getEntries(game->getLevelFilename(), scoreType);
        if (!list.empty())
            state.record = list.front().score;
    }
    state.players[0] = playerState(game->getPlayer1());
    state.players[1] = playerState(game->getPlayer2());
    state.players[0].finishTime = game->getFinishTime(0);
    state.players[1].finishTime = state.players[1].present ? game->getFinishTime(1) : 0.0f;
    return state;
}

void ReplayHost::end()
{
    if (!running)
        return;
    running = false;
    engine.setEventObserver(nullptr);
    while (engine.getCurrentState())
        engine.popState();
    for (int key = 0; key < Engine::kKeyCount; ++key) {
        if (engine.isKeyDown(SDLKey(key)))
            pushKeyEvent(KeyEvent{SDLKey(key), false, 0});
    }
    // With no screen on the stack this step only takes the key-ups (and anything left) from the queue.
    engine.tick();
    engine.startTransition(nullptr);
}

void ReplayHost::render()
{
    Vec2i screen = engine.getScreenSize();
    engine.setViewport(0, 0, screen.x, screen.y);
    engine.renderCurrentState();
    engine.presentTransition();
    SDL_GL_SwapBuffers();
}

std::string ReplayHost::screenshot(const std::string& directory)
{
    Vec2i screen = engine.getScreenSize();
    engine.setViewport(0, 0, screen.x, screen.y);
    engine.renderCurrentState();
    engine.presentTransition();
    glFinish();
    std::string bmp = takeScreenshot(engine.getScreenMapping(), directory);
    SDL_GL_SwapBuffers();
    if (bmp.empty())
        return bmp;
    char name[32];
    std::snprintf(name, sizeof name, "/tick%06u", unsigned(tickCount));
    std::string png = directory + name + ".png";
    // ImageMagick; the date chunks would make every run's file differ.
    std::string command = "convert '" + bmp + "' -define png:exclude-chunks=date,time '" + png + "' 2>/dev/null";
    if (std::system(command.c_str()) == 0) {
        std::remove(bmp.c_str());
        return png;
    }
    std::string kept = directory + name + ".bmp";
    std::rename(bmp.c_str(), kept.c_str());
    return kept;
}
