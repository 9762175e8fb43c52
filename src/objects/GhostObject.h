#pragma once

#include "objects/PlayerObject.h"
#include "resources/Handle.h"
#include "resources/Texture.h"
#include "world/Object.h"

/// The record run's vehicle: drawn with the players' sprites, see-through and
/// tinted, wherever its owner puts it. It has no bodies (nothing touches it) and
/// no sound. Its id sorts before any a level file can give, so its layer draws it
/// before everything else there, the players included.
class GhostObject : public Object {
public:
    static constexpr const char* kId = " ghost";
    /// The tint its sprites are multiplied by; the alpha makes it see-through.
    static const RGBA kTint;

    /// Joins `layer`; drawn with player `playerNo`'s sprites at `pose`.
    GhostObject(Layer* layer, int playerNo, const VehiclePose& pose);

    void render() override;

    void setPose(const VehiclePose& newPose) { pose = newPose; }
    const VehiclePose& getPose() const { return pose; }
    /// Whether it is drawn at all (the player can hide it).
    void setShown(bool show) { shown = show; }
    bool isShown() const { return shown; }

private:
    Handle<Texture> texture;
    int playerNo;
    VehiclePose pose;
    bool shown = true;
};
