#include "world/Physics.h"

#include <algorithm>
#include <cmath>
#include <unordered_set>

// Box2D only says when a contact starts and ends; the level wants every point
// on every step. This remembers which contacts started in the current step so
// their points can be reported as new ones.
class PhysicsWorld::BeginTracker : public b2ContactListener {
public:
    void BeginContact(b2Contact* contact) override { begun.insert(contact); }
    void EndContact(b2Contact* contact) override { begun.erase(contact); }
    bool isNew(b2Contact* contact) const { return begun.count(contact) != 0; }
    void clear() { begun.clear(); }

private:
    std::unordered_set<b2Contact*> begun;
};

PhysicsWorld::PhysicsWorld(const b2Vec2& gravity)
    : world(gravity), tracker(new BeginTracker)
{
    world.SetAllowSleeping(true);
    world.SetContactListener(tracker.get());
}

PhysicsWorld::~PhysicsWorld()
{
    // The world ends contacts as it dies; the tracker must not hear about them any more.
    world.SetContactListener(nullptr);
}

void PhysicsWorld::step(float dt, int iterations)
{
    stepping = true;
    world.Step(dt, iterations, iterations);
    reportContacts();
    tracker->clear();
    stepping = false;
}

namespace {

// Sensors get no manifold from Box2D; the shapes are collided here so that a
// sensor contact still has a sensible point and normal.
bool collideSensor(b2Contact* contact, b2WorldManifold& worldManifold)
{
    const b2Fixture* a = contact->GetFixtureA();
    const b2Fixture* b = contact->GetFixtureB();
    const b2Transform& xfA = a->GetBody()->GetTransform();
    const b2Transform& xfB = b->GetBody()->GetTransform();
    const b2Shape* shapeA = a->GetShape();
    const b2Shape* shapeB = b->GetShape();
    b2Manifold manifold;
    manifold.pointCount = 0;
    if (shapeA->GetType() == b2Shape::e_circle && shapeB->GetType() == b2Shape::e_circle)
        b2CollideCircles(&manifold, static_cast<const b2CircleShape*>(shapeA), xfA,
                         static_cast<const b2CircleShape*>(shapeB), xfB);
    else if (shapeA->GetType() == b2Shape::e_polygon && shapeB->GetType() == b2Shape::e_circle)
        b2CollidePolygonAndCircle(&manifold, static_cast<const b2PolygonShape*>(shapeA), xfA,
                                  static_cast<const b2CircleShape*>(shapeB), xfB);
    else if (shapeA->GetType() == b2Shape::e_polygon && shapeB->GetType() == b2Shape::e_polygon)
        b2CollidePolygons(&manifold, static_cast<const b2PolygonShape*>(shapeA), xfA,
                          static_cast<const b2PolygonShape*>(shapeB), xfB);
    if (manifold.pointCount == 0)
        return false;
    worldManifold.Initialize(&manifold, xfA, shapeA->m_radius, xfB, shapeB->m_radius);
    return true;
}

ContactPoint makePoint(b2Contact* contact, const b2Vec2& position, const b2Vec2& normal, float separation)
{
    ContactPoint point;
    point.shape1 = contact->GetFixtureA();
    point.shape2 = contact->GetFixtureB();
    point.position = position;
    point.velocity = point.shape2->GetBody()->GetLinearVelocityFromWorldPoint(position)
                     - point.shape1->GetBody()->GetLinearVelocityFromWorldPoint(position);
    point.normal = normal;
    point.separation = separation;
    point.friction = contact->GetFriction();
    point.restitution = contact->GetRestitution();
    return point;
}

ContactPoint sensorPoint(b2Contact* contact)
{
    b2WorldManifold wm;
    if (collideSensor(contact, wm))
        return makePoint(contact, wm.points[0], wm.normal, wm.separations[0]);
    // Shapes the collision routines above do not cover: the line between the bodies' centres.
    b2Vec2 ca = contact->GetFixtureA()->GetBody()->GetWorldCenter();
    b2Vec2 cb = contact->GetFixtureB()->GetBody()->GetWorldCenter();
    b2Vec2 n = cb - ca;
    if (n.Normalize() < b2_epsilon)
        n.Set(0.0f, 1.0f);
    return makePoint(contact, 0.5f * (ca + cb), n, 0.0f);
}

} // namespace

void PhysicsWorld::reportContacts()
{
    if (!contactListener)
        return;
    for (b2Contact* contact = world.GetContactList(); contact; contact = contact->GetNext()) {
        if (!contact->IsTouching() || !contact->IsEnabled())
            continue;
        // A resting body still touches what it rests on: only a pair of two
        // sleeping moving bodies has nothing new to say. Static bodies never
        // count as asleep, so a vehicle parked in the king area keeps scoring.
        auto asleep = [](const b2Body* body) { return body->GetType() != b2_staticBody && !body->IsAwake(); };
        if (asleep(contact->GetFixtureA()->GetBody()) && asleep(contact->GetFixtureB()->GetBody()))
            continue;
        bool isNew = tracker->isNew(contact);
        auto deliver = [&](const ContactPoint& point) {
            if (isNew)
                contactListener->Add(&point);
            else
                contactListener->Persist(&point);
        };
        if (contact->GetFixtureA()->IsSensor() || contact->GetFixtureB()->IsSensor()) {
            deliver(sensorPoint(contact));
            continue;
        }
        b2WorldManifold wm;
        contact->GetWorldManifold(&wm);
        int count = contact->GetManifold()->pointCount;
        for (int i = 0; i < count; ++i)
            deliver(makePoint(contact, wm.points[i], wm.normal, wm.separations[i]));
    }
}

namespace physics {

Object* owner(const b2Body* body)
{
    return reinterpret_cast<Object*>(const_cast<b2Body*>(body)->GetUserData().pointer);
}

Object* owner(const b2Joint* joint)
{
    return reinterpret_cast<Object*>(const_cast<b2Joint*>(joint)->GetUserData().pointer);
}

void setOwner(b2Body* body, Object* object)
{
    body->GetUserData().pointer = reinterpret_cast<uintptr_t>(object);
}

void setOwner(b2Joint* joint, Object* object)
{
    joint->GetUserData().pointer = reinterpret_cast<uintptr_t>(object);
}

namespace {

// Changing the type drops the body's contacts, so only do it when it changes.
void setType(b2Body* body, b2BodyType type)
{
    if (body->GetType() != type)
        body->SetType(type);
}

// Box2D adds ω×Δc to the linear velocity when a body's centre of mass moves;
// the vehicle moves its centre with the rider's lean every step, and doing so
// must not push it (in the air it would bend the flight path).
template <typename Change>
void keepingVelocity(b2Body* body, Change change)
{
    const b2Vec2 velocity = body->GetLinearVelocity();
    change();
    if (body->GetType() == b2_dynamicBody)
        body->SetLinearVelocity(velocity);
}

} // namespace

void setMassFromShapes(b2Body* body)
{
    float mass = 0.0f;
    for (b2Fixture* f = body->GetFixtureList(); f; f = f->GetNext()) {
        if (f->GetDensity() <= 0.0f)
            continue;
        b2MassData md;
        f->GetShape()->ComputeMass(&md, f->GetDensity());
        mass += md.mass;
    }
    if (mass > 0.0f) {
        keepingVelocity(body, [body] {
            setType(body, b2_dynamicBody);
            body->ResetMassData();
        });
    } else {
        setType(body, b2_staticBody);
    }
}

void setMassData(b2Body* body, float mass, const b2Vec2& center, float inertia)
{
    if (!(mass > 0.0f)) {
        setType(body, b2_staticBody);
        return;
    }
    b2MassData md;
    md.mass = mass;
    md.center = center;
    // Box2D takes the inertia about the body origin and subtracts m·|c|² again;
    // zero means "does not rotate" and must stay zero.
    md.I = inertia > 0.0f ? inertia + mass * b2Dot(center, center) : 0.0f;
    keepingVelocity(body, [body, &md] {
        setType(body, b2_dynamicBody);
        body->SetMassData(&md);
    });
}

uint16_t collisionBits(int layerIndex)
{
    return uint16_t(1u << (unsigned(layerIndex) % 32u));
}

void setCollisionBits(b2Body* body, uint16_t bits)
{
    for (b2Fixture* f = body->GetFixtureList(); f; f = f->GetNext()) {
        b2Filter filter = f->GetFilterData();
        filter.categoryBits = bits;
        filter.maskBits = bits;
        f->SetFilterData(filter);
    }
}

namespace {

float cross(const b2Vec2& o, const b2Vec2& a, const b2Vec2& b)
{
    return b2Cross(a - o, b - o);
}

// A fan of triangles from the first point, summed as Box2D sums it when it
// checks a polygon's area: products of differences stay small and exact enough
// for points far from the origin, where products of the coordinates themselves
// would cancel out or overflow to infinity.
float signedArea(const std::vector<b2Vec2>& points)
{
    float area = 0.0f;
    for (size_t i = 1; i + 1 < points.size(); ++i)
        area += 0.5f * b2Cross(points[i] - points[0], points[i + 1] - points[0]);
    return area;
}

// Beyond this the products of coordinate differences could overflow a float.
constexpr float kMaxCoordinate = 1e9f;

// The same gift wrapping Box2D uses when it builds a polygon, so that what
// passes here is what Box2D will accept.
std::vector<b2Vec2> convexHull(const std::vector<b2Vec2>& points)
{
    size_t first = 0;
    for (size_t i = 1; i < points.size(); ++i) {
        if (points[i].x > points[first].x || (points[i].x == points[first].x && points[i].y < points[first].y))
            first = i;
    }
    std::vector<b2Vec2> hull;
    size_t current = first;
    do {
        hull.push_back(points[current]);
        if (hull.size() > points.size())
            return {};
        size_t next = 0;
        for (size_t j = 1; j < points.size(); ++j) {
            if (next == current) {
                next = j;
                continue;
            }
            float c = cross(points[current], points[next], points[j]);
            b2Vec2 r = points[next] - points[current];
            b2Vec2 e = points[j] - points[current];
            if (c < 0.0f || (c == 0.0f && e.LengthSquared() > r.LengthSquared()))
                next = j;
        }
        current = next;
    } while (current != first);
    return hull;
}

} // namespace

std::string checkPolygon(const std::vector<b2Vec2>& vertices)
{
    if (vertices.size() < 3)
        return "a polygon needs at least 3 vertices";
    if (vertices.size() > size_t(b2_maxPolygonVertices))
        return "a polygon may have at most " + std::to_string(b2_maxPolygonVertices) + " vertices";
    std::vector<b2Vec2> distinct;
    for (const b2Vec2& v : vertices) {
        if (!std::isfinite(v.x) || !std::isfinite(v.y))
            return "a vertex is not a finite number";
        if (std::fabs(v.x) > kMaxCoordinate || std::fabs(v.y) > kMaxCoordinate)
            return "a vertex lies further out than 1e9";
        bool close = std::any_of(distinct.begin(), distinct.end(), [&](const b2Vec2& d) {
            return b2DistanceSquared(v, d) < (0.5f * b2_linearSlop) * (0.5f * b2_linearSlop);
        });
        if (!close)
            distinct.push_back(v);
    }
    std::vector<b2Vec2> hull = distinct.size() >= 3 ? convexHull(distinct) : std::vector<b2Vec2>();
    if (hull.size() < 3)
        return "the polygon is degenerate (its vertices coincide or lie on one line)";
    float hullArea = std::fabs(signedArea(hull));
    if (hullArea <= 16.0f * b2_epsilon)
        return "the polygon is degenerate (it has no area)";
    if (std::fabs(signedArea(distinct)) < hullArea * (1.0f - 1e-4f))
        return "the polygon is not convex";
    return "";
}

b2Fixture* createPolygon(b2Body* body, const PolygonDef& def)
{
    if (!checkPolygon(def.vertices).empty())
        return nullptr;
    b2PolygonShape shape;
    shape.Set(def.vertices.data(), int32(def.vertices.size()));
    b2FixtureDef fd;
    fd.shape = &shape;
    fd.friction = def.friction;
    fd.restitution = def.restitution;
    fd.density = def.density;
    fd.isSensor = def.isSensor;
    fd.filter = def.filter;
    return body->CreateFixture(&fd);
}

} // namespace physics
