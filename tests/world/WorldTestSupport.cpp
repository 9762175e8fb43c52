#include "WorldTestSupport.h"

#include "support/TestEngine.h"
#include "world/Layer.h"
#include "world/ObjectFactory.h"
#include "world/Physics.h"

#include <gtest/gtest.h>
#include <tinyxml.h>

#include <algorithm>
#include <cstdlib>

std::unique_ptr<Level> makeLevel(const std::string& xml, const ParameterMap* params)
{
    registerProbeTypes();
    TiXmlDocument document;
    document.Parse(xml.c_str());
    const TiXmlElement* root = document.FirstChildElement("Level");
    if (!root) {
        ADD_FAILURE() << "test XML without a Level element: " << document.ErrorDesc();
        return nullptr;
    }
    static const ParameterMap noParams;
    return std::make_unique<Level>(&testEngine(), root, params ? params : &noParams, "test.xml");
}

ProbeObject::ProbeObject(Layer* layer, const TiXmlElement* element, const ParameterMap* params)
    : Object(layer, element, params)
{
    auto flag = [&](const char* name) {
        int value = 0;
        element->QueryIntAttribute(name, &value);
        return value != 0;
    };
    killOnContact = flag("killOnContact");
    element->QueryFloatAttribute("cullRadius", &cullRadius);
    if (const char* box = element->Attribute("box")) {
        Vec2f half = fromString<Vec2f>(box, Vec2f(0.5f, 0.5f));
        b2BodyDef def;
        def.allowSleep = flag("allowSleep");
        b2Body* body = createBody(def);
        b2PolygonShape shape;
        shape.SetAsBox(half.x, half.y);
        b2FixtureDef fixture;
        fixture.shape = &shape;
        element->QueryFloatAttribute("density", &fixture.density);
        fixture.isSensor = flag("sensor");
        body->CreateFixture(&fixture);
        physics::setMassFromShapes(body);
    }
    readPlacement(element);
}

ProbeObject::~ProbeObject()
{
    if (deletedFlag)
        *deletedFlag = true;
}

void ProbeObject::update()
{
    ++updates;
    if (onUpdate)
        onUpdate(*this);
}

void ProbeObject::render()
{
    ++renders;
    if (renderLog)
        renderLog->push_back(getId());
}

void ProbeObject::onContact(const ContactInfo& c)
{
    contacts.push_back({c.other, c.body, c.otherBody, c.shape, c.otherShape, c.normal});
    if (tryBodyInHandler)
        bodyFromHandler = createBody(b2BodyDef());
    if (killOnContact)
        kill();
}

ProbeObject* probe(Level& level, const std::string& id)
{
    auto* object = dynamic_cast<ProbeObject*>(level.findObject(id));
    EXPECT_NE(object, nullptr) << id;
    return object;
}

void updates(Level& level, int n)
{
    for (int i = 0; i < n; ++i)
        level.update();
}


void registerProbeTypes()
{
    ObjectFactory::registerType<ProbeObject>("ProbeObject");
}

void writeTestTileSet()
{
    writeScratchFile("tilesets/test.xml", R"X(<TileSet imageFilename="ground.png" defaultTileSize="(64, 64)"
        defaultShapeRestitution="0.25" defaultShapeFriction="0.5">
      <Tile id="1" position="(8, 8)"><Shapes><Simple1x1BoxShape/></Shapes></Tile>
      <Tile id="2" position="(88, 8)" size="(32, 16)">
        <Shapes><PolygonShape vertices="(0, 0),(1, 0),(1, 1)" friction="0.9"/></Shapes></Tile>
      <Tile id="3" position="(168, 8)" visible="0"><Shapes><Simple1x1BoxShape restitution="0.75"/></Shapes></Tile>
      <Tile id="4" position="(248, 8)">
        <Shapes><Simple1x1BoxShape/><PolygonShape vertices="(0, 0),(1, 0),(0.5, -1)"/></Shapes></Tile>
      <Tile id="5" position="(328, 8)">
        <Shapes><PolygonShape vertices="(0, 0),(1, 0),(1, 1),(0, 1)"/></Shapes></Tile>
    </TileSet>)X");
}

std::vector<b2Fixture*> groundFixtures(Level& level)
{
    std::vector<b2Fixture*> fixtures;
    for (b2Fixture* f = level.getGroundBody()->GetFixtureList(); f; f = f->GetNext())
        fixtures.push_back(f);
    // Box2D keeps the newest fixture first.
    std::reverse(fixtures.begin(), fixtures.end());
    return fixtures;
}

std::pair<b2Vec2, b2Vec2> polygonBounds(const b2Fixture* fixture)
{
    auto* polygon = static_cast<const b2PolygonShape*>(fixture->GetShape());
    b2Vec2 lo = polygon->m_vertices[0];
    b2Vec2 hi = lo;
    for (int i = 1; i < polygon->m_count; ++i) {
        lo = b2Min(lo, polygon->m_vertices[i]);
        hi = b2Max(hi, polygon->m_vertices[i]);
    }
    return {lo, hi};
}
