#include "world/Level.h"

#include "engine/Drawing.h"
#include "engine/Engine.h"
#include "world/ImageLayer.h"
#include "world/Layer.h"
#include "world/Object.h"
#include "world/TileMapLayer.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <tinyxml.h>

#include <algorithm>
#include <cstdio>

namespace {

Vec2f readGravity(const TiXmlElement* element)
{
    const char* text = element->Attribute("gravity");
    return text ? fromString<Vec2f>(text, Vec2f()) : Vec2f();
}

} // namespace

Level::Level(Engine* engine, const TiXmlElement* element, const ParameterMap* gameParams,
             const std::string& sourceName)
    : engine(engine), gameParams(gameParams), sourceName(sourceName), gravity(readGravity(element)),
      physics(b2Vec2(gravity.x, gravity.y))
{
    if (const char* text = element->Attribute("size"))
        size = fromString<Vec2i>(text, size);
    if (const char* text = element->Attribute("backgroundColor")) {
        backgroundColor = fromString<RGBA>(text, backgroundColor);
        hasBackgroundColor = true;
    }
    b2BodyDef groundDef;
    groundBody = physics.get()->CreateBody(&groundDef);
    physics.setContactListener(this);
    if (const char* text = element->Attribute("musicFilename"))
        musicFilename = text;
    loadLayers(element->FirstChildElement("Layers"));
    cameraPosition = Vec2f(float(size.x) * 0.5f, float(size.y) * 0.5f);
}

Level* Level::load(Engine* engine, const std::string& filename, const ParameterMap* gameParams)
{
    std::string path = engine->findFile(filename);
    if (path.empty()) {
        std::fprintf(stderr, "zorbel: %s: not found in any data directory\n", filename.c_str());
        return nullptr;
    }
    TiXmlDocument document;
    if (!document.LoadFile(path)) {
        std::fprintf(stderr, "zorbel: %s: cannot be read: %s (line %d)\n", path.c_str(), document.ErrorDesc(),
                     document.ErrorRow());
        return nullptr;
    }
    const TiXmlElement* root = document.FirstChildElement("Level");
    if (!root) {
        std::fprintf(stderr, "zorbel: %s: has no \"Level\" element\n", path.c_str());
        return nullptr;
    }
    return new Level(engine, root, gameParams, filename);
}

Level::~Level()
{
    for (Layer* layer : layers)
        delete layer;
    layers.clear();
    physics.setContactListener(nullptr);
}

void Level::loadLayers(const TiXmlElement* layersElement)
{
    int index = 0;
    for (const TiXmlElement* child = layersElement ? layersElement->FirstChildElement() : nullptr; child;
         child = child->NextSiblingElement(), ++index) {
        Layer* layer = nullptr;
        if (child->ValueStr() == "ImageLayer")
            layer = new ImageLayer(this, index, child, gameParams);
        else if (child->ValueStr() == "TileMapLayer")
            layer = new TileMapLayer(this, index, child, gameParams);
        else
            report(child->ValueStr(), "unknown layer kind; skipped");
        if (layer && !layer->isUsable()) {
            delete layer;
            layer = nullptr;
        }
        if (!layer)
            continue;
        // The bits stay as they always were, so that levels play as they did; but
        // a layer without bits of its own must not go unnoticed.
        if (index >= 16) {
            uint16_t bits = physics::collisionBits(index);
            report(child->ValueStr() + " \"" + layer->getId() + "\"",
                   "layer element " + std::to_string(index) + " (counted from 0) "
                       + (bits == 0 ? std::string("collides with nothing")
                                    : "collides like layer element " + std::to_string(index % 32))
                       + ": only the first 16 layers have collision bits");
        }
        addLayer(layer);
    }
}

void Level::update()
{
    // Objects join and leave layers only when the whole step is over: one moved on
    // to a later layer would otherwise update twice, and one deleted while the
    // world reports contacts would be used after its deletion.
    updating = true;
    for (Layer* layer : layers)
        layer->update();
    physics.step(engine->getFrameTime());
    updating = false;
    for (Layer* layer : layers)
        layer->applyPendingChanges();
}

void Level::render(Object* drawLast)
{
    if (hasBackgroundColor)
        clearViewport(backgroundColor);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    gluPerspective(90.0, engine->getAspectRatio(), 0.001, 1000.0);
    clampCamera();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    gluLookAt(cameraPosition.x, cameraPosition.y, -zoom, cameraPosition.x, cameraPosition.y, 0.0, 0.0, -1.0, 0.0);
    opaqueRects.clear();
    rectsInFront.clear();
    for (Layer* layer : layers) {
        if (layer->isVisible())
            layer->addOpaqueRects(opaqueRects);
        rectsInFront.push_back(opaqueRects.size());
    }
    coverageBuilt = kNone;
    size_t index = 0;
    for (Layer* layer : layers) {
        coverageWanted = rectsInFront[index++];
        if (layer->isVisible())
            layer->render(drawLast);
    }
    coverageWanted = kNone;
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
}

const ScreenCoverage* Level::getCoverageInFront()
{
    if (coverageWanted >= opaqueRects.size())
        return nullptr;
    if (coverageBuilt != coverageWanted) {
        GLint viewport[4];
        glGetIntegerv(GL_VIEWPORT, viewport);
        coverage.reset(viewport);
        for (size_t i = coverageWanted; i < opaqueRects.size(); ++i)
            coverage.addOpaque(opaqueRects[i]);
        coverageBuilt = coverageWanted;
    }
    return &coverage;
}

void Level::clampCamera()
{
    float aspect = engine->getAspectRatio();
    float width = float(size.x);
    float height = float(size.y);
    if (!layers.empty()) {
        zoom = std::max(zoom, 1.0f - layers.back()->getZ());
        zoom = std::min(zoom, height * 0.5f);
        zoom = std::min(zoom, width * 0.5f / aspect);
    }
    cameraPosition.x = std::min(std::max(cameraPosition.x, aspect * zoom), width - aspect * zoom);
    cameraPosition.y = std::min(std::max(cameraPosition.y, zoom), height - zoom);
}

void Level::setZoom(float z)
{
    zoom = z;
    clampCamera();
}

Object* Level::findObject(const std::string& id) const
{
    for (Layer* layer : layers) {
        if (Object* object = layer->findObject(id))
            return object;
    }
    return nullptr;
}

Layer* Level::findLayer(const std::string& id) const
{
    auto it = std::find_if(layers.begin(), layers.end(), [&](Layer* layer) { return layer->getId() == id; });
    return it == layers.end() ? nullptr : *it;
}

Object* Level::findPlayerObject(int playerNo) const
{
    if (playerNo == 0)
        return findObject("player1");
    if (playerNo == 1)
        return findObject("player2");
    return nullptr;
}

void Level::addLayer(Layer* layer)
{
    layers.push_back(layer);
    layer->initPhysics(groundBody);
}

void Level::report(const std::string& element, const std::string& what) const
{
    std::fprintf(stderr, "zorbel: %s: %s: %s\n", sourceName.c_str(), element.c_str(), what.c_str());
}

void Level::Add(const ContactPoint* point)
{
    Persist(point);
}

void Level::Persist(const ContactPoint* point)
{
    b2Fixture* shape1 = point->shape1;
    b2Fixture* shape2 = point->shape2;
    b2Body* body1 = shape1->GetBody();
    b2Body* body2 = shape2->GetBody();
    Object* object1 = physics::owner(body1);
    Object* object2 = physics::owner(body2);
    if (object1 && object1->isActive())
        object1->onContact(ContactInfo{object2, body1, body2, shape1, shape2, point->normal, point});
    if (object2 && object2->isActive())
        object2->onContact(ContactInfo{object1, body2, body1, shape2, shape1, -point->normal, point});
}
