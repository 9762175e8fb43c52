#pragma once

#include "engine/Enums.h"
#include "engine/RGBA.h"
#include "engine/Vec2.h"
#include "resources/Handle.h"
#include "resources/Sound.h"
#include "resources/SoundInstance.h"
#include "resources/Texture.h"
#include "world/Object.h"

#include <SDL.h>

#include <string>

/// Where the vehicle's four bodies are, in body order, and which way it faces: all a drawing of it needs.
struct VehiclePose {
    Vec2f centre[4];
    Vec2f axis[4]; ///< each body's rotation applied to (1, 0)
    bool facingLeft = false;
};

/// The vehicle a player drives: a chassis on two wheels with a rider on a
/// hinged seat. It reads its player's keys every step, drives the rear wheel,
/// brakes, balances the rider, turns around by rebuilding itself mirrored, and
/// keeps the player's life and points.
class PlayerObject : public Object {
public:
    /// Body indices.
    static constexpr int kChassis = 0;
    static constexpr int kFrontWheel = 1;
    static constexpr int kRearWheel = 2;
    static constexpr int kRider = 3;
    /// Joint indices.
    static constexpr int kFrontHinge = 0;
    static constexpr int kRearHinge = 1;
    static constexpr int kRiderHinge = 2;

    /// Reads "playerNo" and "direction" (-1 faces left). A second player outside the
    /// two-player modes is not created.
    PlayerObject(Layer* layer, const TiXmlElement* element, const ParameterMap* gameParams);
    ~PlayerObject() override;

    void update() override;
    void render() override;
    /// Draws a vehicle at `pose` with player `playerNo`'s sprites from `texture`, multiplied by `colour`.
    static void drawVehicle(const Texture& texture, int playerNo, const VehiclePose& pose, const RGBA& colour);
    /// Where the bodies are now.
    VehiclePose getPose() const;
    /// Wheels touching solid static shapes are pressed onto them, more the faster they go;
    /// the rider striking anything solid is hurt in the next update (see `crashDamage`).
    void onContact(const ContactInfo& contact) override;

    /// Rebuilds all bodies and joints for the current facing direction, keeping
    /// place, angle and the bodies' velocities.
    void buildVehicle();
    /// Takes `amount` of life (a negative amount heals); nothing while the controls are off.
    /// A loss sounds and flashes the player's view; at life 0 the controls go off for good
    /// and "TOT" floats up.
    void damage(int amount);
    /// Life lost by a rider who strikes something at `speed` units/s towards it:
    /// none up to `kCrashSpeed` (tipping over, landing a jump on the wheels),
    /// then `kCrashDamage` for each unit/s more, at most `kCrashMostDamage`.
    static int crashDamage(float speed);
    static constexpr float kCrashSpeed = 16.0f;
    static constexpr float kCrashDamage = 3.0f;
    static constexpr int kCrashMostDamage = 60;
    /// Adds points with a floating text; nothing while the controls are off.
    void addPoints(int amount);
    /// Moves the vehicle to layer `layerId` in its next update (safe from contact handlers).
    void switchToLayer(const std::string& layerId);
    /// Adds `dv` to the chassis' velocity.
    void addVelocity(const Vec2f& dv);

    /// The player object `candidate` if it is one that still lives in a layer of `level`; else null.
    /// Objects that remember a player across steps check it with this before using it.
    static PlayerObject* findInLevel(const Level* level, const Object* candidate);

    int getPlayerNo() const { return playerNo; }
    const RGBA& getColor() const { return color; }
    int getPoints() const { return points; }
    int getLife() const { return life; }
    bool isFacingLeft() const { return facingLeft; }
    /// Sets the facing direction without rebuilding; call `buildVehicle` afterwards.
    void setFacingLeft(bool left) { facingLeft = left; }
    bool areControlsEnabled() const { return controlsEnabled; }
    void enableControls() { controlsEnabled = true; }
    void disableControls() { controlsEnabled = false; }
    ControlMode getControlMode() const { return controlMode; }
    /// Earned time in the king area not yet turned into whole points.
    float getPointFraction() const { return pointFraction; }
    void setPointFraction(float fraction) { pointFraction = fraction; }
    /// The smoothed drive speed in radians per second.
    float getDriveSpeed() const { return driveSpeed; }
    const Handle<SoundInstance>& getMotorVoice() const { return motorVoice; }
    /// How strongly the player's view flashes red after a loss of life: 1 at the loss, 0 after 0.4 s.
    float getHurtFlash() const;

private:
    /// The keys of one player for the current layout and facing direction.
    struct Keys {
        SDLKey accelerate;
        SDLKey brake;
        SDLKey leanForward; ///< leans the rider to +0.4
        SDLKey leanBack;    ///< leans the rider to -0.4; wins when both are held
        SDLKey turn;        ///< acts on the first press; the brake key in the four-key layout
    };

    /// What the player asks of the vehicle in this step, from the keys and the pad together.
    struct Controls {
        bool accelerate = false;
        bool brake = false;
        bool leanForward = false;
        bool leanBack = false;
        bool turn = false;
    };

    /// The keys that act in this step.
    Keys getKeys() const;
    /// The player's keys and pad for this step; read before the vehicle moves.
    Controls readControls() const;
    void createFloatingText(const std::string& text, const RGBA& textColor, const char* size, const char* timeToLive);
    bool isDown(SDLKey key) const;

    Handle<Texture> texture;
    int playerNo = 0;
    RGBA color{1.0f, 1.0f, 1.0f, 1.0f};
    int points = 0;
    float pointFraction = 0.0f;
    int life = 100;
    Handle<Sound> motorSound;
    Handle<SoundInstance> motorVoice;
    bool facingLeft = false;
    float driveSpeed = 0.0f;
    Vec2f frontWheelForce;
    Vec2f rearWheelForce;
    bool controlsEnabled = true;
    ControlMode controlMode = CM_FIVE_KEYS;
    bool layerSwitchPending = false;
    std::string targetLayerId;
    Handle<Sound> hurtSound;
    int hurtSteps = 0; ///< steps of the red flash still to show
    // The rider's motion before the world's step, to tell how hard it struck
    // what it touches after the step (the step has already stopped it).
    b2Vec2 riderVelocity{0.0f, 0.0f};
    b2Vec2 riderCentre{0.0f, 0.0f};
    float riderSpin = 0.0f;
    float strongestImpact = 0.0f; ///< units/s, the hardest strike of the last step
};
