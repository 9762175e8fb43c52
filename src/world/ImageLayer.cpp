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
    const WindowPlacement window = WindowPlacement::current();
    return [=](Vec2f from, Vec2f to) { return inFront->hides(window.place(from, to)); };
}

std::pair<Vec2f, Vec2f> ImageLayer::pictureCorners() const
{
    const Vec2f from(-imageOffset.x - scroll.x, -imageOffset.y - scroll.y);
    return {from, from + Vec2f(tiling.x * float(texture->getWidth()), tiling.y * float(texture->getHeight()))};
}

void ImageLayer::addOpaqueRects(std::vector<WindowRect>& rects) const
{
    if (quadBlend() != Texture::QuadBlend::AlphaOpaque)
        return;
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    applyDepthTransform();
    const auto [texFrom, texTo] = pictureCorners();
    const Vec2f size(float(level->getSize().x), float(level->getSize().y));
    const WindowPlacement window = WindowPlacement::current();
    for (const auto& [from, to] : texture->opaqueParts(texFrom, texTo, Vec2f(0.0f, 0.0f), size))
        rects.push_back(window.place(from, to));
    glPopMatrix();
}

void ImageLayer::render(Object* drawLast)
{
    setTexturing(true);
    texture->bind();
    applyBlendMode();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    applyDepthTransform();

    const auto [texFrom, texTo] = pictureCorners();
    const Vec2f size(float(level->getSize().x), float(level->getSize().y));
    glColor4f(color.r, color.g, color.b, color.a);
    texture->drawQuad(texFrom, texTo, Vec2f(0.0f, 0.0f), size, quadBlend(), hiddenByNearer());

    renderObjects(drawLast);
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
}
