#pragma once

#include "resources/Handle.h"
#include "resources/Texture.h"
#include "world/Object.h"

#include <set>
#include <string>

class PlayerObject;

/// The finish line of the time trials ("type" "Finish"): a tall sensor that
/// remembers every player that has touched it. The game screen finds it by
/// the id "finish" and asks `hasReached` each step.
class CheckpointObject : public Object {
public:
    /// Exists only in the time trials; without "type" it is reported and not created.
    CheckpointObject(Layer* layer, const TiXmlElement* element, const ParameterMap* gameParams);

    void render() override;
    void onContact(const ContactInfo& contact) override;

    /// Whether `player` has touched the finish since the level was loaded.
    bool hasReached(const PlayerObject* player) const;
    const std::string& getType() const { return type; }
    bool isFinish() const { return type == "Finish"; }

private:
    Handle<Texture> texture;
    std::string type;
    std::set<const PlayerObject*> reached;
};
