#include "objects/TextObject.h"

#include "engine/Engine.h"
#include "objects/ObjectKit.h"
#include "resources/FontManager.h"
#include "world/Level.h"

#include <GL/gl.h>
#include <tinyxml.h>

#include <algorithm>

namespace {

constexpr float kGrowth = 3.0f;

} // namespace

TextObject::TextObject(Layer* layer, const TiXmlElement* element, const ParameterMap* gameParams)
    : Object(layer, element, gameParams)
{
    const std::string what = objectkit::describe(element, id);
    const char* message = objectkit::attribute(element, "text");
    if (!message) {
        level->report(what, "no \"text\"; skipped");
        active = false;
        return;
    }
    text = message;
    double number = 0.0;
    if (element->QueryDoubleAttribute("size", &number) == TIXML_SUCCESS)
        size = float(number);
    if (const char* value = element->Attribute("color"); value && !objectkit::parse(value, color))
        level->report(what, "\"color\" \"" + std::string(value) + "\" is not a colour; white is kept");
    if (const char* value = element->Attribute("velocity"); value && !objectkit::parse(value, velocity))
        level->report(what, "\"velocity\" \"" + std::string(value) + "\" is not a vector; the text stands still");
    if (element->QueryDoubleAttribute("timeToLive", &number) == TIXML_SUCCESS)
        timeToLive = float(number);
    int fade = 1;
    if (element->QueryIntAttribute("fadeOut", &fade) == TIXML_SUCCESS)
        fadeOut = fade != 0;
    font = engine->getFontManager()->get("fonts/bellgothic.fnt");
    level->keepResource(font);
    const Vec2f extent = font->measure(size, text);
    cullRadius = std::max(extent.x, extent.y) * 0.5f;
    readPlacement(element);
}

void TextObject::update()
{
    ++steps;
    if (timeToLive > 0.0f && getElapsed() >= timeToLive)
        active = false;
    position += velocity * engine->getFrameTime();
}

float TextObject::getElapsed() const
{
    // Counted in steps: a running sum of frame times drifts and would let a
    // text outlive its lifetime by a step.
    return float(steps) * engine->getFrameTime();
}

float TextObject::fadeProgress() const
{
    return timeToLive > 0.0f && fadeOut ? getElapsed() / timeToLive : 0.0f;
}

float TextObject::getDrawHeight() const
{
    const float t = fadeProgress();
    return size * (1.0f - t) + size * kGrowth * t;
}

RGBA TextObject::getDrawColor() const
{
    RGBA c = color;
    c.a *= 1.0f - fadeProgress();
    return c;
}

void TextObject::render()
{
    // Upright texts are placed by the font itself, so they share draw calls;
    // only a turned text needs the matrix stack.
    if (angle == 0.0f) {
        font->drawCentered(position, getDrawHeight(), getDrawColor(), text);
        return;
    }
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glTranslatef(position.x, position.y, 0.0f);
    glRotatef(angle * 180.0f / 3.1415927f, 0.0f, 0.0f, 1.0f);
    font->drawCentered(Vec2f(0.0f, 0.0f), getDrawHeight(), getDrawColor(), text);
    glPopMatrix();
}
