#include "objects/KingAreaObject.h"

#include "engine/Engine.h"
#include "objects/ObjectKit.h"
#include "objects/PlayerObject.h"
#include "resources/TextureManager.h"
#include "world/Level.h"
#include "world/Physics.h"

#include <tinyxml.h>

#include <algorithm>
#include <cmath>

namespace {

const RGBA kEmpty(1.0f, 0.0f, 0.0f, 0.5f);
const RGBA kOccupied(1.0f, 1.0f, 0.0f, 0.5f);
const RGBA kScoring(0.0f, 1.0f, 0.0f, 0.5f);
constexpr float kWaitBeforeScoring = 1.0f;
constexpr float kEasing = 0.01f;

} // namespace

KingAreaObject::KingAreaObject(Layer* layer, const TiXmlElement* element, const ParameterMap* gameParams)
    : Object(layer, element, gameParams), colour(kEmpty)
{
    if (getGameMode() != GM_KOH) {
        active = false;
        return;
    }
    const char* sizeText = element->Attribute("size");
    if (!sizeText || !objectkit::parse(sizeText, size) || size.x <= 0.0f || size.y <= 0.0f) {
        level->report(objectkit::describe(element, id),
                      sizeText ? "\"size\" \"" + std::string(sizeText) + "\" is not a positive size; skipped"
                               : "no \"size\"; skipped");
        active = false;
        return;
    }
    texture = engine->getTextureManager()->get("sprites/area.png");
    level->keepResource(texture);
    cullRadius = std::max(size.x, size.y);
    b2Body* body = createBody(b2BodyDef());
    objectkit::Material sensor;
    sensor.isSensor = true;
    objectkit::addBox(body, size.x * 0.5f, size.y * 0.5f, sensor);
    readPlacement(element);
}

void KingAreaObject::onContact(const ContactInfo& contact)
{
    if (auto* player = dynamic_cast<PlayerObject*>(contact.other))
        inside.insert(player);
}

float KingAreaObject::getHoldTime(const PlayerObject* player) const
{
    auto it = holdTime.find(const_cast<PlayerObject*>(player));
    return it == holdTime.end() ? 0.0f : it->second;
}

void KingAreaObject::dropVanishedPlayers()
{
    for (auto it = holdTime.begin(); it != holdTime.end();) {
        if (PlayerObject::findInLevel(level, it->first))
            ++it;
        else
            it = holdTime.erase(it);
    }
    for (auto it = inside.begin(); it != inside.end();) {
        if (PlayerObject::findInLevel(level, *it))
            ++it;
        else
            it = inside.erase(it);
    }
}

void KingAreaObject::update()
{
    dropVanishedPlayers();
    RGBA target = inside.empty() ? kEmpty : kOccupied;
    if (inside.size() > 1)
        holdTime.clear();
    for (PlayerObject* player : inside)
        holdTime.emplace(player, 0.0f);
    const float dt = engine->getFrameTime();
    for (auto& [player, time] : holdTime) {
        if (inside.count(player) == 0) {
            time = 0.0f;
            continue;
        }
        time += dt;
        if (time >= kWaitBeforeScoring && inside.size() == 1) {
            float fraction = player->getPointFraction() + dt;
            const int whole = int(fraction);
            if (whole != 0) {
                // Dropped by the player while its controls are off, but used up all the same.
                player->addPoints(whole);
                fraction -= float(whole);
            }
            player->setPointFraction(fraction);
            target = kScoring;
        }
    }
    auto ease = [](float from, float to) { return (1.0f - kEasing) * from + kEasing * to; };
    colour = RGBA(ease(colour.r, target.r), ease(colour.g, target.g), ease(colour.b, target.b),
                  ease(colour.a, target.a));
    inside.clear();
}

void KingAreaObject::render()
{
    RGBA shown = colour;
    shown.a *= 0.75f + 0.25f * std::sin(20.0f * engine->getTime());
    objectkit::bindSprite(*texture);
    drawSprite(0, Vec2i(0, 0), Vec2i(128, 128), false, shown, size);
}
