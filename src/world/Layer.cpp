#include "world/Layer.h"

#include "engine/Engine.h"
#include "world/Level.h"
#include "world/Object.h"
#include "world/ObjectFactory.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <tinyxml.h>

#include <algorithm>
#include <cmath>

Layer::Layer(Level* level, int index, const TiXmlElement* element, const ParameterMap* gameParams)
    : level(level), engine(level->getEngine()), index(index)
{
    const char* text = element->Attribute("id");
    id = text ? text : nextGeneratedId();
    double depth = 0.0;
    if (element->QueryDoubleAttribute("z", &depth) == TIXML_SUCCESS)
        z = float(depth);
    if (const char* c = element->Attribute("color"))
        color = fromString<RGBA>(c, color);
    element->QueryIntAttribute("blendMode", &blendMode);
    int shown = 1;
    element->QueryIntAttribute("visible", &shown);
    visible = shown != 0;

    const TiXmlElement* list = element->FirstChildElement("Objects");
    for (const TiXmlElement* child = list ? list->FirstChildElement() : nullptr; child;
         child = child->NextSiblingElement()) {
        Object* object = ObjectFactory::create(child->ValueStr(), this, child, gameParams);
        if (!object) {
            level->report(child->ValueStr(), "unknown object type in layer \"" + id + "\"; skipped");
            continue;
        }
        if (object->isActive())
            addObject(object);
        else
            delete object;
    }
}

Layer::~Layer()
{
    for (auto& entry : objects)
        delete entry.second;
}

std::string Layer::nextGeneratedId()
{
    static int counter = 0;
    return "Layer#" + std::to_string(++counter);
}

void Layer::addObject(Object* object)
{
    if (updating || level->isUpdating())
        pendingAdd.push_back(object);
    else
        storeObject(object);
}

void Layer::removeObject(Object* object, bool deleteIt)
{
    if (!updating && !level->isUpdating()) {
        takeOutObject(object, deleteIt);
        return;
    }
    // An object may be queued twice in one update (killed and removed by someone else);
    // it must still leave, and be deleted, only once.
    for (auto& entry : pendingRemove) {
        if (entry.first == object) {
            entry.second = entry.second || deleteIt;
            return;
        }
    }
    pendingRemove.emplace_back(object, deleteIt);
}

void Layer::removeAndDeleteObject(Object* object)
{
    removeObject(object, true);
}

Object* Layer::findObject(const std::string& objectId) const
{
    auto it = objects.find(objectId);
    return it == objects.end() ? nullptr : it->second;
}

void Layer::storeObject(Object* object)
{
    auto it = objects.find(object->getId());
    if (it != objects.end() && it->second != object) {
        Object* replaced = it->second;
        objects.erase(it);
        // One already queued to leave goes by its queue, which deletes it if it is to be deleted.
        bool leaving = std::any_of(pendingRemove.begin(), pendingRemove.end(),
                                   [&](const std::pair<Object*, bool>& entry) { return entry.first == replaced; });
        if (!leaving) {
            // Left in the world, the replaced object's bodies would go on colliding unseen.
            level->report(object->getId(), "two objects with this id in layer \"" + id + "\"; the earlier one is deleted");
            replaced->onRemoved();
            delete replaced;
        }
    }
    objects[object->getId()] = object;
    object->onAdded();
}

void Layer::takeOutObject(Object* object, bool deleteIt)
{
    auto it = objects.find(object->getId());
    if (it != objects.end() && it->second == object)
        objects.erase(it);
    object->onRemoved();
    if (deleteIt)
        delete object;
}

void Layer::updateObjects()
{
    updating = true;
    for (auto& entry : objects) {
        Object* object = entry.second;
        if (object->isActive())
            object->update();
        else
            removeAndDeleteObject(object);
    }
    updating = false;
    applyPendingChanges();
}

void Layer::applyPendingChanges()
{
    std::list<Object*> added;
    added.swap(pendingAdd);
    for (Object* object : added)
        storeObject(object);
    std::list<std::pair<Object*, bool>> removed;
    removed.swap(pendingRemove);
    for (auto& entry : removed)
        takeOutObject(entry.first, entry.second);
}

void Layer::renderObjects(Object* drawLast)
{
    const GlMatrices gl = GlMatrices::current();
    const double* modelView = gl.modelView;
    const double* projection = gl.projection;
    const int* viewport = gl.viewport;
    GLdouble x0, y0, z0, x1, y1, z1;
    gluProject(0, 0, 0, modelView, projection, viewport, &x0, &y0, &z0);
    gluProject(1, 1, 0, modelView, projection, viewport, &x1, &y1, &z1);
    double pixelsX = std::fabs(x1 - x0);
    double pixelsY = std::fabs(y1 - y0);

    bool drawLastHere = false;
    for (auto& entry : objects) {
        Object* object = entry.second;
        if (object == drawLast) {
            drawLastHere = true;
            continue;
        }
        float radius = object->getCullRadius();
        if (radius != 0.0f) {
            Vec2f p = object->getPosition();
            GLdouble wx, wy, wz;
            gluProject(p.x, p.y, 0, modelView, projection, viewport, &wx, &wy, &wz);
            double halfWidth = radius * pixelsX;
            double halfHeight = radius * pixelsY;
            bool overlaps = wx + halfWidth > viewport[0] && wx - halfWidth < viewport[0] + viewport[2]
                            && wy + halfHeight > viewport[1] && wy - halfHeight < viewport[1] + viewport[3];
            if (!overlaps)
                continue;
        }
        object->render();
    }
    if (drawLastHere && drawLast)
        drawLast->render();
}

void Layer::applyBlendMode() const
{
    switch (blendMode) {
    case 0:
        glDisable(GL_BLEND);
        glDisable(GL_ALPHA_TEST);
        break;
    case 1:
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glEnable(GL_ALPHA_TEST);
        glAlphaFunc(GL_GREATER, 0.0f);
        break;
    case 2:
        glEnable(GL_BLEND);
        glBlendFunc(GL_ONE, GL_ONE);
        glDisable(GL_ALPHA_TEST);
        break;
    case 3:
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE);
        glEnable(GL_ALPHA_TEST);
        glAlphaFunc(GL_GREATER, 0.0f);
        break;
    case 4:
        glEnable(GL_BLEND);
        glBlendFunc(GL_DST_COLOR, GL_ZERO);
        glDisable(GL_ALPHA_TEST);
        break;
    default:
        break;
    }
}

void Layer::applyDepthTransform() const
{
    Vec2i size = level->getSize();
    float halfW = float(size.x) * 0.5f;
    float halfH = float(size.y) * 0.5f;
    float aspect = engine->getAspectRatio();
    // A level without a size has no centre to scale about; leave such layers unscaled
    // rather than fill the matrix with infinities.
    float sx = halfW > 0.0f ? 1.0f + z * aspect / halfW : 1.0f;
    float sy = halfH > 0.0f ? 1.0f + z / halfH : 1.0f;
    glTranslatef(halfW, halfH, z);
    glScalef(sx, sy, 1.0f);
    glTranslatef(-halfW, -halfH, 0.0f);
}
