#pragma once

#include "resources/Handle.h"
#include "resources/Texture.h"
#include "world/Object.h"

/// A small animated ball for trying out physics and layers: the keys A, D, W
/// and S push it, 1 and 2 send it to the layers "3" and "4".
class DummyObject : public Object {
public:
    DummyObject(Layer* layer, const TiXmlElement* element, const ParameterMap* gameParams);

    void update() override;
    void render() override;

    /// The animation frame shown now, 0 to 3.
    int getFrame() const;

private:
    Handle<Texture> texture;
    float animationTime = 0.0f;
};
