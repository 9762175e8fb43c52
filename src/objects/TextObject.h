#pragma once

#include "engine/RGBA.h"
#include "engine/Vec2.h"
#include "resources/Font.h"
#include "resources/Handle.h"
#include "world/Object.h"

#include <string>

/// A line of text in a layer: it may drift, end after a lifetime and grow to
/// three times its size while it fades out. Levels place them; the vehicle
/// makes them at run time for points and for its death.
class TextObject : public Object {
public:
    /// Reads "text" (required: without it the object is reported and not created), "size",
    /// "color", "velocity", "timeToLive" (0: forever) and "fadeOut" (0: no fading).
    TextObject(Layer* layer, const TiXmlElement* element, const ParameterMap* gameParams);

    void update() override;
    void render() override;

    const std::string& getText() const { return text; }
    float getSize() const { return size; }
    const RGBA& getColor() const { return color; }
    const Vec2f& getVelocity() const { return velocity; }
    float getTimeToLive() const { return timeToLive; }
    /// Seconds since creation.
    float getElapsed() const;
    /// The height the text is drawn at now.
    float getDrawHeight() const;
    /// The colour the text is drawn in now.
    RGBA getDrawColor() const;

private:
    /// How far through its fade the text is: 0 at creation, 1 at its end; 0 when it never fades.
    float fadeProgress() const;

    Handle<Font> font;
    std::string text;
    float size = 1.0f;
    RGBA color{1.0f, 1.0f, 1.0f, 1.0f};
    Vec2f velocity;
    float timeToLive = 0.0f;
    int steps = 0; ///< steps since creation
    bool fadeOut = true;
};
