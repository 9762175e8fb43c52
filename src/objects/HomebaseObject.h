#pragma once

#include "engine/Vec2.h"
#include "resources/Handle.h"
#include "resources/Texture.h"
#include "world/Object.h"

/// A player's home in the capture mode: a sensor box that captures the nut
/// when the nut enters it, crediting the base's owner whoever carried it in.
class HomebaseObject : public Object {
public:
    /// Exists only in the capture mode. Without "playerNo" 0 or 1 or without a
    /// "size" it is reported and not created.
    HomebaseObject(Layer* layer, const TiXmlElement* element, const ParameterMap* gameParams);

    /// Puts the base back where it was placed and stops it.
    void update() override;
    void render() override;
    void onContact(const ContactInfo& contact) override;

    int getPlayerNo() const { return playerNo; }
    const Vec2f& getSize() const { return size; }
    const Vec2f& getHomePosition() const { return homePosition; }

private:
    Handle<Texture> texture;
    int playerNo = -1;
    Vec2f size;
    Vec2f homePosition;
};
