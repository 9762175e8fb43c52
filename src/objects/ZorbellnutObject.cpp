#include "objects/ZorbellnutObject.h"

#include "engine/Engine.h"
#include "engine/Random.h"
#include "objects/ObjectKit.h"
#include "objects/PlayerObject.h"
#include "resources/SoundManager.h"
#include "resources/TextureManager.h"
#include "world/Level.h"
#include "world/Physics.h"

#include <tinyxml.h>

#include <cmath>

namespace {

// Where the nut floats relative to its carrier (y grows downwards).
const Vec2f kAboveCarrier(0.0f, -2.5f);
constexpr float kFollow = 0.2f;
constexpr float kSpin = 4.0f;

} // namespace

ZorbellnutObject::ZorbellnutObject(Layer* layer, const TiXmlElement* element, const ParameterMap* gameParams)
    : Object(layer, element, gameParams)
{
    cullRadius = 1.5f;
    if (getGameMode() != GM_CTZ) {
        active = false;
        return;
    }
    double seconds = 0.0;
    const int read = element ? element->QueryDoubleAttribute("respawnTime", &seconds) : TIXML_NO_ATTRIBUTE;
    if (read == TIXML_SUCCESS && std::isfinite(seconds) && seconds >= 0.0)
        respawnTime = float(seconds);
    else if (read != TIXML_NO_ATTRIBUTE)
        level->report(objectkit::describe(element, id), "\"respawnTime\" \"" + std::string(element->Attribute("respawnTime"))
                                                             + "\" is not a time in seconds; " + std::to_string(int(respawnTime))
                                                             + " s is kept");
    texture = engine->getTextureManager()->get("sprites/zorbellnut.png");
    level->keepResource(texture);
    SoundManager* sounds = engine->getSoundManager();
    takeSound = sounds->get("sounds/nut-take.ogg");
    captureSound = sounds->get("sounds/nut-capture.ogg");
    spawnSound = sounds->get("sounds/nut-spawn.ogg");
    level->keepResource(takeSound);
    level->keepResource(captureSound);
    level->keepResource(spawnSound);
    b2Body* body = createBody(b2BodyDef());
    objectkit::Material sensor;
    sensor.isSensor = true;
    objectkit::addCircle(body, 0.5f, sensor);
    physics::setMassFromShapes(body);
    readPlacement(element);
    spawnPosition = getPosition();
}

PlayerObject* ZorbellnutObject::getCarrier() const
{
    return PlayerObject::findInLevel(level, carrier);
}

void ZorbellnutObject::onContact(const ContactInfo& contact)
{
    if (isHidden())
        return;
    auto* player = dynamic_cast<PlayerObject*>(contact.other);
    if (!player || player == carrier)
        return;
    carrier = player;
    takeSound->play(false, 1.0f, randomFloat(0.9f, 1.1f));
}

void ZorbellnutObject::update()
{
    carrier = getCarrier();
    const float dt = engine->getFrameTime();
    if (carrier) {
        const Vec2f target = carrier->getPosition() + kAboveCarrier;
        setPosition(getPosition() * (1.0f - kFollow) + target * kFollow);
        setAngle(getAngle() + kSpin * dt);
    }
    if (respawnTimer > 0.0f) {
        respawnTimer -= dt;
        if (respawnTimer <= 0.0f) {
            setPosition(spawnPosition);
            setAngle(0.0f);
            spawnSound->play(false, 1.0f, 1.0f);
        }
    }
}

void ZorbellnutObject::capture(PlayerObject* scorer)
{
    if (isHidden())
        return;
    if (scorer)
        scorer->addPoints(1);
    respawnTimer = respawnTime;
    carrier = nullptr;
    captureSound->play(false, 1.0f, 1.0f);
}

void ZorbellnutObject::render()
{
    if (isHidden())
        return;
    objectkit::bindSprite(*texture);
    drawSprite(0, Vec2i(0, 0), Vec2i(128, 128), false, RGBA(1.0f, 1.0f, 1.0f, 1.0f), Vec2f(2.0f, 2.0f));
}
