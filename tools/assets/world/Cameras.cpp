// Camera paths: the level's default path and its intro paths, each a one-node animation of
// the camera frame with a small clump that carries it.
#include "tools/assets/common/Files.h"
#include "tools/assets/common/Registry.h"
#include "tools/assets/world/Levels.h"

#include "engine/plugins/RpPlugins.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace assets::world {

namespace {

constexpr float kKeyStep = 0.25f;  // seconds between keys: the engine interpolates linearly

float Ease(float t)
{
    return t * t * (3 - 2 * t);
}

Vec3 OnCircle(float angle, float radius, float height)
{
    return {std::cos(angle) * radius, height, std::sin(angle) * radius};
}

Vec3 OnEllipse(float angle, float halfLength, float halfWidth, float height)
{
    return {std::cos(angle) * halfLength, height, std::sin(angle) * halfWidth};
}

// Every eye stays inside the stands' outline and below the floodlight tops, so no shot starts
// behind a wall or passes through a roof: the near side's roof is low enough to look over.

// Main camera: a slow pan along the far side from the broadcast position.
Vec3 MainEye(float t) { return kMainCameraEye + Vec3{-12 + 24 * Ease(t), 0, 0}; }
Vec3 MainTarget(float t) { return kMainCameraTarget + Vec3{-25 + 50 * Ease(t), 0, 0}; }

// Intro 1: a high sweep round a corner, coming down towards the centre spot.
Vec3 Intro1Eye(float t) { return OnCircle(-2.3f + 1.3f * Ease(t), 60 - 20 * t, 38 - 20 * Ease(t)); }
Vec3 Intro1Target(float t) { return Vec3{0, 0, 0} + Vec3{0, 6 * (1 - t), 0}; }
// Intro 2: low along the near touch line, in front of the boards, looking at the players
// walking on.
Vec3 Intro2Eye(float t) { return {-45 + 60 * Ease(t), 2.5f + 2 * t, -kHalfWidth - 2.2f}; }
Vec3 Intro2Target(float t) { return {-25 + 50 * Ease(t), 1.2f, 0}; }
// Intro 3: a crane shot from above the centre circle, rising and pulling back.
Vec3 Intro3Eye(float t) { return {6 - 4 * t, 12 + 24 * Ease(t), -14 - 34 * Ease(t)}; }
Vec3 Intro3Target(float) { return {0, 0, 0}; }
// Intro 4: from behind the left goal, in front of the end stand, pushing in over the net.
Vec3 Intro4Eye(float t) { return {-kHalfLength - 7 + 14 * Ease(t), 4 + 3 * t, -6 + 8 * t}; }
Vec3 Intro4Target(float t) { return {-10 + 10 * t, 1, 0}; }
// Intro 5: round the pitch at stand height, in front of the stands and under the roofs' edge.
Vec3 Intro5Eye(float t) { return OnEllipse(0.4f + 2.0f * t, 54, 36, 14); }
Vec3 Intro5Target(float) { return {0, 2, 0}; }
// Intro 6: down over the far stand's roof and across the pitch.
Vec3 Intro6Eye(float t) { return {30 - 30 * Ease(t), 36 - 14 * Ease(t), 50 - 80 * Ease(t)}; }
Vec3 Intro6Target(float t) { return {0, 12 * (1 - t), 10 * (1 - t)}; }

const CameraPath kIntros[6] = {
    {11.0f, &Intro1Eye, &Intro1Target}, {10.0f, &Intro2Eye, &Intro2Target}, {10.0f, &Intro3Eye, &Intro3Target},
    {9.0f, &Intro4Eye, &Intro4Target},  {12.0f, &Intro5Eye, &Intro5Target}, {11.0f, &Intro6Eye, &Intro6Target},
};

RtAnimAnimation* PathAnimation(const CameraPath& path)
{
    RtAnimAnimation* anim = RtAnimAnimationCreate(1, path.duration);
    if (!anim)
        return nullptr;
    const int steps = std::max(1, int(std::ceil(path.duration / kKeyStep)));
    float prev[4] = {1, 0, 0, 0};
    for (int i = 0; i <= steps; ++i) {
        const float time = i == steps ? path.duration : i * kKeyStep;
        const Frame3 f = CameraPathFrame(path, time);
        RtAnimKeyFrame key{};
        key.time = time;
        ToQuaternion(f, key.rot);
        // Keep neighbouring keys in the same hemisphere so interpolation takes the short way.
        if (key.rot[0] * prev[0] + key.rot[1] * prev[1] + key.rot[2] * prev[2] + key.rot[3] * prev[3] < 0)
            for (float& c : key.rot)
                c = -c;
        std::copy(key.rot, key.rot + 4, prev);
        key.trans[0] = f.pos.x;
        key.trans[1] = f.pos.y;
        key.trans[2] = f.pos.z;
        anim->tracks[0].keys.push_back(key);
    }
    return anim;
}

bool WritePath(const AssetContext& context, const Theme& theme, const std::string& name, const CameraPath& path)
{
    const std::string base = context.Path(std::string(theme.folder) + "/camera/" + name);
    RtAnimAnimation* anim = PathAnimation(path);
    RpClump* clump = PathClump();
    const bool ok = anim && clump && WriteClumpFile(clump, base + ".dff") && WriteAnimationFile(anim, base + ".anm");
    RtAnimAnimationDestroy(anim);
    RpClumpDestroy(clump);
    return ok;
}

}  // namespace

// Rotation matrix (rows right, up, at) to a unit quaternion, w first, for the key frames.
void ToQuaternion(const Frame3& f, float q[4])
{
    const float m00 = f.right.x, m01 = f.right.y, m02 = f.right.z;
    const float m10 = f.up.x, m11 = f.up.y, m12 = f.up.z;
    const float m20 = f.at.x, m21 = f.at.y, m22 = f.at.z;
    const float trace = m00 + m11 + m22;
    float w, x, y, z;
    if (trace > 0) {
        const float s = std::sqrt(trace + 1) * 2;
        w = 0.25f * s;
        x = (m12 - m21) / s;
        y = (m20 - m02) / s;
        z = (m01 - m10) / s;
    } else if (m00 > m11 && m00 > m22) {
        const float s = std::sqrt(1 + m00 - m11 - m22) * 2;
        w = (m12 - m21) / s;
        x = 0.25f * s;
        y = (m01 + m10) / s;
        z = (m02 + m20) / s;
    } else if (m11 > m22) {
        const float s = std::sqrt(1 + m11 - m00 - m22) * 2;
        w = (m20 - m02) / s;
        x = (m01 + m10) / s;
        y = 0.25f * s;
        z = (m12 + m21) / s;
    } else {
        const float s = std::sqrt(1 + m22 - m00 - m11) * 2;
        w = (m01 - m10) / s;
        x = (m02 + m20) / s;
        y = (m12 + m21) / s;
        z = 0.25f * s;
    }
    const float n = std::sqrt(w * w + x * x + y * y + z * z);
    q[0] = w / n;
    q[1] = x / n;
    q[2] = y / n;
    q[3] = z / n;
}

// The clump that carries a path: a root frame and a small camera body, hidden.
RpClump* PathClump()
{
    MeshBuilder m;
    m.UseMaterial(m.Material("", {40, 40, 40, 255}));
    m.Box({-0.2f, -0.15f, -0.3f}, {0.2f, 0.15f, 0.3f});
    m.Cylinder({0, 0, 0.3f}, 0.1f, 0.2f, 6, true);
    RpClump* clump = BuildClump(m, kGeoPrelit | kGeoNormals);
    if (clump)
        for (RpAtomic* atomic : clump->atomics)
            RpAtomicSetFlags(atomic, RpAtomicGetFlags(atomic) & ~RwUInt32(rpAtomicRender));
    return clump;
}

Frame3 CameraPathFrame(const CameraPath& path, float seconds)
{
    const float t = path.duration > 0 ? std::clamp(seconds / path.duration, 0.0f, 1.0f) : 0.0f;
    return Frame3::LookAt(path.eye(t), path.target(t));
}

CameraPath MainCameraPath()
{
    return {20.0f, &MainEye, &MainTarget};
}

CameraPath IntroCameraPath(int level, int number)
{
    // Each level starts its list at a different shot, so the levels do not open alike.
    const int first[kLevelCount] = {0, 1, 5, 2};
    return kIntros[(first[std::clamp(level, 0, kLevelCount - 1)] + number - 1) % 6];
}

bool WriteLevelCameras(const AssetContext& context, const Theme& theme)
{
    const int level = int(&theme - &LevelTheme(0));
    bool ok = WritePath(context, theme, "camera", MainCameraPath());
    for (int n = 1; n <= theme.introCameras; ++n) {
        char name[24];
        std::snprintf(name, sizeof name, "camera%02d", n);
        ok = WritePath(context, theme, name, IntroCameraPath(level, n)) && ok;
    }
    return ok;
}

}  // namespace assets::world
