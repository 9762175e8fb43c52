#pragma once

#include "engine/Drawing.h"
#include "engine/ParameterMap.h"
#include "resources/Texture.h"

#include <box2d/box2d.h>
#include <tinyxml.h>

#include <sstream>
#include <string>

// Small pieces that several level objects share: their fixtures, the blending
// every sprite is drawn with, and reading optional attributes.
namespace objectkit {

/// What a fixture is made of; the defaults are those of a fresh Box2D fixture.
struct Material {
    float density = 0.0f;
    float friction = 0.2f;
    float restitution = 0.0f;
    bool isSensor = false;
    int16 group = 0;
};

/// A box of half-extents (`halfWidth`, `halfHeight`) centred on `center` (body coordinates).
inline b2Fixture* addBox(b2Body* body, float halfWidth, float halfHeight, const Material& material,
                         const b2Vec2& center = b2Vec2(0.0f, 0.0f))
{
    b2PolygonShape shape;
    shape.SetAsBox(halfWidth, halfHeight, center, 0.0f);
    b2FixtureDef def;
    def.shape = &shape;
    def.density = material.density;
    def.friction = material.friction;
    def.restitution = material.restitution;
    def.isSensor = material.isSensor;
    def.filter.groupIndex = material.group;
    return body->CreateFixture(&def);
}

/// A circle of `radius` centred on the body origin.
inline b2Fixture* addCircle(b2Body* body, float radius, const Material& material)
{
    b2CircleShape shape;
    shape.m_radius = radius;
    b2FixtureDef def;
    def.shape = &shape;
    def.density = material.density;
    def.friction = material.friction;
    def.restitution = material.restitution;
    def.isSensor = material.isSensor;
    def.filter.groupIndex = material.group;
    return body->CreateFixture(&def);
}

/// Alpha blending with fully transparent texels dropped, texturing on and `texture` bound
/// with its pixel matrix: how every sprite of a level object is drawn.
inline void bindSprite(const Texture& texture)
{
    setBlendMode(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    setTexturing(true);
    texture.bind();
}

/// The text of attribute `name`, or null.
inline const char* attribute(const TiXmlElement* element, const char* name)
{
    return element ? element->Attribute(name) : nullptr;
}

/// Reads `text` in the string form of T into `value`; false (and `value` untouched) when it does not parse.
template <typename T>
bool parse(const std::string& text, T& value)
{
    std::istringstream in(text);
    T parsed = value;
    in >> parsed;
    if (in.fail())
        return false;
    value = parsed;
    return true;
}

/// "ElementName "id"" for messages about a broken element.
inline std::string describe(const TiXmlElement* element, const std::string& id)
{
    return (element ? element->ValueStr() : std::string("object")) + " \"" + id + "\"";
}

} // namespace objectkit
