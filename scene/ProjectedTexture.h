#pragma once

#include "engine/core/RwMatrix.h"
#include "engine/core/RwRenderState.h"
#include "scene/RenderObject.h"

#include <cstdint>

struct RpWorld;
struct RwBBox;
struct RwRaster;

// How the world's triangles take a projected texture: the texture matrix maps a world point
// to (u, v, d), with u and v across the texture and d the depth along the projection
// direction (0 at the projector, 1 at fadeDist + radius from it).
struct ProjectionStep {
    RwMatrix texture;
    RwV3d direction;  // the way the projection travels
    bool fading = false;
    // Only the part of a triangle over the texture's square is drawn; of that square, only
    // the part within these bounds (u and v from 0 to 1) when they are narrower.
    bool clipToTexture = false;
    float clipU0 = 0.0f, clipV0 = 0.0f, clipU1 = 1.0f, clipV1 = 1.0f;
    // Where the square lies in the texture drawn from: all of it, or a tile of a sheet.
    float tileU = 0.0f, tileV = 0.0f, tileWidth = 1.0f, tileHeight = 1.0f;
    RwUInt8 base = 0;  // the corner colour without fading
    int32_t accepted = 0;  // triangles appended since the step was made
};

// The step for a projector placed by `projector` (its third axis the direction); fading is
// on when fadeDist > 0. radius must be above 0.
ProjectionStep MakeProjectionStep(const RwMatrix& projector, float radius, float fadeDist, float alpha);

// Appends the triangle to the immediate-mode cache's triangle list (with clipToTexture, the
// triangles of its part over the texture's square), drawing and emptying a full batch first.
// False, with nothing appended, when it faces away from the projector or lies wholly behind it
// or beside the texture.
bool ProjectTriangle(ProjectionStep& step, const RwV3d& normal, const RwV3d& a, const RwV3d& b, const RwV3d& c);

// Lays a texture over the current world's triangles below it by projective texturing, for
// shadows and for spots that levels place. It looks along its rotation's third axis.
class ProjectedTexture : public RenderObject {
public:
    // The most vertices one batch of projected triangles holds.
    static constexpr int kBatchVertices = 1500;

    ProjectedTexture() = default;

    void Serialize(Serializer& serializer, const char* descriptor) override;

    // Draws nothing with radius <= 0 or without a current world; without a texture the
    // triangles are drawn untextured.
    void Render() override;
    void Update(float) override {}

    // Projects with the texture matrix of `projector` over the world triangles inside the
    // box, then draws what is left of the batch. Inside a camera update.
    void Project(const RwMatrix& projector, const RwBBox& box, float fadeDist);

    // Borrowed; it must stay alive while it is set. A sub-raster lays down its part of its
    // parent only: the square maps onto it, and the clip to the texture is a clip to it.
    void SetTexture(RwRaster* raster) { m_raster = raster; }
    RwRaster* GetTexture() const { return m_raster; }
    void SetAlpha(float alpha) { m_alpha = alpha; }
    float GetAlpha() const { return m_alpha; }
    void SetFadeDist(float fadeDist) { m_fadeDist = fadeDist; }
    float GetFadeDist() const { return m_fadeDist; }
    void SetProjectionZoneRadius(float radius) { m_projectionZoneRadius = radius; }
    float GetProjectionZoneRadius() const { return m_projectionZoneRadius; }
    void SetStartRadius(float radius) { m_startRadius = radius; }
    float GetStartRadius() const { return m_startRadius; }
    // Half the width of the texture's square where it meets the world.
    void SetRadius(float radius) { m_radius = radius; }
    float GetRadius() const { return m_radius; }
    // Engine blend functions.
    void SetBlend(int32_t source, int32_t destination)
    {
        m_sourceBlend = source;
        m_destinationBlend = destination;
    }
    int32_t GetSourceBlend() const { return m_sourceBlend; }
    int32_t GetDestinationBlend() const { return m_destinationBlend; }
    // For a texture whose edge leaves the world as it is: clamped beyond the square it would
    // cover the rest of each triangle to no effect. Off unless set; not in the table.
    void SetClipToTexture(bool clip) { m_clipToTexture = clip; }
    // With the clip on, the part of the square (u and v from 0 to 1) outside which the texture
    // leaves the world as it is, so that nothing is drawn there; the whole square until set.
    void SetDrawnPart(float u0, float v0, float u1, float v1)
    {
        m_part[0] = u0;
        m_part[1] = v0;
        m_part[2] = u1;
        m_part[3] = v1;
    }
    // The box round every point of the world that Render would draw on, whatever part is set
    // to be drawn; false when it would draw on none.
    bool DrawnBounds(RwBBox& bounds) const;
    // Triangles the last Render or Project drew.
    int32_t GetDrawnTriangles() const { return m_drawnTriangles; }

private:
    // The current world's engine world when there is one to project on and a radius.
    RpWorld* TargetWorld() const;
    // The world triangles met within it are those projected onto.
    RwBBox ZoneBox(const RwMatrix& projector) const;

    RwRaster* m_raster = nullptr;
    float m_alpha = 0.35f;
    float m_fadeDist = 0.0f;
    float m_projectionZoneRadius = 130.0f;
    float m_startRadius = 5.0f;
    float m_radius = 3.0f;
    int32_t m_sourceBlend = rwBlendZero;
    int32_t m_destinationBlend = rwBlendInvSrcAlpha;
    int32_t m_drawnTriangles = 0;
    bool m_clipToTexture = false;
    float m_part[4] = {0.0f, 0.0f, 1.0f, 1.0f};
};
