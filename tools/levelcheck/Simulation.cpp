#include "Simulation.h"

#include "engine/Engine.h"
#include "objects/CheckpointObject.h"
#include "objects/PlayerObject.h"
#include "world/Layer.h"
#include "world/Level.h"
#include "world/Physics.h"

#include <unistd.h>

#include <cstring>
#include <sstream>

ParameterMap gameParameters(GameMode mode, const std::string& levelFilename)
{
    ParameterMap params;
    params.set<GameMode>("gameMode", mode);
    params.set<std::string>("levelFilename", levelFilename);
    params.set<int>("pointsNeededToWin", 5);
    params.set<ControlMode>("controlMode1", CM_FIVE_KEYS);
    params.set<ControlMode>("controlMode2", CM_FIVE_KEYS);
    return params;
}

std::string modeName(GameMode mode)
{
    switch (mode) {
    case GM_STORY: return "GM_STORY";
    case GM_TIME_1P: return "GM_TIME_1P";
    case GM_TIME_2P: return "GM_TIME_2P";
    case GM_CTZ: return "GM_CTZ";
    case GM_KOH: return "GM_KOH";
    }
    return "";
}

std::vector<GameMode> modesIn(const std::string& text)
{
    std::vector<GameMode> modes;
    for (GameMode mode : {GM_STORY, GM_TIME_1P, GM_TIME_2P, GM_CTZ, GM_KOH}) {
        // Whole words: the menu's plain substring test would also find GM_TIME_1P in GM_TIME_1PX.
        std::istringstream words(text);
        std::string word;
        while (words >> word) {
            if (word == modeName(mode)) {
                modes.push_back(mode);
                break;
            }
        }
    }
    return modes;
}

StderrCapture::StderrCapture()
{
    std::fflush(stderr);
    file = std::tmpfile();
    if (!file)
        return;
    savedFd = dup(STDERR_FILENO);
    dup2(fileno(file), STDERR_FILENO);
}

StderrCapture::~StderrCapture()
{
    finish();
}

std::vector<std::string> StderrCapture::finish()
{
    std::vector<std::string> lines;
    if (finished || !file)
        return lines;
    finished = true;
    std::fflush(stderr);
    dup2(savedFd, STDERR_FILENO);
    close(savedFd);
    std::rewind(file);
    char buffer[4096];
    while (std::fgets(buffer, sizeof buffer, file)) {
        std::string line(buffer);
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
            line.pop_back();
        if (!line.empty())
            lines.push_back(line);
    }
    std::fclose(file);
    return lines;
}

LoadedLevel loadLevel(Engine& engine, const std::string& levelFilename, GameMode mode)
{
    LoadedLevel loaded;
    loaded.params = std::make_unique<ParameterMap>(gameParameters(mode, levelFilename));
    StderrCapture capture;
    loaded.level.reset(Level::load(&engine, "levels/" + levelFilename, loaded.params.get()));
    loaded.messages = capture.finish();
    return loaded;
}

void step(Engine& engine, Level& level)
{
    engine.tick();
    level.update();
}

void setKey(SDLKey key, bool down)
{
    SDL_Event event;
    std::memset(&event, 0, sizeof event);
    event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    event.key.type = event.type;
    event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.key.keysym.sym = key;
    SDL_PushEvent(&event);
}

namespace {

class GroundRay : public b2RayCastCallback {
public:
    explicit GroundRay(uint16_t bits) : bits(bits) {}
    float ReportFixture(b2Fixture* fixture, const b2Vec2& point, const b2Vec2&, float fraction) override
    {
        if (fixture->IsSensor() || fixture->GetBody()->GetType() != b2_staticBody
            || (fixture->GetFilterData().categoryBits & bits) == 0)
            return -1.0f;
        hit = true;
        y = point.y;
        return fraction;
    }
    uint16_t bits;
    bool hit = false;
    float y = 0.0f;
};

bool touchesSolidGround(b2Body* body)
{
    for (b2ContactEdge* edge = body->GetContactList(); edge; edge = edge->next) {
        b2Contact* contact = edge->contact;
        if (!contact->IsTouching() || contact->GetFixtureA()->IsSensor() || contact->GetFixtureB()->IsSensor())
            continue;
        if (edge->other->GetType() == b2_staticBody)
            return true;
    }
    return false;
}

} // namespace

bool groundBelow(Level& level, const Layer* layer, const Vec2f& from, float& groundY)
{
    GroundRay ray(physics::collisionBits(layer->getIndex()));
    level.getWorld()->RayCast(&ray, b2Vec2(from.x, from.y), b2Vec2(from.x, float(level.getSize().y) + 1.0f));
    groundY = ray.y;
    return ray.hit;
}

bool wheelsOnGround(PlayerObject& player)
{
    return player.getBodyCount() > PlayerObject::kRearWheel
           && touchesSolidGround(player.getBody(PlayerObject::kFrontWheel))
           && touchesSolidGround(player.getBody(PlayerObject::kRearWheel));
}

DriveResult driveToFinish(Engine& engine, const std::string& levelFilename, float limit,
                          const std::vector<SDLKey>& keys, bool balance)
{
    DriveResult result;
    LoadedLevel loaded = loadLevel(engine, levelFilename, GM_TIME_1P);
    if (!loaded.level)
        return result;
    Level& level = *loaded.level;
    PlayerObject* player = level.getPlayer(0);
    auto* finish = dynamic_cast<CheckpointObject*>(level.findObject("finish"));
    if (!player || !finish)
        return result;

    // The game screen's countdown: three seconds with the controls off, then the
    // controls come on and the clock starts with the next step.
    const int countdownSteps = 180;
    player->disableControls();
    for (int i = 0; i < countdownSteps; ++i)
        step(engine, level);
    player->enableControls();
    for (SDLKey key : keys)
        setKey(key, true);

    const float dt = engine.getFrameTime();
    int steps = 0;
    SDLKey leaning = SDLK_UNKNOWN;
    while (float(steps) * dt < limit) {
        if (balance) {
            // Facing right, a positive angle tips the nose down (y grows downwards).
            float tilt = player->getAngle();
            SDLKey wanted = tilt < -0.25f ? SDLK_LEFT : tilt > 0.25f ? SDLK_RIGHT : SDLK_UNKNOWN;
            if (wanted != leaning) {
                if (leaning != SDLK_UNKNOWN)
                    setKey(leaning, false);
                if (wanted != SDLK_UNKNOWN)
                    setKey(wanted, true);
                leaning = wanted;
            }
        }
        step(engine, level);
        ++steps;
        player = level.getPlayer(0);
        if (!player)
            break;
        if (steps % 60 == 0) {
            result.track.push_back(player->getPosition());
            result.trackLayers.push_back(player->getLayer()->getId());
        }
        if (finish->hasReached(player)) {
            result.finished = true;
            break;
        }
    }
    for (SDLKey key : keys)
        setKey(key, false);
    if (leaning != SDLK_UNKNOWN)
        setKey(leaning, false);
    engine.tick();
    result.time = float(steps) * dt;
    if (player)
        result.lastPosition = player->getPosition();
    return result;
}
