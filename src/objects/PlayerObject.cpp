#include "objects/PlayerObject.h"

#include "engine/Engine.h"
#include "engine/Random.h"
#include "objects/ObjectKit.h"
#include "objects/TextObject.h"
#include "resources/SoundManager.h"
#include "resources/TextureManager.h"
#include "world/Layer.h"
#include "world/Level.h"
#include "world/Physics.h"

#include <tinyxml.h>

#include <algorithm>
#include <cmath>
#include <sstream>
#include <utility>
#include <vector>

namespace {

const RGBA kPlayerColors[2] = {
    RGBA(0.9490196f, 0.3490196f, 0.22745098f, 1.0f),
    RGBA(0.16078432f, 0.7882353f, 0.9372549f, 1.0f),
};

constexpr float kLean = 0.4f;
constexpr float kTopDriveSpeed = 40.0f;
constexpr float kDriveTorque = 50.0f;
constexpr float kBrakeTorque = 25.0f;
// Below this relative wheel speed the brake key of the four-key layout turns the vehicle.
constexpr float kTurnSpeed = 0.25f;
constexpr int kHurtFlashSteps = 24;

template <typename T>
std::string text(const T& value)
{
    std::ostringstream out;
    out << value;
    return out.str();
}

bool allowsSecondPlayer(GameMode mode)
{
    return mode == GM_TIME_2P || mode == GM_CTZ || mode == GM_KOH;
}

b2RevoluteJoint* hinge(b2Joint* joint)
{
    return static_cast<b2RevoluteJoint*>(joint);
}

} // namespace

PlayerObject::PlayerObject(Layer* layer, const TiXmlElement* element, const ParameterMap* gameParams)
    : Object(layer, element, gameParams)
{
    cullRadius = 2.0f;
    int direction = 1;
    if (element) {
        element->QueryIntAttribute("playerNo", &playerNo);
        element->QueryIntAttribute("direction", &direction);
    }
    facingLeft = direction == -1;
    if (playerNo == 0 || playerNo == 1)
        color = kPlayerColors[playerNo];
    else
        level->report(objectkit::describe(element, id),
                      "\"playerNo\" " + std::to_string(playerNo) + " is neither 0 nor 1; it drives with player 1's keys");
    if (playerNo == 1 && !allowsSecondPlayer(getGameMode())) {
        active = false;
        return;
    }
    texture = engine->getTextureManager()->get("sprites/player.png");
    level->keepResource(texture);
    motorSound = engine->getSoundManager()->get("sounds/motor.ogg");
    level->keepResource(motorSound);
    motorVoice = motorSound->play(true, 0.0f, 1.0f);
    hurtSound = engine->getSoundManager()->get("sounds/hurt.ogg");
    level->keepResource(hurtSound);
    if (gameParams)
        controlMode = gameParams->get<ControlMode>("controlMode" + std::to_string(playerNo + 1));
    buildVehicle();
    readPlacement(element);
}

PlayerObject::~PlayerObject()
{
    if (motorVoice)
        motorVoice->stop();
}

void PlayerObject::buildVehicle()
{
    const Vec2f place = getPosition();
    const float turn = getAngle();
    std::vector<std::pair<b2Vec2, float>> motion;
    for (b2Body* body : bodies)
        motion.emplace_back(body->GetLinearVelocity(), body->GetAngularVelocity());
    destroyPhysics();

    const float dir = facingLeft ? -1.0f : 1.0f;
    objectkit::Material solid;
    // The two racers of a time trial share the track and must not push each other off it.
    solid.group = getGameMode() == GM_TIME_2P ? -1 : 0;

    b2BodyDef chassisDef;
    chassisDef.linearDamping = 0.1f;
    chassisDef.angularDamping = 1.0f;
    b2Body* chassis = createBody(chassisDef);
    objectkit::addBox(chassis, 1.0f, 0.5f, solid);
    // The mass sits low, below the axles, so the vehicle rights itself like a pendulum.
    physics::setMassData(chassis, 1.0f, b2Vec2(0.25f * dir, 1.25f), 1.0f);

    objectkit::Material tyre = solid;
    tyre.density = 1.0f;
    tyre.restitution = 0.1f;
    tyre.friction = 5.0f;
    auto addWheel = [&](const b2Vec2& at) {
        b2BodyDef def;
        def.angularDamping = 0.25f;
        def.position = at;
        b2Body* wheel = createBody(def);
        objectkit::addCircle(wheel, 0.5f, tyre);
        physics::setMassFromShapes(wheel);
        b2RevoluteJointDef joint;
        joint.Initialize(chassis, wheel, at);
        createJoint(joint);
    };
    addWheel(b2Vec2(dir * 1.0f, 0.5f));
    addWheel(b2Vec2(dir * -1.05f, 0.48f));

    b2BodyDef riderDef;
    riderDef.position = b2Vec2(dir * -0.4f, -1.0f);
    b2Body* rider = createBody(riderDef);
    objectkit::Material body = solid;
    body.density = 0.1f;
    objectkit::addBox(rider, 0.25f, 0.5f, body);
    physics::setMassFromShapes(rider);
    b2RevoluteJointDef seat;
    seat.Initialize(chassis, rider, b2Vec2(dir * -0.4f, 0.0f));
    seat.enableLimit = true;
    seat.lowerAngle = -kLean;
    seat.upperAngle = kLean;
    createJoint(seat);

    setTransform(place, turn);
    updateCollisionLayer();
    for (size_t i = 0; i < motion.size() && i < bodies.size(); ++i) {
        bodies[i]->SetLinearVelocity(motion[i].first);
        bodies[i]->SetAngularVelocity(motion[i].second);
    }
}

PlayerObject::Keys PlayerObject::getKeys() const
{
    const bool second = playerNo == 1;
    if (controlMode == CM_FOUR_KEYS) {
        SDLKey forward = second ? SDLK_d : SDLK_RIGHT;
        SDLKey backward = second ? SDLK_a : SDLK_LEFT;
        SDLKey up = second ? SDLK_w : SDLK_UP;
        SDLKey down = second ? SDLK_s : SDLK_DOWN;
        // The layout follows the vehicle: the key in the driving direction always accelerates.
        if (facingLeft) {
            std::swap(forward, backward);
            std::swap(up, down);
        }
        return Keys{forward, backward, up, down, backward};
    }
    if (second)
        return Keys{SDLK_w, SDLK_s, SDLK_d, SDLK_a, SDLK_SPACE};
    return Keys{SDLK_UP, SDLK_DOWN, SDLK_RIGHT, SDLK_LEFT, SDLK_RCTRL};
}

bool PlayerObject::isDown(SDLKey key) const
{
    return engine->isKeyDown(key);
}

PlayerObject::Controls PlayerObject::readControls() const
{
    Controls controls;
    const bool fourKeys = controlMode == CM_FOUR_KEYS;
    // Without controls the four-key vehicle holds still; there the brake is also the reverse.
    if (!controlsEnabled) {
        controls.brake = fourKeys;
        return controls;
    }
    const Keys keys = getKeys();
    // A pad always has the five-key meaning, whatever layout the player's keys have.
    const Gamepads& pad = engine->getPads();
    controls.accelerate = isDown(keys.accelerate) || pad.isDown(playerNo, PAD_BUTTON_1);
    controls.brake = isDown(keys.brake) || pad.isDown(playerNo, PAD_BUTTON_2);
    controls.leanForward = isDown(keys.leanForward) || pad.isDown(playerNo, PAD_RIGHT);
    controls.leanBack = isDown(keys.leanBack) || pad.isDown(playerNo, PAD_LEFT);
    if (fourKeys) {
        const float wheelSpeed = hinge(joints[kRearHinge])->GetJointSpeed();
        controls.turn = isDown(keys.brake) && wheelSpeed > -kTurnSpeed && wheelSpeed < kTurnSpeed;
    } else {
        controls.turn = engine->wasKeyHit(keys.turn);
    }
    controls.turn = controls.turn || pad.wasHit(playerNo, PAD_BUTTON_3);
    return controls;
}

void PlayerObject::update()
{
    if (hurtSteps > 0)
        --hurtSteps;
    if (strongestImpact > 0.0f) {
        damage(crashDamage(strongestImpact));
        strongestImpact = 0.0f;
    }
    if (layerSwitchPending) {
        layerSwitchPending = false;
        if (Layer* target = level->findLayer(targetLayerId))
            moveToLayer(target);
        else
            level->report(id, "no layer \"" + targetLayerId + "\" to switch to; the vehicle stays in its layer");
        buildVehicle();
    }

    if (motorVoice) {
        motorVoice->setPitch(1.0f + 0.001f * driveSpeed * driveSpeed);
        motorVoice->setGain(0.1f + 0.01f * std::abs(driveSpeed));
    }

    b2Body* chassis = bodies[kChassis];
    b2Body* frontWheel = bodies[kFrontWheel];
    b2Body* rearWheel = bodies[kRearWheel];
    b2Body* rider = bodies[kRider];
    frontWheel->ApplyForce(b2Vec2(frontWheelForce.x, frontWheelForce.y), frontWheel->GetPosition(), true);
    rearWheel->ApplyForce(b2Vec2(rearWheelForce.x, rearWheelForce.y), rearWheel->GetPosition(), true);
    frontWheelForce *= 0.5f;
    rearWheelForce *= 0.5f;

    const Controls controls = readControls();
    float lean = 0.0f;
    if (controls.leanForward)
        lean = kLean;
    if (controls.leanBack)
        lean = -kLean;
    // Waking resets the bodies' sleep timers, so the vehicle never falls asleep:
    // a sleeping vehicle would miss a step of contacts every half second.
    rider->SetAwake(true);
    chassis->SetAwake(true);
    // A spring with damping pulls the rider towards the wanted lean.
    const float riderAngle = hinge(joints[kRiderHinge])->GetJointAngle();
    rider->ApplyTorque((lean - riderAngle) * 50.0f - rider->GetAngularVelocity() * 5.0f, true);

    // The rider's weight shifts the chassis' centre of mass and tips the chassis with it.
    const float behind = facingLeft ? 0.75f : -0.75f;
    physics::setMassData(chassis, 1.0f, b2Vec2(riderAngle * 7.5f + behind, 1.25f), 1.0f);
    chassis->ApplyTorque(riderAngle * 150.0f, true);

    b2RevoluteJoint* rearHinge = hinge(joints[kRearHinge]);
    b2RevoluteJoint* frontHinge = hinge(joints[kFrontHinge]);
    float targetSpeed = 0.0f;
    if (controls.accelerate) {
        rearHinge->EnableMotor(true);
        rearHinge->SetMaxMotorTorque(kDriveTorque);
        rearHinge->SetMotorSpeed(driveSpeed);
        rearWheel->SetAwake(true);
        targetSpeed = facingLeft ? -kTopDriveSpeed : kTopDriveSpeed;
    } else {
        rearHinge->EnableMotor(false);
    }
    driveSpeed = 0.98f * driveSpeed + 0.02f * targetSpeed;

    if (controls.brake) {
        rearHinge->EnableMotor(true);
        rearHinge->SetMotorSpeed(0.0f);
        rearHinge->SetMaxMotorTorque(kBrakeTorque);
        frontHinge->EnableMotor(true);
        frontHinge->SetMaxMotorTorque(kBrakeTorque);
    } else {
        frontHinge->EnableMotor(false);
    }

    if (controls.turn) {
        facingLeft = !facingLeft;
        buildVehicle();
    }
    rider = bodies[kRider];
    riderVelocity = rider->GetLinearVelocity();
    riderCentre = rider->GetWorldCenter();
    riderSpin = rider->GetAngularVelocity();
}

int PlayerObject::crashDamage(float speed)
{
    return speed > kCrashSpeed ? std::min(kCrashMostDamage, int(std::ceil((speed - kCrashSpeed) * kCrashDamage))) : 0;
}

void PlayerObject::onContact(const ContactInfo& contact)
{
    if (contact.otherShape->IsSensor() || contact.other == this)
        return;
    if (contact.body == bodies[kRider]) {
        const b2Vec2 at = contact.point->position;
        const b2Vec2 before = riderVelocity + b2Cross(riderSpin, at - riderCentre);
        const float towards = b2Dot(before - contact.otherBody->GetLinearVelocityFromWorldPoint(at), contact.normal);
        strongestImpact = std::max(strongestImpact, towards);
        return;
    }
    if (contact.otherBody->GetType() != b2_staticBody)
        return;
    const float speedSquared = contact.body->GetLinearVelocity().LengthSquared();
    const Vec2f normal(contact.normal.x, contact.normal.y);
    if (contact.body == bodies[kFrontWheel])
        frontWheelForce = normal * (speedSquared * 0.25f);
    else if (contact.body == bodies[kRearWheel])
        rearWheelForce = normal * (speedSquared * 0.1f);
}

void PlayerObject::render()
{
    drawVehicle(*texture, playerNo, getPose(), RGBA(1.0f, 1.0f, 1.0f, 1.0f));
}

VehiclePose PlayerObject::getPose() const
{
    VehiclePose pose;
    for (int i = 0; i < 4; ++i) {
        const b2Transform& xf = getBody(i)->GetTransform();
        pose.centre[i] = Vec2f(xf.p.x, xf.p.y);
        pose.axis[i] = Vec2f(xf.q.c, xf.q.s);
    }
    pose.facingLeft = facingLeft;
    return pose;
}

void PlayerObject::drawVehicle(const Texture& texture, int playerNo, const VehiclePose& pose, const RGBA& colour)
{
    objectkit::bindSprite(texture);
    // Rows beyond the second player's would read outside the sheet.
    const float row = playerNo == 1 ? 256.0f : 0.0f;
    auto sprite = [&](int body, float texX, const Vec2f& texSize, bool flip, const Vec2f& size) {
        drawTurnedQuad(pose.centre[body], pose.axis[body], size * 0.5f, Vec2f(texX, row), texSize, flip, colour);
    };
    sprite(kRider, 512.0f, Vec2f(256.0f, 256.0f), pose.facingLeft, Vec2f(1.6f, 1.6f));
    sprite(kChassis, 0.0f, Vec2f(384.0f, 256.0f), pose.facingLeft, Vec2f(3.0f, 2.0f));
    sprite(kFrontWheel, 384.0f, Vec2f(128.0f, 128.0f), false, Vec2f(1.1f, 1.1f));
    sprite(kRearWheel, 384.0f, Vec2f(128.0f, 128.0f), false, Vec2f(1.1f, 1.1f));
}

void PlayerObject::damage(int amount)
{
    if (amount == 0 || !controlsEnabled)
        return;
    const int before = life;
    life = std::clamp(life - amount, 0, 100);
    if (life < before) {
        hurtSteps = kHurtFlashSteps;
        hurtSound->play(false, 1.0f, 1.0f);
    }
    if (life == 0) {
        controlsEnabled = false;
        createFloatingText("TOT", RGBA(1.0f, 0.0f, 0.0f, 1.0f), nullptr, "10");
    }
}

float PlayerObject::getHurtFlash() const
{
    return float(hurtSteps) / float(kHurtFlashSteps);
}

void PlayerObject::addPoints(int amount)
{
    if (amount == 0 || !controlsEnabled)
        return;
    points += amount;
    const std::string number = std::to_string(amount);
    if (amount > 0)
        createFloatingText("+" + number, RGBA(0.0f, 1.0f, 0.0f, 1.0f), "1.5", "1.75");
    else
        createFloatingText(number, RGBA(1.0f, 0.0f, 0.0f, 1.0f), "1.5", "1.75");
}

void PlayerObject::createFloatingText(const std::string& message, const RGBA& textColor, const char* size,
                                      const char* timeToLive)
{
    const Vec2f at = getPosition();
    const float r1 = randomFloat();
    const float r2 = randomFloat();
    const float r3 = randomFloat();
    TiXmlElement element("TextObject");
    element.SetAttribute("text", message);
    if (size)
        element.SetAttribute("size", size);
    element.SetAttribute("color", text(textColor));
    element.SetAttribute("timeToLive", timeToLive);
    element.SetAttribute("position", text(Vec2f(at.x + r1 - 0.5f, at.y - 1.5f)));
    element.SetAttribute("velocity", text(Vec2f(r3 * 0.2f - 0.1f, -0.9f - r2 * 0.2f)));
    layer->addObject(new TextObject(layer, &element, gameParams));
}

void PlayerObject::switchToLayer(const std::string& layerId)
{
    targetLayerId = layerId;
    layerSwitchPending = true;
}

void PlayerObject::addVelocity(const Vec2f& dv)
{
    b2Body* chassis = bodies[kChassis];
    chassis->SetLinearVelocity(chassis->GetLinearVelocity() + b2Vec2(dv.x, dv.y));
}

PlayerObject* PlayerObject::findInLevel(const Level* level, const Object* candidate)
{
    if (!candidate)
        return nullptr;
    for (const Layer* layer : level->getLayers()) {
        for (const auto& entry : layer->getObjects()) {
            if (entry.second == candidate)
                return dynamic_cast<PlayerObject*>(entry.second);
        }
    }
    return nullptr;
}
