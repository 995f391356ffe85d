#pragma once

#include "framework/Object.h"
#include "framework/Quaternion.h"
#include "framework/Vector.h"
#include "input/InputController.h"

#include <memory>
#include <string>
#include <vector>

class Clump;
class TrackedObject;
struct RtAnimAnimation;
struct RtAnimInterpolator;
struct RwFrame;

// Decides where the camera is: each frame its owner calls Update, then ApplyToFrame with
// the active camera's frame. Angles are radians.
class CameraControl : public Object {
public:
    void Serialize(Serializer& serializer, const char* descriptor) override;

    virtual void Update(float dt) = 0;
    virtual bool Activate() = 0;
    virtual bool Deactivate() = 0;
    virtual const Vector3& GetPosition() = 0;
    virtual const Quaternion& GetRotation() = 0;
    virtual void ApplyToFrame(RwFrame* frame) = 0;
    virtual void ChangeZoom(bool) {}
    virtual void SetZoom(float) {}
    virtual float GetZoom() const { return 0.0f; }

    // The owner's sequence: which control follows this one, kept for the owner.
    std::string nextInSequence;
    std::string previousInSequence;
    std::string nextZoomLevel;
    std::string previousZoomLevel;

protected:
    // The base's table as the nested "parent class" section.
    void SerializeParent(Serializer& serializer);
};

// A fly-through camera steered with the mouse, for designers; it hears input only while
// active.
class FreeCameraControl : public CameraControl, public InputListener {
public:
    void Serialize(Serializer& serializer, const char* descriptor) override;
    void Update(float) override {}
    bool Activate() override;
    bool Deactivate() override;
    const Vector3& GetPosition() override { return m_position; }
    const Quaternion& GetRotation() override;
    void ApplyToFrame(RwFrame* frame) override;
    bool OnInput(float dt) override;

    // Where the eye is, pitched down about x by angleX, then turned about y by angleY.
    void SetView(const Vector3& position, float angleX, float angleY)
    {
        m_position = position;
        m_angleX = angleX;
        m_angleY = angleY;
    }
    float GetAngleX() const { return m_angleX; }
    float GetAngleY() const { return m_angleY; }

private:
    Vector3 m_position{0.0f, 2.0f, 0.0f};
    float m_angleX = 0.0f;
    float m_angleY = 0.0f;
    float m_moveSpeed = 100.0f;
    float m_rotationSpeed = 0.5f;
};

// A fixed position and rotation.
class SimpleCameraControl : public CameraControl {
public:
    void Serialize(Serializer& serializer, const char* descriptor) override;
    void Update(float) override {}
    bool Activate() override { return true; }
    bool Deactivate() override { return true; }
    const Vector3& GetPosition() override { return m_position; }
    const Quaternion& GetRotation() override { return m_rotation; }
    void ApplyToFrame(RwFrame* frame) override;
    virtual void SetPosition(const Vector3& position) { m_position = position; }
    virtual void SetRotation(const Quaternion& rotation) { m_rotation = rotation; }

private:
    Vector3 m_position{0.0f, 2.0f, 0.0f};
    Quaternion m_rotation = Quaternion::Identity;
};

// Plays a camera path stored as an animated clump. Without a path (its files could not be
// read) Update and ApplyToFrame do nothing.
class SplineCameraControl : public CameraControl {
public:
    SplineCameraControl();
    ~SplineCameraControl() override;

    void Serialize(Serializer& serializer, const char* descriptor) override;
    void Update(float dt) override;
    // Loads the level's default path "<LP>\camera\camera.dff" and "camera.anm".
    bool Activate() override;
    bool Deactivate() override { return true; }
    const Vector3& GetPosition() override;
    const Quaternion& GetRotation() override;
    void ApplyToFrame(RwFrame* frame) override;
    virtual void SetSpeed(float speed) { m_speed = speed; }

    // Borrowed: the clump whose frame carries the path; the caller keeps it alive while set.
    void SetClump(Clump* clump) { m_pathClump = clump; }
    // The control owns the animation from here; the path restarts at time 0.
    void SetAnimation(RtAnimAnimation* animation);
    // The path from directory + each file name, restarted as by Activate. False when the
    // animation could not be read (the path is then empty).
    bool Load(const std::string& directory, const std::string& clumpFile, const std::string& animationFile);

    float GetDuration() const;
    float GetTime() const { return m_time; }
    bool IsFinished() const { return m_finished; }
    bool HasPath() const { return m_interpolator != nullptr; }

private:
    bool LoadPath(const std::string& clumpFile, const std::string& animationFile);
    void DestroyPath();

    std::unique_ptr<Clump> m_clump;
    Clump* m_pathClump = nullptr;
    RtAnimAnimation* m_animation = nullptr;
    RtAnimInterpolator* m_interpolator = nullptr;
    float m_time = 0.0f;
    float m_speed = 1.0f;
    bool m_finished = false;
};

// Follows the tracked object of the moment at a zoomable offset and fixed angles, blending
// towards the wanted position. The camera never stays behind world geometry that stands
// between it and what it follows: it is drawn in along its line of sight, in front of it.
class TrackingCameraControl : public CameraControl {
public:
    // A move longer than this snaps instead of blending.
    static constexpr float kSnapDistance = 50.0f;
    static constexpr float kZoomStep = 0.05f;
    // The line of sight ends this high over the followed point: over a player's head and a
    // goal's crossbar, which the camera looks past or through the net under it, as over the
    // boards and the benches.
    static constexpr float kSightHeight = 2.6f;
    // The line below the camera ends no lower than this over the followed point, off the
    // grass the camera is over.
    static constexpr float kOverGrass = 1.0f;
    // The camera keeps this much room in front of geometry on its line of sight, and as much
    // above anything below it (the tiers and the crowd on them).
    static constexpr float kClearance = 2.5f;
    // However much stands in the way, the camera comes no nearer than this.
    static constexpr float kNearest = 3.0f;
    // What is followed is framed no farther beyond the lines than this: a ball in the net, a
    // player on the touch line or walking off, not one kicked up into the stands.
    static constexpr float kBeyondLines = 1.0f;
    // A point with something this far above it is under the stands (a ball kicked under the
    // tiers). When the camera cannot be placed for a point, it frames the next one towards
    // the centre spot, kCoverStep nearer.
    static constexpr float kCoverHeight = 60.0f;
    static constexpr float kCoverStep = 2.0f;

    void Serialize(Serializer& serializer, const char* descriptor) override;
    void Update(float dt) override;
    // Snaps to the wanted place.
    bool Activate() override;
    bool Deactivate() override { return true; }
    const Vector3& GetPosition() override { return m_position; }
    const Quaternion& GetRotation() override { return m_rotation; }
    void ApplyToFrame(RwFrame* frame) override;
    void ChangeZoom(bool in) override;
    // Clamped to 0..1: 1 puts the camera at the minimum offset, 0 at the maximum.
    void SetZoom(float zoom) override;
    float GetZoom() const override { return m_zoom; }
    virtual bool Prepare(int) { return true; }

    Quaternion GetWantedRotation() const;
    // Where the offset puts the camera, whatever stands in the way.
    Vector3 GetWantedPosition();
    // The eye placed in sight of the followed point, or of the nearest point towards the
    // centre spot it can be placed for (a ball under the stands or hard against them), moved
    // with that point; framed receives the point. Unchanged without a current world.
    Vector3 KeepInSight(const Vector3& eye, Vector3& framed) const;
    // Whether the camera, where it wants to be, stands over the pitch: inside its lines, where
    // no stand, board or crowd can come between it and a player there.
    bool StandsOverPitch();
    const Vector3& GetCurrentOffset() const { return m_offset; }

    void SetOffsets(const Vector3& minimum, const Vector3& maximum)
    {
        m_minOffset = minimum;
        m_maxOffset = maximum;
    }
    void SetAngles(float angleX, float angleY)
    {
        m_angleX = angleX;
        m_angleY = angleY;
    }
    void SetLocks(bool x, bool y, bool z, bool rotation)
    {
        m_lockX = x;
        m_lockY = y;
        m_lockZ = z;
        m_lockRotation = rotation;
    }
    void SetBlendTime(float seconds) { m_blendTime = seconds; }
    void SetFlippable(bool flippable) { m_flippable = flippable; }

private:
    // The followed position with the locked components cleared.
    Vector3 GetTrackedPoint() const;
    // Draws the eye in along its line from the point until the world hides neither the point
    // from it nor from the place the clearance below it; false when the point is under cover
    // or the camera would have to come nearer than kNearest.
    static bool PlaceInSight(const Vector3& point, Vector3& eye);

    Vector3 m_offset{0.0f, 0.0f, 0.0f};
    Vector3 m_minOffset{0.0f, 0.0f, 0.0f};
    Vector3 m_maxOffset{0.0f, 0.0f, 0.0f};
    float m_zoom = 0.5f;
    float m_angleX = 0.0f;
    float m_angleY = 0.0f;
    bool m_lockX = false;
    bool m_lockY = false;
    bool m_lockZ = false;
    bool m_lockRotation = false;
    float m_blendTime = 0.0f;
    Vector3 m_position{0.0f, 0.0f, 0.0f};
    Quaternion m_rotation = Quaternion::Identity;
    bool m_flippable = false;
};

struct CameraControlEntry {
    const char* name;       // the member is "Cameras|" + name
    const char* className;  // in FactoryRegistry::CameraControls
};
// The game's 27 camera controls in the order it makes them, "Free Camera" first.
const std::vector<CameraControlEntry>& GetCameraControlTable();

// What every tracking control follows (borrowed; null for none: the origin). The owner
// clears it before the object goes.
void SetCameraTarget(TrackedObject* target);
TrackedObject* GetCameraTarget();
// Flippable tracking controls look from the other side of the pitch.
void SetCameraFlipped(bool flipped);
bool IsCameraFlipped();
