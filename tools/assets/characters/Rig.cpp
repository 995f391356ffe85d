#include "tools/assets/characters/Rig.h"

#include "engine/plugins/RpHAnim.h"

namespace assets::chars {

namespace {

constexpr uint32_t kPop = 1, kPush = 2;

float CatmullRom(float p0, float p1, float p2, float p3, float t)
{
    const float t2 = t * t, t3 = t2 * t;
    return 0.5f * (2 * p1 + (p2 - p0) * t + (2 * p0 - 5 * p1 + 4 * p2 - p3) * t2 + (3 * p1 - p0 - 3 * p2 + p3) * t3);
}

// Every angle of a pose as one flat list, so blending and splines treat all fields alike.
constexpr int kFloats = sizeof(Pose) / sizeof(float);
static_assert(sizeof(Pose) == kFloats * sizeof(float), "a pose is floats only");

Quat AxisX(float d) { return Quat::Axis({1, 0, 0}, d); }
Quat AxisY(float d) { return Quat::Axis({0, 1, 0}, d); }
Quat AxisZ(float d) { return Quat::Axis({0, 0, 1}, d); }

Quat AxialRotation(const Axial& a)
{
    return AxisY(a.twist) * AxisX(a.bend) * AxisZ(-a.side);
}

Frame3 ToFrame(const Quat& q, Vec3 t)
{
    return {q.Rotate({1, 0, 0}), q.Rotate({0, 1, 0}), q.Rotate({0, 0, 1}), t};
}

}  // namespace

const std::array<BoneInfo, kBoneCount>& Bones()
{
    static const std::array<BoneInfo, kBoneCount> bones = {{
        {"root", -1, {0, 0, 0}, 0},
        {"pelvis", kRoot, {0, 0.92f, 0}, 0},
        {"spine", kPelvis, {0, 1.08f, 0}, kPush},
        {"chest", kSpine, {0, 1.30f, 0}, 0},
        {"neck", kChest, {0, 1.50f, 0}, kPush},
        {"head", kNeck, {0, 1.62f, 0}, kPop},
        {"upperarm_l", kChest, {0.20f, 1.46f, 0}, kPush},
        {"forearm_l", kUpperArmL, {0.47f, 1.46f, 0}, 0},
        {"hand_l", kForearmL, {0.72f, 1.46f, 0}, kPop},
        {"upperarm_r", kChest, {-0.20f, 1.46f, 0}, 0},
        {"forearm_r", kUpperArmR, {-0.47f, 1.46f, 0}, 0},
        {"hand_r", kForearmR, {-0.72f, 1.46f, 0}, kPop},
        {"thigh_l", kPelvis, {0.11f, 0.90f, 0}, kPush},
        {"shin_l", kThighL, {0.11f, 0.50f, 0}, 0},
        {"foot_l", kShinL, {0.11f, 0.09f, 0}, kPop},
        {"thigh_r", kPelvis, {-0.11f, 0.90f, 0}, kPush},
        {"shin_r", kThighR, {-0.11f, 0.50f, 0}, 0},
        {"foot_r", kShinR, {-0.11f, 0.09f, 0}, kPop},
        {"tail1", kPelvis, {0, 0.86f, -0.12f}, 0},
        {"tail2", kTail1, {0, 0.76f, -0.44f}, kPop},
    }};
    return bones;
}

Vec3 BindOffset(int bone)
{
    const BoneInfo& b = Bones()[size_t(bone)];
    return b.parent < 0 ? b.bindPos : b.bindPos - Bones()[size_t(b.parent)].bindPos;
}

RpHAnimHierarchy* CreateSkeletonHierarchy(int flags)
{
    RwUInt32 nodeFlags[kBoneCount];
    RwInt32 ids[kBoneCount];
    for (int i = 0; i < kBoneCount; ++i) {
        nodeFlags[i] = Bones()[size_t(i)].flags;
        ids[i] = i;
    }
    return RpHAnimHierarchyCreate(kBoneCount, nodeFlags, ids, flags, 36);
}

Quat Quat::Axis(Vec3 axis, float degrees)
{
    const Vec3 a = Normalised(axis);
    const float half = degrees * kPi / 360.0f;
    const float s = std::sin(half);
    return {std::cos(half), a.x * s, a.y * s, a.z * s};
}

Quat Quat::operator*(const Quat& o) const
{
    return {w * o.w - x * o.x - y * o.y - z * o.z, w * o.x + x * o.w + y * o.z - z * o.y,
            w * o.y - x * o.z + y * o.w + z * o.x, w * o.z + x * o.y - y * o.x + z * o.w};
}

Vec3 Quat::Rotate(Vec3 v) const
{
    const Vec3 u{x, y, z};
    const Vec3 t = Cross(u, v) * 2.0f;
    return v + t * w + Cross(u, t);
}

Pose Lerp(const Pose& a, const Pose& b, float t)
{
    Pose out;
    const auto* pa = reinterpret_cast<const float*>(&a);
    const auto* pb = reinterpret_cast<const float*>(&b);
    auto* po = reinterpret_cast<float*>(&out);
    for (int i = 0; i < kFloats; ++i)
        po[i] = pa[i] + (pb[i] - pa[i]) * t;
    return out;
}

Pose Spline(const Pose& p0, const Pose& p1, const Pose& p2, const Pose& p3, float t)
{
    Pose out;
    const auto* a = reinterpret_cast<const float*>(&p0);
    const auto* b = reinterpret_cast<const float*>(&p1);
    const auto* c = reinterpret_cast<const float*>(&p2);
    const auto* d = reinterpret_cast<const float*>(&p3);
    auto* po = reinterpret_cast<float*>(&out);
    for (int i = 0; i < kFloats; ++i)
        po[i] = CatmullRom(a[i], b[i], c[i], d[i], t);
    return out;
}

Pose Mirror(const Pose& p)
{
    Pose m = p;
    m.hip.x = -p.hip.x;
    for (Axial* a : {&m.pelvis, &m.spine, &m.chest, &m.neck, &m.head, &m.tail1, &m.tail2}) {
        a->side = -a->side;
        a->twist = -a->twist;
    }
    m.arm[0] = p.arm[1];
    m.arm[1] = p.arm[0];
    m.leg[0] = p.leg[1];
    m.leg[1] = p.leg[0];
    return m;
}

void PoseToLocal(const Pose& pose, std::array<Quat, kBoneCount>& rot, std::array<Vec3, kBoneCount>& trans)
{
    for (int i = 0; i < kBoneCount; ++i) {
        rot[size_t(i)] = Quat{};
        trans[size_t(i)] = BindOffset(i);
    }
    trans[kPelvis] = trans[kPelvis] + pose.hip;
    rot[kPelvis] = AxialRotation(pose.pelvis);
    rot[kSpine] = AxialRotation(pose.spine);
    rot[kChest] = AxialRotation(pose.chest);
    rot[kNeck] = AxialRotation(pose.neck);
    rot[kHead] = AxialRotation(pose.head);
    rot[kTail1] = AxialRotation(pose.tail1);
    rot[kTail2] = AxialRotation(pose.tail2);
    for (int s = 0; s < 2; ++s) {
        const float m = s == 0 ? 1.0f : -1.0f;
        const Arm& a = pose.arm[s];
        const int upper = s == 0 ? kUpperArmL : kUpperArmR;
        // A mirror keeps rotations about x and turns those about y and z round.
        rot[size_t(upper)] = AxisX(-a.fwd) * AxisZ(-a.down * m) * AxisX(a.twist);
        rot[size_t(upper + 1)] = AxisY(-a.elbow * m);
        rot[size_t(upper + 2)] = AxisY(-a.wrist * m);
        const Leg& l = pose.leg[s];
        const int thigh = s == 0 ? kThighL : kThighR;
        rot[size_t(thigh)] = AxisY(l.twist * m) * AxisX(-l.flex) * AxisZ(l.spread * m);
        rot[size_t(thigh + 1)] = AxisX(l.knee);
        rot[size_t(thigh + 2)] = AxisX(l.ankle);
    }
}

std::array<Frame3, kBoneCount> PoseToWorld(const Pose& pose)
{
    std::array<Quat, kBoneCount> rot;
    std::array<Vec3, kBoneCount> trans;
    PoseToLocal(pose, rot, trans);
    std::array<Frame3, kBoneCount> world;
    for (int i = 0; i < kBoneCount; ++i) {
        const Frame3 local = ToFrame(rot[size_t(i)], trans[size_t(i)]);
        const int p = Bones()[size_t(i)].parent;
        world[size_t(i)] = p < 0 ? local : world[size_t(p)] * local;
    }
    return world;
}

}  // namespace assets::chars
