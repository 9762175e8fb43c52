#pragma once

#include "engine/ParameterMap.h"
#include "engine/RGBA.h"
#include "resources/Handle.h"
#include "resources/Texture.h"
#include "world/Object.h"

#include <map>
#include <set>
#include <string>

class PlayerObject;

/// The small level objects chosen by "type": a decorative "Sprite", a pushable
/// "Box" that fades away once a player touched it, a "Nut" worth points in the
/// story, a "Medkit" that heals, an "Accelerator" that pushes players along its
/// direction, a "LayerSwitch" that moves players to another layer and "Spikes"
/// that hurt every vehicle touching them, once a second at most.
/// The values that differ per object ("size", "color", "amount", "speed",
/// "targetLayer", the accelerator's and the spikes' "sound", the accelerator's
/// "soundInst") are its properties.
class SimpleObject : public Object {
public:
    /// An unknown or missing "type", or a kind's broken required attribute, is
    /// reported and the object is not created.
    SimpleObject(Layer* layer, const TiXmlElement* element, const ParameterMap* gameParams);

    void update() override;
    void render() override;
    /// Acts on players only.
    void onContact(const ContactInfo& contact) override;

    const std::string& getType() const { return type; }
    const ParameterMap& getProperties() const { return properties; }
    /// Seconds left before a touched box disappears; 0 for an untouched box.
    float getFadeTimer() const;
    /// The colour the object is drawn in now (a box's alpha is its fade timer once touched;
    /// the GL clamps it to 1, so the box fades only in its last second).
    RGBA getDrawColor() const;

private:
    enum class Kind { Sprite, Box, Nut, Medkit, Accelerator, LayerSwitch, Spikes };

    /// Reads the kind's own attributes into the properties; false when the object cannot exist.
    bool readProperties(const TiXmlElement* element, const std::string& what);
    void buildBody();
    void renderSprite() const;

    Handle<Texture> texture;
    std::string type;
    Kind kind = Kind::Sprite;
    bool fading = false;
    int fadeSteps = 0; ///< steps since a player touched the box

    ParameterMap properties;
    // Players the accelerator has pushed in the current step: one push per step,
    // however many parts of the vehicle overlap it.
    std::set<const PlayerObject*> pushed;
    // The spikes' steps and the step each player was last hurt in, for the pause between hurts.
    int steps = 0;
    std::map<const PlayerObject*, int> lastHurt;
};
