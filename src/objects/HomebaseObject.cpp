#include "objects/HomebaseObject.h"

#include "engine/Engine.h"
#include "objects/ObjectKit.h"
#include "objects/PlayerObject.h"
#include "objects/ZorbellnutObject.h"
#include "resources/TextureManager.h"
#include "world/Level.h"
#include "world/Physics.h"

#include <tinyxml.h>

#include <algorithm>
#include <cmath>

HomebaseObject::HomebaseObject(Layer* layer, const TiXmlElement* element, const ParameterMap* gameParams)
    : Object(layer, element, gameParams)
{
    if (getGameMode() != GM_CTZ) {
        active = false;
        return;
    }
    const std::string what = objectkit::describe(element, id);
    element->QueryIntAttribute("playerNo", &playerNo);
    if (playerNo != 0 && playerNo != 1) {
        level->report(what, "no \"playerNo\" 0 or 1 to belong to; skipped");
        active = false;
        return;
    }
    const char* sizeText = element->Attribute("size");
    if (!sizeText || !objectkit::parse(sizeText, size) || size.x <= 0.0f || size.y <= 0.0f) {
        level->report(what, sizeText ? "\"size\" \"" + std::string(sizeText) + "\" is not a positive size; skipped"
                                     : "no \"size\"; skipped");
        active = false;
        return;
    }
    texture = engine->getTextureManager()->get("sprites/area.png");
    level->keepResource(texture);
    cullRadius = std::max(size.x, size.y);
    b2BodyDef def;
    // Held in place by hand every step, it would fall asleep and stop noticing
    // the nut, which is static and cannot wake it.
    def.allowSleep = false;
    b2Body* body = createBody(def);
    objectkit::Material sensor;
    sensor.density = 1.0f;
    sensor.isSensor = true;
    objectkit::addBox(body, size.x * 0.5f, size.y * 0.5f, sensor);
    physics::setMassFromShapes(body);
    readPlacement(element);
    homePosition = getPosition();
}

void HomebaseObject::update()
{
    setPosition(homePosition);
    bodies[0]->SetLinearVelocity(b2Vec2(0.0f, 0.0f));
}

void HomebaseObject::onContact(const ContactInfo& contact)
{
    if (auto* nut = dynamic_cast<ZorbellnutObject*>(contact.other))
        nut->capture(level->getPlayer(playerNo));
}

void HomebaseObject::render()
{
    const PlayerObject* owner = level->getPlayer(playerNo);
    RGBA colour = owner ? owner->getColor() : RGBA(1.0f, 1.0f, 1.0f, 1.0f);
    colour.a = 0.4f + 0.2f * std::sin(20.0f * engine->getTime());
    objectkit::bindSprite(*texture);
    drawSprite(0, Vec2i(0, 0), Vec2i(128, 128), false, colour, size);
}
