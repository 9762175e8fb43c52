#include "states/GhostViewer.h"

#include "engine/Engine.h"
#include "objects/GhostObject.h"
#include "world/Layer.h"
#include "world/Level.h"

namespace {

// Steps the last pose stays before the run starts again.
constexpr size_t kPauseSteps = 120;

} // namespace

GhostViewer::GhostViewer(Engine* engine, const std::string& levelFilename, const GhostRun& run)
    : engine(engine), run(run)
{
    if (run.steps.empty())
        return;
    params.set("gameMode", GM_TIME_1P);
    params.set("levelFilename", levelFilename);
    params.set("controlMode1", CM_FIVE_KEYS);
    params.set("controlMode2", CM_FIVE_KEYS);
    level.reset(Level::load(engine, "levels/" + levelFilename, &params));
    if (!level)
        return;
    // Only the record run drives here; the level's own riders would stand in its way.
    for (int i = 0; i < 2; ++i) {
        if (Object* rider = level->findPlayerObject(i))
            rider->getLayer()->removeAndDeleteObject(rider);
    }
    Layer* layer = level->findLayer(run.layerAt(0));
    if (!layer)
        layer = level->getLayers().empty() ? nullptr : level->getLayers().back();
    if (!layer) {
        level.reset();
        return;
    }
    ghost = new GhostObject(layer, run.playerNo, run.pose(0));
    layer->addObject(ghost);
    centre = run.pose(0).centre[PlayerObject::kChassis];
}

GhostViewer::~GhostViewer() = default;

void GhostViewer::update()
{
    if (!level)
        return;
    step = step + 1 >= run.steps.size() + kPauseSteps ? 0 : step + 1;
    place();
}

void GhostViewer::place()
{
    const VehiclePose pose = run.pose(step);
    const Vec2f before = run.pose(step == 0 ? 0 : step - 1).centre[PlayerObject::kChassis];
    const Vec2f at = pose.centre[PlayerObject::kChassis];
    ghost->setPose(pose);
    if (Layer* layer = level->findLayer(run.layerAt(step)))
        ghost->moveToLayer(layer);
    // The same easing as the game's view of a rider: it trails a little and pulls back with speed.
    centre = step == 0 ? at : centre * 0.9f + at * 0.1f;
    const float dt = engine->getFrameTime();
    const float speed = dt > 0.0f ? (at - before).length() / dt : 0.0f;
    zoom = 0.95f * zoom + 0.05f * (0.2f * speed + 9.5f);
}

void GhostViewer::render()
{
    if (!level)
        return;
    level->cameraPosition = centre;
    level->zoom = zoom;
    level->clampCamera();
    level->render(nullptr);
}
