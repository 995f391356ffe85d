#pragma once

#include "scene/GameElement.h"
#include "scene/Wireframe.h"
#include "simulation/Collidable.h"

#include <memory>
#include <string>

class AxisAlignedCube;
class AxisAlignedCylinder;
class Plane;

// An invisible collision region a designer places on the pitch: a game element that sits,
// as an inactive member, in the collision set its table names, so that volumes are never
// tested against each other. The ball and the actors react to it by its id ("ground",
// "leftplane", "collidecylinder"...). With "Display Collision Data?" on it draws its outline.
class PitchVolume : public GameElement, public Collidable {
public:
    // Leaves its set.
    ~PitchVolume() override;

    // Section "Pitch Volume": the element's table, "id", "collision set", the position and
    // the shape's table. The volume leaves its set before the names are read and joins the
    // set named after.
    void Serialize(Serializer& serializer, const char* descriptor) override;

    // Joins (inactive) or leaves the set of its set name, which is made when absent.
    void SetInCollisionSet(bool in);
    bool IsInCollisionSet() const { return m_inSet; }
    const std::string& GetCollisionSetName() const { return m_setName; }
    // Leaves the current set and joins the named one.
    void MoveToCollisionSet(const std::string& name);

    // The element's own position: a volume never moves.
    const Vector3& GetPosition() const override { return m_position; }
    void Move(float) override {}
    void OnCollision(const std::vector<Collidable*>&) override {}
    void Update(float) override {}

protected:
    explicit PitchVolume(std::unique_ptr<Shape> shape);
    // Whether Render draws: the switch is on and the running state is visible.
    bool ShouldDraw() const;

private:
    std::string m_setName;
    bool m_inSet = false;
};

// A 10 x 10 grid in the object's own x-z plane, centred on its position: how a plane shows.
class WireframePatch : public WireframeObject {
protected:
    void Tessellate(std::vector<Vector3>& points, std::vector<RwImVertexIndex>& indices) override;
};

// A box from its position (the minimum corner) by the cube's size.
class CubicPitchVolume : public PitchVolume {
public:
    CubicPitchVolume();
    void Render() override;
    AxisAlignedCube& GetCube() const;
};

// A post standing on its position.
class CylindricalPitchVolume : public PitchVolume {
public:
    CylindricalPitchVolume();
    void Render() override;
    AxisAlignedCylinder& GetCylinder() const;
};

// A plane; the position is always folded into the plane's distance, so the volume stays at
// the origin.
class PlanarPitchVolume : public PitchVolume {
public:
    PlanarPitchVolume();
    void Serialize(Serializer& serializer, const char* descriptor) override;
    // A plane turns only with its normal.
    void SetRotation(const Quaternion&) override {}
    // The frame whose rows are the patch's axes: the first along the plane, the second the
    // normal, the third their cross product.
    const Quaternion& GetRotation() const override;
    void Render() override;
    Plane& GetPlane() const;
    // The grid Render draws, lying in the plane around its point nearest the origin.
    WireframePatch GetPatch() const;

private:
    void FoldPosition();

    // Recomputed from the normal by every GetRotation; nothing else writes it.
    mutable Quaternion m_frame;
};
