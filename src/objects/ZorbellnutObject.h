#pragma once

#include "engine/Vec2.h"
#include "resources/Handle.h"
#include "resources/Sound.h"
#include "resources/Texture.h"
#include "world/Object.h"

class PlayerObject;

/// The nut of the capture mode. A player takes it by touching it (also from the
/// other player); it then floats above its carrier. A home base it enters
/// captures it: the base's owner scores, and the nut comes back at its starting
/// place after its respawn time.
class ZorbellnutObject : public Object {
public:
    /// Exists only in the capture mode. Reads "respawnTime" (seconds, default 5).
    ZorbellnutObject(Layer* layer, const TiXmlElement* element, const ParameterMap* gameParams);

    void update() override;
    void render() override;
    void onContact(const ContactInfo& contact) override;

    /// Gives `scorer` a point (if it may score now) and hides the nut for the respawn time.
    /// Nothing while the nut is hidden. A null scorer only hides it.
    void capture(PlayerObject* scorer);

    /// The player the nut follows, or null (also when that player has left the level).
    PlayerObject* getCarrier() const;
    /// True while the nut is away after a capture.
    bool isHidden() const { return respawnTimer > 0.0f; }
    float getRespawnTimer() const { return respawnTimer; }
    float getRespawnTime() const { return respawnTime; }
    const Vec2f& getSpawnPosition() const { return spawnPosition; }

private:
    Handle<Texture> texture;
    Handle<Sound> takeSound;
    Handle<Sound> captureSound;
    Handle<Sound> spawnSound;
    float respawnTime = 5.0f;
    Vec2f spawnPosition;
    PlayerObject* carrier = nullptr;
    float respawnTimer = 0.0f;
};
