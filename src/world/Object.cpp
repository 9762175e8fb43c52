#include "world/Object.h"

#include "engine/Drawing.h"
#include "world/Layer.h"
#include "world/Level.h"
#include "world/Physics.h"

#include <tinyxml.h>

#include <cmath>

Object::Object(Layer* layer, const TiXmlElement* element, const ParameterMap* gameParams)
    : layer(layer), level(layer->getLevel()), engine(level->getEngine()), gameParams(gameParams)
{
    const char* text = element ? element->Attribute("id") : nullptr;
    if (text) {
        id = text;
        return;
    }
    // Authors may write ids that look generated; taking one of theirs would delete
    // their object under the duplicate-id rule.
    do
        id = nextGeneratedId();
    while (layer->findObject(id) || level->findObject(id));
}

Object::~Object()
{
    destroyPhysics();
}

std::string Object::nextGeneratedId()
{
    static int counter = 0;
    return "Object#" + std::to_string(++counter);
}

void Object::readPlacement(const TiXmlElement* element)
{
    Vec2f p;
    double degrees = 0.0;
    if (element) {
        if (const char* text = element->Attribute("position"))
            p = fromString<Vec2f>(text, Vec2f());
        element->QueryDoubleAttribute("angle", &degrees);
    }
    // A turn that is not a number would put NaN into the physics world, where
    // it spreads to every body this one touches.
    if (!std::isfinite(degrees)) {
        level->report(id, "\"angle\" \"" + std::string(element->Attribute("angle")) +
                              "\" is not a finite number; 0 is used");
        degrees = 0.0;
    } else if (std::fabs(degrees) > 360000.0) {
        // Only the part of a turn matters, and its radians must fit a float.
        degrees = std::fmod(degrees, 360.0);
    }
    updateCollisionLayer();
    setTransform(p, float(degrees * 3.1415927 / 180.0));
}

b2Body* Object::createBody(const b2BodyDef& def)
{
    if (level->getPhysics().isStepping() || level->getWorld()->IsLocked())
        return nullptr;
    b2Body* body = level->getWorld()->CreateBody(&def);
    physics::setOwner(body, this);
    bodies.push_back(body);
    return body;
}

b2Joint* Object::createJoint(const b2JointDef& def)
{
    if (level->getPhysics().isStepping() || level->getWorld()->IsLocked())
        return nullptr;
    b2Joint* joint = level->getWorld()->CreateJoint(&def);
    physics::setOwner(joint, this);
    joints.push_back(joint);
    return joint;
}

void Object::destroyPhysics()
{
    b2World* world = level->getWorld();
    for (b2Joint* joint : joints)
        world->DestroyJoint(joint);
    joints.clear();
    for (b2Body* body : bodies)
        world->DestroyBody(body);
    bodies.clear();
}

void Object::updateCollisionLayer()
{
    uint16_t bits = physics::collisionBits(layer->getIndex());
    for (b2Body* body : bodies)
        physics::setCollisionBits(body, bits);
}

Vec2f Object::getPosition() const
{
    if (bodies.empty())
        return position;
    const b2Vec2& p = bodies.front()->GetPosition();
    return Vec2f(p.x, p.y);
}

float Object::getAngle() const
{
    return bodies.empty() ? angle : bodies.front()->GetAngle();
}

Vec2f Object::getDirection() const
{
    if (bodies.empty())
        return Vec2f(1.0f, 0.0f);
    b2Vec2 d = b2Mul(bodies.front()->GetTransform().q, b2Vec2(1.0f, 0.0f));
    return Vec2f(d.x, d.y);
}

void Object::setTransform(const Vec2f& p, float a)
{
    if (bodies.empty()) {
        position = p;
        angle = a;
        return;
    }
    b2Body* first = bodies.front();
    float d = a - first->GetAngle();
    float c = std::cos(d);
    float s = std::sin(d);
    b2Vec2 origin = first->GetPosition();
    for (size_t i = 1; i < bodies.size(); ++i) {
        b2Vec2 r = bodies[i]->GetPosition() - origin;
        b2Vec2 moved(c * r.x - s * r.y + p.x, s * r.x + c * r.y + p.y);
        bodies[i]->SetTransform(moved, bodies[i]->GetAngle() + d);
    }
    first->SetTransform(b2Vec2(p.x, p.y), a);
}

void Object::setPosition(const Vec2f& p)
{
    setTransform(p, getAngle());
}

void Object::setAngle(float a)
{
    setTransform(getPosition(), a);
}

void Object::moveToLayer(Layer* newLayer)
{
    if (newLayer == layer)
        return;
    layer->removeObject(this, false);
    layer = newLayer;
    newLayer->addObject(this);
}

GameMode Object::getGameMode() const
{
    return gameParams ? gameParams->get<GameMode>("gameMode") : GM_STORY;
}

void Object::drawSprite(int bodyIndex, const Vec2i& texPos, const Vec2i& texSize, bool flip,
                        const RGBA& color, const Vec2f& size) const
{
    const b2Transform& xf = getBody(bodyIndex)->GetTransform();
    drawTurnedQuad(Vec2f(xf.p.x, xf.p.y), Vec2f(xf.q.c, xf.q.s), size * 0.5f, Vec2f(float(texPos.x), float(texPos.y)),
                   Vec2f(float(texSize.x), float(texSize.y)), flip, color);
}
