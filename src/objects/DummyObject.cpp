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
    const Vec2f at = getPosition();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glTranslatef(at.x, at.y, 0.0f);
    glRotatef(getAngle() * 180.0f / 3.1415927f, 0.0f, 0.0f, 1.0f);
    const float u = float(kFrameSize * getFrame());
    const float w = float(kFrameSize);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glBegin(GL_QUADS);
    glTexCoord2f(u, 0.0f);
    glVertex2f(-0.5f, -0.5f);
    glTexCoord2f(u + w, 0.0f);
    glVertex2f(0.5f, -0.5f);
    glTexCoord2f(u + w, w);
    glVertex2f(0.5f, 0.5f);
    glTexCoord2f(u, w);
    glVertex2f(-0.5f, 0.5f);
    glEnd();
    glPopMatrix();
}
