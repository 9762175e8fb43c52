#include "world/ImageLayer.h"

#include "engine/Drawing.h"
#include "engine/Engine.h"
#include "resources/TextureManager.h"
#include "world/Level.h"

#include <GL/gl.h>
#include <tinyxml.h>

ImageLayer::ImageLayer(Level* level, int index, const TiXmlElement* element, const ParameterMap* gameParams)
    : Layer(level, index, element, gameParams)
{
    const char* image = element->Attribute("imageFilename");
    if (!image) {
        level->report("ImageLayer \"" + id + "\"", "has no \"imageFilename\"; layer skipped");
        usable = false;
        return;
    }
    texture = engine->getTextureManager()->get("sprites/" + std::string(image));
    if (!texture || !texture->isLoaded()) {
        level->report("ImageLayer \"" + id + "\"", "image \"sprites/" + std::string(image) + "\" cannot be loaded; layer skipped");
        usable = false;
        return;
    }
    if (const char* text = element->Attribute("imageOffset"))
        imageOffset = fromString<Vec2f>(text, imageOffset);
    if (const char* text = element->Attribute("tiling"))
        tiling = fromString<Vec2f>(text, tiling);
    if (const char* text = element->Attribute("movement"))
        movement = fromString<Vec2f>(text, movement);
}

void ImageLayer::update()
{
    updateObjects();
    scroll += movement * engine->getFrameTime();
}

void ImageLayer::render(Object* drawLast)
{
    setTexturing(true);
    texture->bind();
    applyBlendMode();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    applyDepthTransform();

    Vec2i size = level->getSize();
    float w = float(size.x);
    float h = float(size.y);
    float s0 = -imageOffset.x - scroll.x;
    float t0 = -imageOffset.y - scroll.y;
    float s1 = s0 + tiling.x * float(texture->getWidth());
    float t1 = t0 + tiling.y * float(texture->getHeight());
    glColor4f(color.r, color.g, color.b, color.a);
    glBegin(GL_QUADS);
    glTexCoord2f(s0, t0);
    glVertex2f(0.0f, 0.0f);
    glTexCoord2f(s1, t0);
    glVertex2f(w, 0.0f);
    glTexCoord2f(s1, t1);
    glVertex2f(w, h);
    glTexCoord2f(s0, t1);
    glVertex2f(0.0f, h);
    glEnd();

    renderObjects(drawLast);
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
}
