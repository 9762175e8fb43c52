#include "objects/SimpleObject.h"

#include "engine/Drawing.h"
#include "engine/Engine.h"
#include "objects/ObjectKit.h"
#include "objects/PlayerObject.h"
#include "resources/Sound.h"
#include "resources/SoundInstance.h"
#include "resources/SoundManager.h"
#include "resources/TextureManager.h"
#include "world/Level.h"
#include "world/Physics.h"

#include <GL/gl.h>
#include <tinyxml.h>

#include <algorithm>
#include <cmath>

namespace {

constexpr float kBoxFadeTime = 2.0f;
constexpr int kNutPoints = 50;
// Spikes hurt a vehicle at most once in this many steps (one second), however
// many of its parts touch them and however long it stays on them.
constexpr int kSpikesPause = 60;
constexpr int kSpikesDamage = 20;

enum class Shape { None, Box, Circle };

struct KindInfo {
    const char* type;
    const char* texture; ///< "" for a sprite, whose picture the level names
    int texSize;         ///< square pixel region drawn from the top-left corner
    float drawSize;      ///< square size drawn, world units
    Shape shape;
    bool sensor;
};

// In the order of SimpleObject::Kind.
const KindInfo kKinds[] = {
    {"Sprite", "", 0, 0.0f, Shape::None, false},
    {"Box", "sprites/box.png", 128, 1.1f, Shape::Box, false},
    {"Nut", "sprites/nut.png", 64, 0.75f, Shape::Circle, true},
    {"Medkit", "sprites/medkit.png", 128, 2.0f, Shape::Box, true},
    {"Accelerator", "sprites/accelerator.png", 64, 1.0f, Shape::Box, true},
    {"LayerSwitch", "sprites/spiral.png", 256, 1.0f, Shape::Circle, true},
    {"Spikes", "sprites/spikes.png", 128, 2.0f, Shape::Box, true},
};

} // namespace

SimpleObject::SimpleObject(Layer* layer, const TiXmlElement* element, const ParameterMap* gameParams)
    : Object(layer, element, gameParams)
{
    const std::string what = objectkit::describe(element, id);
    const char* typeText = objectkit::attribute(element, "type");
    type = typeText ? typeText : "";
    const auto* found = std::find_if(std::begin(kKinds), std::end(kKinds),
                                     [&](const KindInfo& info) { return type == info.type; });
    if (found == std::end(kKinds)) {
        level->report(what, typeText ? "unknown \"type\" \"" + type + "\"; skipped" : "no \"type\"; skipped");
        active = false;
        return;
    }
    kind = Kind(found - std::begin(kKinds));
    // Nuts are the story's points; the other modes count something else.
    if (kind == Kind::Nut && getGameMode() != GM_STORY) {
        active = false;
        return;
    }
    if (!readProperties(element, what)) {
        active = false;
        return;
    }
    if (kind != Kind::Sprite) {
        texture = engine->getTextureManager()->get(found->texture);
        level->keepResource(texture);
        cullRadius = 1.0f;
        buildBody();
    }
    readPlacement(element);
}

bool SimpleObject::readProperties(const TiXmlElement* element, const std::string& what)
{
    switch (kind) {
    case Kind::Sprite: {
        const char* file = element->Attribute("file");
        if (!file) {
            level->report(what, "a \"Sprite\" without \"file\"; skipped");
            return false;
        }
        texture = engine->getTextureManager()->get("sprites/" + std::string(file));
        if (!texture->isLoaded()) {
            level->report(what, "the picture \"sprites/" + std::string(file) + "\" cannot be loaded; skipped");
            return false;
        }
        level->keepResource(texture);
        Vec2f size;
        const char* sizeText = element->Attribute("size");
        if (!sizeText || !objectkit::parse(sizeText, size)) {
            level->report(what, sizeText ? "\"size\" \"" + std::string(sizeText) + "\" is not a vector; skipped"
                                         : "a \"Sprite\" without \"size\"; skipped");
            return false;
        }
        properties.set("size", size);
        RGBA color(1.0f, 1.0f, 1.0f, 1.0f);
        if (const char* colorText = element->Attribute("color"); colorText && !objectkit::parse(colorText, color))
            level->report(what, "\"color\" \"" + std::string(colorText) + "\" is not a colour; white is kept");
        properties.set("color", color);
        cullRadius = std::max(size.x, size.y);
        return true;
    }
    case Kind::Medkit: {
        int amount = 0;
        int result = element->QueryIntAttribute("amount", &amount);
        if (result == TIXML_NO_ATTRIBUTE)
            level->report(what, "a \"Medkit\" without \"amount\"; it heals nothing");
        else if (result != TIXML_SUCCESS)
            level->report(what, "\"amount\" \"" + std::string(element->Attribute("amount")) + "\" is not a number; it heals nothing");
        properties.set("amount", result == TIXML_SUCCESS ? amount : 0);
        return true;
    }
    case Kind::Spikes: {
        int amount = kSpikesDamage;
        if (element->QueryIntAttribute("amount", &amount) == TIXML_WRONG_TYPE || amount < 0) {
            level->report(what, "\"amount\" \"" + std::string(element->Attribute("amount")) + "\" is not a whole number of 0 or more; "
                                + std::to_string(kSpikesDamage) + " is kept");
            amount = kSpikesDamage;
        }
        properties.set("amount", amount);
        Handle<Sound> sound = engine->getSoundManager()->get("sounds/spikes.ogg");
        level->keepResource(sound);
        properties.set("sound", sound);
        return true;
    }
    case Kind::Accelerator: {
        double speed = 0.0;
        element->QueryDoubleAttribute("speed", &speed);
        properties.set("speed", float(speed));
        Handle<Sound> sound = engine->getSoundManager()->get("sounds/accelerator.ogg");
        level->keepResource(sound);
        properties.set("sound", sound);
        properties.set("soundInst", Handle<SoundInstance>());
        return true;
    }
    case Kind::LayerSwitch: {
        const char* target = element->Attribute("targetLayer");
        if (!target) {
            level->report(what, "a \"LayerSwitch\" without \"targetLayer\"; skipped");
            return false;
        }
        properties.set("targetLayer", std::string(target));
        return true;
    }
    case Kind::Box:
    case Kind::Nut:
        break;
    }
    return true;
}

void SimpleObject::buildBody()
{
    const KindInfo& info = kKinds[int(kind)];
    b2Body* body = createBody(b2BodyDef());
    objectkit::Material material;
    material.isSensor = info.sensor;
    if (kind == Kind::Box) {
        material.density = 0.1f;
        material.friction = 0.5f;
    }
    if (kind == Kind::Spikes)
        // The spikes stand in the lower half of their picture.
        objectkit::addBox(body, 0.9f, 0.45f, material, b2Vec2(0.0f, 0.5f));
    else if (info.shape == Shape::Box)
        objectkit::addBox(body, 0.5f, 0.5f, material);
    else
        objectkit::addCircle(body, 0.5f, material);
    physics::setMassFromShapes(body);
}

void SimpleObject::update()
{
    pushed.clear();
    ++steps;
    if (!fading)
        return;
    ++fadeSteps;
    if (getFadeTimer() <= 0.0f)
        active = false;
}

float SimpleObject::getFadeTimer() const
{
    // Steps times the frame time rather than a running sum, which drifts by a
    // step's worth of rounding and would keep the box one step too long.
    return fading ? kBoxFadeTime - float(fadeSteps) * engine->getFrameTime() : 0.0f;
}

RGBA SimpleObject::getDrawColor() const
{
    if (kind == Kind::Sprite)
        return properties.get<RGBA>("color");
    return RGBA(1.0f, 1.0f, 1.0f, fading ? getFadeTimer() : 1.0f);
}

void SimpleObject::render()
{
    objectkit::bindSprite(*texture);
    if (kind == Kind::Sprite) {
        renderSprite();
        return;
    }
    const KindInfo& info = kKinds[int(kind)];
    drawSprite(0, Vec2i(0, 0), Vec2i(info.texSize, info.texSize), false, getDrawColor(),
               Vec2f(info.drawSize, info.drawSize));
}

void SimpleObject::renderSprite() const
{
    drawTurnedQuad(position, Vec2f(std::cos(angle), std::sin(angle)), properties.get<Vec2f>("size") * 0.5f, Vec2f(0.0f, 0.0f),
                   Vec2f(float(texture->getWidth()), float(texture->getHeight())), false, getDrawColor());
}

void SimpleObject::onContact(const ContactInfo& contact)
{
    auto* player = dynamic_cast<PlayerObject*>(contact.other);
    if (!player)
        return;
    switch (kind) {
    case Kind::Nut:
        player->addPoints(kNutPoints);
        active = false;
        break;
    case Kind::Box:
        fading = true;
        break;
    case Kind::Medkit:
        if (player->getLife() < 100) {
            player->damage(-properties.get<int>("amount"));
            active = false;
        }
        break;
    case Kind::Accelerator: {
        if (!pushed.insert(player).second)
            break;
        player->addVelocity(getDirection() * properties.get<float>("speed"));
        Handle<SoundInstance>& voice = properties.get<Handle<SoundInstance>>("soundInst");
        if (!voice || !voice->isValid())
            voice = properties.get<Handle<Sound>>("sound")->play(false, 1.0f, 1.0f);
        break;
    }
    case Kind::LayerSwitch:
        player->switchToLayer(properties.get<std::string>("targetLayer"));
        break;
    case Kind::Spikes: {
        auto last = lastHurt.find(player);
        if (!player->areControlsEnabled() || (last != lastHurt.end() && steps - last->second < kSpikesPause))
            break;
        lastHurt[player] = steps;
        player->damage(properties.get<int>("amount"));
        properties.get<Handle<Sound>>("sound")->play(false, 1.0f, 1.0f);
        break;
    }
    case Kind::Sprite:
        break;
    }
}
