#include "simulation/PitchVolume.h"

#include "framework/Registration.h"
#include "framework/Serializer.h"
#include "settings/GameSettings.h"
#include "simulation/CollisionManager.h"

#include <cmath>

namespace {

REGISTER_FACTORY(GameElements, CubicPitchVolume);
REGISTER_FACTORY(GameElements, CylindricalPitchVolume);
REGISTER_FACTORY(GameElements, PlanarPitchVolume);

// Half the side of the square drawn for a plane, and its lines per side.
constexpr float kPatchHalfSize = 5.0f;
constexpr int kPatchLines = 11;

}  // namespace

void WireframePatch::Tessellate(std::vector<Vector3>& points, std::vector<RwImVertexIndex>& indices)
{
    const float step = 2.0f * kPatchHalfSize / (kPatchLines - 1);
    for (int i = 0; i < kPatchLines; ++i) {
        const float a = -kPatchHalfSize + i * step;
        const auto first = static_cast<RwImVertexIndex>(points.size());
        points.insert(
            points.end(),
            {{a, 0, -kPatchHalfSize}, {a, 0, kPatchHalfSize}, {-kPatchHalfSize, 0, a}, {kPatchHalfSize, 0, a}});
        for (int k = 0; k < 4; ++k)
            indices.push_back(static_cast<RwImVertexIndex>(first + k));
    }
}

PitchVolume::PitchVolume(std::unique_ptr<Shape> shape) : Collidable(std::move(shape)) {}

PitchVolume::~PitchVolume()
{
    SetInCollisionSet(false);
}

void PitchVolume::SetInCollisionSet(bool in)
{
    if (in == m_inSet)
        return;
    m_inSet = in;
    if (in) {
        CollisionManager::Instance()->GetCollisionSet(m_setName)->Add(this, false);
        return;
    }
    // Leaving never makes a set, nor the manager once it is gone.
    if (CollisionManager::Exists())
        if (CollisionSet* set = CollisionManager::Instance()->FindCollisionSet(m_setName))
            set->Remove(this);
}

void PitchVolume::MoveToCollisionSet(const std::string& name)
{
    SetInCollisionSet(false);
    m_setName = name;
    SetInCollisionSet(true);
}

void PitchVolume::Serialize(Serializer& serializer, const char* descriptor)
{
    serializer.BeginSection("Pitch Volume", descriptor);
    GameElement::Serialize(serializer, "GameElement");
    SetInCollisionSet(false);
    std::string id = GetCollisionName();
    serializer.SerializeString("id", &id);
    SetCollisionName(id);
    serializer.SerializeString("collision set", &m_setName);
    SetInCollisionSet(true);
    serializer.BeginSection("Position", "position");
    serializer.SerializeFloat("x", &m_position.x);
    serializer.SerializeFloat("y", &m_position.y);
    serializer.SerializeFloat("z", &m_position.z);
    serializer.EndSection();
    serializer.SerializeObject("shape", GetShape());
    serializer.EndSection();
}

bool PitchVolume::ShouldDraw() const
{
    return GameSettings::Instance()->displayCollisionData && (GetStatusFlags() & kVisible) != 0;
}

CubicPitchVolume::CubicPitchVolume() : PitchVolume(std::make_unique<AxisAlignedCube>()) {}

AxisAlignedCube& CubicPitchVolume::GetCube() const
{
    return static_cast<AxisAlignedCube&>(*GetShape());
}

void CubicPitchVolume::Render()
{
    if (!ShouldDraw())
        return;
    WireFrameCube outline;
    outline.size = GetCube().size;
    outline.SetPosition(m_position);
    outline.Render();
}

CylindricalPitchVolume::CylindricalPitchVolume()
    : PitchVolume(std::make_unique<AxisAlignedCylinder>(Vector3::UnitY, 0.0f, 0.0f))
{
}

AxisAlignedCylinder& CylindricalPitchVolume::GetCylinder() const
{
    return static_cast<AxisAlignedCylinder&>(*GetShape());
}

void CylindricalPitchVolume::Render()
{
    if (!ShouldDraw())
        return;
    const AxisAlignedCylinder& cylinder = GetCylinder();
    WireframeCylinder outline;
    outline.radius = cylinder.radius;
    outline.length = cylinder.length;
    outline.StandOn(m_position);
    outline.Render();
}

PlanarPitchVolume::PlanarPitchVolume() : PitchVolume(std::make_unique<Plane>(Vector3::UnitY, 0.0f)) {}

Plane& PlanarPitchVolume::GetPlane() const
{
    return static_cast<Plane&>(*GetShape());
}

void PlanarPitchVolume::FoldPosition()
{
    Plane& plane = GetPlane();
    plane.distance += plane.normal.Dot(m_position);
    m_position = Vector3::Zero;
}

void PlanarPitchVolume::Serialize(Serializer& serializer, const char* descriptor)
{
    FoldPosition();
    PitchVolume::Serialize(serializer, descriptor);
    FoldPosition();
}

const Quaternion& PlanarPitchVolume::GetRotation() const
{
    const Vector3& n = GetPlane().normal;
    Vector3 first = Vector3::UnitX, second(0.0f, 0.0f, n.z);
    if (n.x != 0.0f || n.y != 0.0f) {
        // Shorter than 1 when the normal leans along z, which would skew the frame.
        first = n.Cross(Vector3::UnitZ);
        first.Normalize();
        second = n;
    }
    m_frame.FromMatrix3(first, second, first.Cross(second));
    return m_frame;
}

WireframePatch PlanarPitchVolume::GetPatch() const
{
    WireframePatch patch;
    // The frame takes world axes to the plane's; the patch goes the other way.
    patch.SetRotation(GetRotation().Conjugate());
    patch.SetPosition(GetPlane().PointOnPlane());
    return patch;
}

void PlanarPitchVolume::Render()
{
    if (ShouldDraw())
        GetPatch().Render();
}
