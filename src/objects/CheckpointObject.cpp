#include "objects/CheckpointObject.h"

#include "engine/Engine.h"
#include "objects/ObjectKit.h"
#include "objects/PlayerObject.h"
#include "resources/TextureManager.h"
#include "world/Level.h"
#include "world/Physics.h"

CheckpointObject::CheckpointObject(Layer* layer, const TiXmlElement* element, const ParameterMap* gameParams)
    : Object(layer, element, gameParams)
{
    const GameMode mode = getGameMode();
    if (mode != GM_TIME_1P && mode != GM_TIME_2P) {
        active = false;
        return;
    }
    const char* typeText = objectkit::attribute(element, "type");
    if (!typeText) {
        level->report(objectkit::describe(element, id), "no \"type\"; skipped");
        active = false;
        return;
    }
    type = typeText;
    texture = engine->getTextureManager()->get("sprites/checkpoint.png");
    level->keepResource(texture);
    if (isFinish()) {
        cullRadius = 1.0f;
        b2Body* body = createBody(b2BodyDef());
        objectkit::Material sensor;
        sensor.isSensor = true;
        // Narrower than the gate picture: the vehicle has to pass between the posts.
        objectkit::addBox(body, 0.5f, 1.5f, sensor);
    }
    readPlacement(element);
}

void CheckpointObject::onContact(const ContactInfo& contact)
{
    if (auto* player = dynamic_cast<PlayerObject*>(contact.other))
        reached.insert(player);
}

bool CheckpointObject::hasReached(const PlayerObject* player) const
{
    return reached.count(player) != 0;
}

void CheckpointObject::render()
{
    if (!isFinish())
        return;
    objectkit::bindSprite(*texture);
    drawSprite(0, Vec2i(0, 0), Vec2i(192, 256), false, RGBA(1.0f, 1.0f, 1.0f, 1.0f), Vec2f(2.25f, 3.0f));
}
