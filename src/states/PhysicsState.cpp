#include "states/PhysicsState.h"

#include "engine/CubeTransition.h"
#include "engine/Drawing.h"
#include "engine/Engine.h"
#include "resources/FontManager.h"

#include <box2d/box2d.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

constexpr float kBodyHalfSize = 0.55f;
constexpr float kMotorSpeed = 25.0f;
constexpr float kMotorTorque = 5000.0f;
constexpr int kIterations = 10;
constexpr int kCircleSegments = 16;
// The ring's colours run black, red, yellow, white in three steps of this many slots.
constexpr float kColourStep = 148.0f;

// Wheels and car share one definition: they never fall asleep, so the motor always answers.
b2BodyDef carPartDefinition(float x, float y)
{
    b2BodyDef def;
    def.type = b2_dynamicBody;
    def.position.Set(x, y);
    def.allowSleep = false;
    return def;
}

void drawBody(const b2Body* body)
{
    const b2Transform& transform = body->GetTransform();
    for (const b2Fixture* fixture = body->GetFixtureList(); fixture; fixture = fixture->GetNext()) {
        const b2Shape* shape = fixture->GetShape();
        glBegin(GL_POLYGON);
        if (shape->GetType() == b2Shape::e_circle) {
            auto* circle = static_cast<const b2CircleShape*>(shape);
            b2Vec2 centre = b2Mul(transform, circle->m_p);
            for (int k = 0; k < kCircleSegments; ++k) {
                float angle = float(k) * 0.39269909f;
                glVertex2f(centre.x + circle->m_radius * std::cos(angle),
                           centre.y + circle->m_radius * std::sin(angle));
            }
        } else if (shape->GetType() == b2Shape::e_polygon) {
            auto* polygon = static_cast<const b2PolygonShape*>(shape);
            for (int k = 0; k < polygon->m_count; ++k) {
                b2Vec2 corner = b2Mul(transform, polygon->m_vertices[k]);
                glVertex2f(corner.x, corner.y);
            }
        }
        glEnd();
    }
}

} // namespace

PhysicsState::PhysicsState(Engine* engine) : State("Physics", engine)
{
    font = engine->getFontManager()->get("fonts/arial.fnt");
}

PhysicsState::~PhysicsState() = default;

void PhysicsState::enter(const ParameterMap&)
{
    nextSlot = 0;
    bodyCount = 0;
    std::fill(std::begin(bodies), std::end(bodies), nullptr);
    // Down the screen is +y, so gravity points that way.
    world = std::make_unique<b2World>(b2Vec2(0.0f, 10.0f));
    world->SetAllowSleeping(true);

    createBox();
    createCar();
    for (int i = 0; i < 8; ++i)
        spawnBody(2.0f + 1.75f * float(i), 1.0f + 2.25f * float(i % 4));
}

void PhysicsState::createBox()
{
    b2BodyDef def;
    def.position.Set(16.0f, 25.0f);
    b2Body* ground = world->CreateBody(&def);

    // The floor's top is the bottom edge of the screen; the walls stand just outside the sides.
    struct Part {
        float halfWidth, halfHeight, x, y;
    };
    const Part parts[] = {{16.0f, 1.0f, 0.0f, 0.0f}, {1.0f, 12.0f, -17.0f, -13.0f}, {1.0f, 12.0f, 17.0f, -13.0f}};
    for (const Part& part : parts) {
        b2PolygonShape shape;
        shape.SetAsBox(part.halfWidth, part.halfHeight, b2Vec2(part.x, part.y), 0.0f);
        b2FixtureDef fixture;
        fixture.shape = &shape;
        fixture.friction = 0.85f;
        fixture.restitution = 0.75f;
        fixture.density = 0.0f;
        ground->CreateFixture(&fixture);
    }
}

b2Body* PhysicsState::createWheel(float x, float y)
{
    b2BodyDef def = carPartDefinition(x, y);
    b2Body* wheel = world->CreateBody(&def);
    b2CircleShape shape;
    shape.m_radius = 1.0f;
    b2FixtureDef fixture;
    fixture.shape = &shape;
    fixture.density = 40.0f;
    fixture.friction = 0.9f;
    fixture.restitution = 0.0f;
    wheel->CreateFixture(&fixture);
    return wheel;
}

void PhysicsState::createCar()
{
    b2BodyDef def = carPartDefinition(8.0f, 4.0f);
    carBody = world->CreateBody(&def);
    b2PolygonShape shape;
    shape.SetAsBox(2.0f, 1.0f);
    b2FixtureDef fixture;
    fixture.shape = &shape;
    fixture.density = 1.0f;
    fixture.friction = 0.0f;
    fixture.restitution = 0.75f;
    carBody->CreateFixture(&fixture);

    // A heavy block whose weight sits low, below its shape, so the car hardly tips over.
    // Box2D wants the inertia about the body origin, not about the centre of mass.
    b2MassData mass;
    mass.mass = 1000.0f;
    mass.center.Set(0.5f, 2.5f);
    mass.I = 5.0f + mass.mass * b2Dot(mass.center, mass.center);
    carBody->SetMassData(&mass);

    wheel1 = createWheel(6.5f, 4.5f);
    wheel2 = createWheel(9.5f, 4.5f);

    b2RevoluteJointDef motor;
    motor.Initialize(carBody, wheel1, wheel1->GetPosition());
    motor.enableMotor = true;
    motor.motorSpeed = 0.0f;
    motor.maxMotorTorque = kMotorTorque;
    motorJoint = static_cast<b2RevoluteJoint*>(world->CreateJoint(&motor));

    b2RevoluteJointDef axle;
    axle.Initialize(carBody, wheel2, wheel2->GetPosition());
    world->CreateJoint(&axle);
}

void PhysicsState::spawnBody(float x, float y)
{
    // The ring is full: the oldest body makes room for the new one.
    if (bodies[nextSlot])
        world->DestroyBody(bodies[nextSlot]);

    b2BodyDef def;
    def.type = b2_dynamicBody;
    def.position.Set(x, y);
    b2Body* body = world->CreateBody(&def);

    b2PolygonShape box;
    box.SetAsBox(kBodyHalfSize, kBodyHalfSize);
    b2CircleShape ball;
    ball.m_radius = kBodyHalfSize;
    b2FixtureDef fixture;
    fixture.shape = nextSlot % 8 == 0 ? static_cast<const b2Shape*>(&box) : &ball;
    fixture.density = 1.0f;
    fixture.friction = 0.3f;
    fixture.restitution = 0.0f;
    body->CreateFixture(&fixture);

    bodies[nextSlot] = body;
    nextSlot = (nextSlot + 1) % kSlotCount;
    bodyCount = std::min(bodyCount + 1, kSlotCount);
}

void PhysicsState::removeLastBody()
{
    nextSlot = (nextSlot + kSlotCount - 1) % kSlotCount;
    if (!bodies[nextSlot])
        return;
    world->DestroyBody(bodies[nextSlot]);
    bodies[nextSlot] = nullptr;
    bodyCount = std::max(bodyCount - 1, 0);
}

void PhysicsState::leave() {}

void PhysicsState::activate() {}

void PhysicsState::deactivate() {}

void PhysicsState::update()
{
    if (engine->wasKeyPressed(SDLK_ESCAPE) || engine->wasKeyPressed(SDLK_F5)) {
        engine->popState();
        engine->startTransition(new CubeTransition(engine, 0.75f));
        return;
    }
    if (engine->isKeyDown(SDLK_F6))
        spawnBody(16.0f, 1.0f);
    if (engine->isKeyDown(SDLK_F7))
        removeLastBody();

    float speed = 0.0f;
    if (engine->isKeyDown(SDLK_a))
        speed = -kMotorSpeed;
    if (engine->isKeyDown(SDLK_d))
        speed = kMotorSpeed;
    motorJoint->SetMotorSpeed(speed);

    world->Step(engine->getFrameTime(), kIterations, kIterations);
}

void PhysicsState::render()
{
    clearViewport(RGBA(0.5f, 0.5f, 1.0f, 0.0f));
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0.0, 32.0, 24.0, 0.0, 0.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    setTexturing(false);
    glDisable(GL_BLEND);
    glDisable(GL_ALPHA_TEST);

    glColor3f(0.0f, 1.0f, 0.0f);
    drawBody(carBody);
    glColor3f(0.0f, 0.0f, 1.0f);
    drawBody(wheel1);
    drawBody(wheel2);

    for (int i = 0; i < kSlotCount; ++i) {
        if (!bodies[i])
            continue;
        float slot = float(i);
        glColor3f(std::min(slot, kColourStep) / kColourStep,
                  std::clamp(slot - kColourStep, 0.0f, kColourStep) / kColourStep,
                  std::clamp(slot - 2.0f * kColourStep, 0.0f, kColourStep) / kColourStep);
        drawBody(bodies[i]);
    }

    font->draw(Vec2f(0.0f, 0.0f), 1.0f, RGBA(1.0f, 1.0f, 0.0f, 1.0f),
               "Willkommen im Physics-State!\nVerlassen mit ESC oder F5!");
    char counter[96];
    std::snprintf(counter, sizeof counter, "Boxen: %d / %d\nF6 f\xFCr neue Bodies\nF7 zum l\xF6schen!", bodyCount,
                  kSlotCount);
    font->draw(Vec2f(24.0f, 0.0f), 1.0f, RGBA(1.0f, 0.0f, 0.0f, 1.0f), counter);
}
