#pragma once

// The skeleton every character shares, and poses on it. Animations are shared by all races,
// and a key frame carries each bone's offset from its parent, so the bone offsets are the same
// for every race: races differ in the flesh modelled around the joints, not in the joints.
//
// Space: y up, the character faces +z, its left is +x; one unit is about a metre.

#include "tools/assets/common/Mesh.h"

#include <array>
#include <cstdint>
#include <vector>

struct RpHAnimHierarchy;
struct RtAnimKeyFrame;

namespace assets::chars {

enum Bone : int {
    kRoot,
    kPelvis,
    kSpine,
    kChest,
    kNeck,
    kHead,
    kUpperArmL,
    kForearmL,
    kHandL,
    kUpperArmR,
    kForearmR,
    kHandR,
    kThighL,
    kShinL,
    kFootL,
    kThighR,
    kShinR,
    kFootR,
    kTail1,
    kTail2,
    kBoneCount
};

// HAnim ids equal the bone index.
struct BoneInfo {
    const char* name;
    int parent;        // -1 for the root
    Vec3 bindPos;      // joint position in the bind pose (arms straight out sideways)
    uint32_t flags;    // hierarchy node flags (1 pop, 2 push), depth-first
};

const std::array<BoneInfo, kBoneCount>& Bones();
Vec3 BindOffset(int bone);  // bindPos minus the parent's bindPos

// A hierarchy of the skeleton (node ids = bone indices), key frames of 36 bytes.
RpHAnimHierarchy* CreateSkeletonHierarchy(int flags);

struct Quat {
    float w = 1, x = 0, y = 0, z = 0;
    // A turn of degrees about the axis (of any length).
    static Quat Axis(Vec3 axis, float degrees);
    Quat operator*(const Quat& o) const;  // o first, then this
    Vec3 Rotate(Vec3 v) const;
    Quat Conjugate() const { return {w, -x, -y, -z}; }
};

// Joint angles in degrees. The sides are indexed 0 left, 1 right; the angle meanings are the
// same on both sides (mirrored underneath), so a mirrored pose swaps the sides.
struct Axial {
    float bend = 0;   // forward (chin towards chest, tail up)
    float side = 0;   // towards the character's left
    float twist = 0;  // turn towards the left
};
struct Arm {
    float down = 75;  // from straight out sideways: 90 hangs at the side
    float fwd = 0;    // swing forward about the shoulder axis (180: straight up)
    float elbow = 10;
    float twist = 0;
    float wrist = 0;  // hand bends forward
};
struct Leg {
    float flex = 0;    // hip: thigh forward
    float spread = 0;  // hip: thigh outwards
    float knee = 0;    // shin back
    float ankle = 0;   // toes down
    float twist = 0;   // toes outwards
};
struct Pose {
    Vec3 hip{};  // pelvis moved from its bind place
    Axial pelvis, spine, chest, neck, head, tail1, tail2;
    Arm arm[2];
    Leg leg[2];
};

Pose Lerp(const Pose& a, const Pose& b, float t);
// Catmull-Rom through p1 (t 0) and p2 (t 1).
Pose Spline(const Pose& p0, const Pose& p1, const Pose& p2, const Pose& p3, float t);
Pose Mirror(const Pose& p);
// Local rotation and translation of every bone for the pose.
void PoseToLocal(const Pose& pose, std::array<Quat, kBoneCount>& rot, std::array<Vec3, kBoneCount>& trans);
// World placement of each joint for the pose (the contact sheet's checks and the ball
// locators use it).
std::array<Frame3, kBoneCount> PoseToWorld(const Pose& pose);

}  // namespace assets::chars
