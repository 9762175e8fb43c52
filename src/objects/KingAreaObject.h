#pragma once

#include "engine/RGBA.h"
#include "engine/Vec2.h"
#include "resources/Handle.h"
#include "resources/Texture.h"
#include "world/Object.h"

#include <map>
#include <set>

class PlayerObject;

/// The hill of "King of the Hill": a player alone in the area for more than a
/// second earns a point per second; with both players inside nobody earns and
/// both start waiting again. Red when empty, yellow when occupied, green while
/// someone scores.
class KingAreaObject : public Object {
public:
    /// Exists only in "King of the Hill"; without a "size" it is reported and not created.
    KingAreaObject(Layer* layer, const TiXmlElement* element, const ParameterMap* gameParams);

    void update() override;
    void render() override;
    void onContact(const ContactInfo& contact) override;

    const Vec2f& getSize() const { return size; }
    /// The displayed colour before its pulsing.
    const RGBA& getColour() const { return colour; }
    /// Seconds `player` has been alone in the area without interruption; 0 when unknown.
    float getHoldTime(const PlayerObject* player) const;

private:
    /// Forgets players that have left the level.
    void dropVanishedPlayers();

    Handle<Texture> texture;
    Vec2f size;
    std::set<PlayerObject*> inside;
    std::map<PlayerObject*, float> holdTime;
    RGBA colour;
};
