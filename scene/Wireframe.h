#pragma once

#include "engine/core/RwIm.h"
#include "framework/Color.h"
#include "scene/RenderObject.h"

#include <cstdint>
#include <vector>

// An outline for designers, drawn as an indexed line list through Immediate3DCache with flat
// shading and no texture. Points are built in the object's own space and placed by its
// orientation and position.
class WireframeObject : public RenderObject {
public:
    void Render() override;
    void Update(float) override {}

    // Puts the placed, coloured outline into the cache without drawing it; false (nothing
    // added) when the counts give no outline.
    bool BuildOutline();

    void SetColor(const Color& colour) { m_colour = colour; }
    const Color& GetColor() const { return m_colour; }

protected:
    // The outline in the object's own space; empty when the counts give none.
    virtual void Tessellate(std::vector<Vector3>& points, std::vector<RwImVertexIndex>& indices) = 0;
    // The counts clamped so that every point can be indexed; logged once per object.
    int ClampCount(int count, int pointsPerStep, const char* where);

    Color m_colour = Color::White;

private:
    bool m_warned = false;
};

// A cone from its apex at the position along its own z axis.
class WireframeCone : public WireframeObject {
public:
    // Section "Wire Frame Cylinder", as the editor has always named it.
    void Serialize(Serializer& serializer, const char* descriptor) override;

    float length = 1.0f;
    // Half the opening, radians; a right angle gives a flat fan.
    float angle = 1.5707963f;
    int32_t longitudeCount = 40;

protected:
    void Tessellate(std::vector<Vector3>& points, std::vector<RwImVertexIndex>& indices) override;
};

// A box from the position (one corner, not the centre) to position + size.
class WireFrameCube : public WireframeObject {
public:
    void Serialize(Serializer& serializer, const char* descriptor) override;

    Vector3 size{1.0f, 1.0f, 1.0f};

protected:
    void Tessellate(std::vector<Vector3>& points, std::vector<RwImVertexIndex>& indices) override;
};

// A cylinder centred on the position along its own z axis.
class WireframeCylinder : public WireframeObject {
public:
    void Serialize(Serializer& serializer, const char* descriptor) override;

    // Turns the cylinder upright and stands its base on the point, as the collision
    // cylinders stand.
    void StandOn(const Vector3& base);

    float radius = 1.0f;
    float length = 1.0f;
    int32_t longitudeCount = 40;

protected:
    void Tessellate(std::vector<Vector3>& points, std::vector<RwImVertexIndex>& indices) override;
};

// A sphere centred on the position; latitude runs from its own +x to -x.
class WireframeSphere : public WireframeObject {
public:
    void Serialize(Serializer& serializer, const char* descriptor) override;

    float radius = 1.0f;
    int32_t longitudeCount = 40;
    int32_t latitudeCount = 20;

protected:
    void Tessellate(std::vector<Vector3>& points, std::vector<RwImVertexIndex>& indices) override;
};
