#include "objects/GhostObject.h"

#include "engine/Engine.h"
#include "resources/TextureManager.h"
#include "world/Layer.h"
#include "world/Level.h"

#include <tinyxml.h>

namespace {

// Named by an element, as every object is; without one the object would take a
// generated name and shift the names of the objects created after it.
const TiXmlElement& ghostElement()
{
    static const TiXmlElement element = [] {
        TiXmlElement made("GhostObject");
        made.SetAttribute("id", GhostObject::kId);
        return made;
    }();
    return element;
}

} // namespace

const RGBA GhostObject::kTint(0.75f, 0.9f, 1.0f, 0.45f);

GhostObject::GhostObject(Layer* layer, int playerNo, const VehiclePose& pose)
    : Object(layer, &ghostElement(), layer->getLevel()->getGameParams()), playerNo(playerNo), pose(pose)
{
    texture = engine->getTextureManager()->get("sprites/player.png");
    level->keepResource(texture);
}

void GhostObject::render()
{
    if (shown)
        PlayerObject::drawVehicle(*texture, playerNo, pose, kTint);
}
