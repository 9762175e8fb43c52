#include "world/ImageLayer.h"

#include "engine/Drawing.h"
#include "engine/Engine.h"
#include "resources/TextureManager.h"
#include "world/Level.h"

#include <GL/gl.h>
#include <GL/glu.h>
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
    ParameterMap withRegions;
    withRegions.set<bool>("findRegions", true);
    texture = engine->getTextureManager()->get("sprites/" + std::string(image), withRegions);
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

Texture::QuadBlend ImageLayer::quadBlend() const
{
    switch (getBlendMode()) {
    case 1:
        return color.a >= 1.0f ? Texture::QuadBlend::AlphaOpaque : Texture::QuadBlend::Alpha;
    case 2:
        return Texture::QuadBlend::Added;
    case 3:
        return Texture::QuadBlend::Alpha;
    default:
        return Texture::QuadBlend::Plain;
    }
}

Texture::Hidden ImageLayer::hiddenByNearer() const
{
    const ScreenCoverage* inFront = level->getCoverageInFront();
    if (!inFront)
        return {};
    GLdouble modelView[16];
    GLdouble projection[16];
    GLint viewport[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, modelView);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);
    GLdouble ox, oy, ux, uy, unused;
    gluProject(0, 0, 0, modelView, projection, viewport, &ox, &oy, &unused);
    gluProject(1, 1, 0, modelView, projection, viewport, &ux, &uy, &unused);
    // The layer lies in one plane facing the camera: window x and y are each linear in layer x and y.
    const float ax = float(ux - ox), ay = float(uy - oy), bx = float(ox), by = float(oy);
    return [=](Vec2f from, Vec2f to) {
        return inFront->hides({bx + ax * from.x, by + ay * from.y, bx + ax * to.x, by + ay * to.y});
    };
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
    texture->drawQuad(Vec2f(s0, t0), Vec2f(s1, t1), Vec2f(0.0f, 0.0f), Vec2f(w, h), quadBlend(), hiddenByNearer());

    renderObjects(drawLast);
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
}
