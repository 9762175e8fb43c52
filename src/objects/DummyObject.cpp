#include "objects/DummyObject.h"

#include "engine/Engine.h"
#include "objects/ObjectKit.h"
#include "resources/TextureManager.h"
#include "world/Level.h"
#include "world/Physics.h"

#include <GL/gl.h>

#include <cmath>

namespace {

constexpr float kPush = 20.0f;
constexpr int kFrameSize = 64;

} // namespace

DummyObject::DummyObject(Layer* layer, const TiXmlElement* element, const ParameterMap* gameParams)
    : Object(layer, element, gameParams)
{
    texture = engine->getTextureManager()->get("sprites/dummy.png");
    level->keepResource(texture);
    b2Body* body = createBody(b2BodyDef());
    objectkit::Material rubber;
    rubber.density = 1.0f;
    objectkit::addCircle(body, 0.4f, rubber);
    physics::setMassFromShapes(body);
    readPlacement(element);
}

void DummyObject::update()
{
    animationTime += engine->getFrameTime() * 8.0f;

    b2Vec2 force(0.0f, 0.0f);
    if (engine->isKeyDown(SDLK_a))
        force.x = -kPush;
    if (engine->isKeyDown(SDLK_d))
        force.x = kPush;
    if (engine->isKeyDown(SDLK_w))
        force.y = -kPush;
    if (engine->isKeyDown(SDLK_s))
        force.y = kPush;
    bodies[0]->ApplyForceToCenter(force, true);

    // The collision bits stay those of the layer the ball was built in, so it
    // can be watched rolling on one layer's ground while drawn in another.
    if (engine->wasKeyPressed(SDLK_1)) {
        if (Layer* target = level->findLayer("3"))
            moveToLayer(target);
    }
    if (engine->wasKeyPressed(SDLK_2)) {
        if (Layer* target = level->findLayer("4"))
            moveToLayer(target);
    }
}

int DummyObject::getFrame() const
{
    // Lingers on the end frames, where the sine turns.
    return int(std::sin(animationTime) * 1.99f + 2.0f);
}

void DummyObject::render()
{
    objectkit::bindSprite(*texture);
    drawSprite(0, Vec2i(kFrameSize * getFrame(), 0), Vec2i(kFrameSize, kFrameSize), false,
               RGBA(1.0f, 1.0f, 1.0f, 1.0f), Vec2f(1.0f, 1.0f));
}
