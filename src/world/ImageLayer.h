#pragma once

#include "engine/Vec2.h"
#include "resources/Handle.h"
#include "resources/Texture.h"
#include "world/Layer.h"

#include <utility>

/// One image stretched over the whole level, repeated `tiling` times, shifted by
/// an offset and scrolling at a constant speed (all in image pixels).
class ImageLayer : public Layer {
public:
    /// The common layer part (with its objects), then "imageFilename" (under "sprites/"),
    /// "imageOffset", "tiling" and "movement". A layer whose image cannot be loaded is not usable.
    ImageLayer(Level* level, int index, const TiXmlElement* element, const ParameterMap* gameParams);

    /// The objects, then the scrolling advances by one frame time.
    void update() override;
    void render(Object* drawLast) override;
    /// Image layers have no shapes.
    void initPhysics(b2Body*) override {}
    /// The picture's solid parts, when it is drawn over what lies under them (blend mode 1, full alpha).
    void addOpaqueRects(std::vector<WindowRect>& rects) const override;

    const Handle<Texture>& getTexture() const { return texture; }
    Vec2f getImageOffset() const { return imageOffset; }
    Vec2f getTiling() const { return tiling; }
    Vec2f getMovement() const { return movement; }
    /// Scrolling accumulated so far; it grows without bound.
    Vec2f getScroll() const { return scroll; }

private:
    /// What the layer's blend mode and colour let the picture leave out.
    Texture::QuadBlend quadBlend() const;
    /// What the layers in front will paint over, in the layer's coordinates under the current matrices.
    Texture::Hidden hiddenByNearer() const;
    /// The picture pixels at the level's top-left and bottom-right corners.
    std::pair<Vec2f, Vec2f> pictureCorners() const;

    Handle<Texture> texture;
    Vec2f imageOffset;
    Vec2f tiling{1.0f, 1.0f};
    Vec2f movement;
    Vec2f scroll;
};
