#include "scene/ScreenDraw.h"

#include "engine/core/RwCamera.h"
#include "engine/core/RwIm.h"
#include "engine/core/RwTexture.h"
#include "framework/Color.h"
#include "scene/Immediate3DCache.h"
#include "scene/RenderStateSaver.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace {

bool s_set2DStates = true;
bool s_set3DStates = true;

// Two triangles over the corners in builder order.
const RwImVertexIndex kRectIndices[6] = {3, 2, 0, 2, 1, 0};
// The two triangles a strip over a quad's four corners makes, in its order and winding.
const RwImVertexIndex kStripQuadIndices[6] = {0, 1, 2, 1, 3, 2};
// Quads handed to the device at a time: so few vertices that it joins them to the draws
// around them, as it did each quad on its own.
constexpr size_t kQuadsPerHandOver = 16;

enum class Look { Filled, Blended, Textured };

RwReal RecipZ()
{
    const RwCamera* camera = RwCameraGetCurrentCamera();
    return camera && camera->nearPlane > 0.0f ? 1.0f / camera->nearPlane : 1.0f;
}

RwIm2DVertex ScreenVertex(float x, float y, uint32_t colour, float u, float v)
{
    return {x, y, RwIm2DGetNearScreenZ(), RecipZ(), colour, u, v};
}

void BuildRect(RwIm2DVertex out[4], const ScreenRect& rect, const ScreenRect& uv, uint32_t colour)
{
    out[0] = ScreenVertex(rect.x, rect.y, colour, uv.x, uv.y);
    out[1] = ScreenVertex(rect.x + rect.w, rect.y, colour, uv.x + uv.w, uv.y);
    out[2] = ScreenVertex(rect.x + rect.w, rect.y + rect.h, colour, uv.x + uv.w, uv.y + uv.h);
    out[3] = ScreenVertex(rect.x, rect.y + rect.h, colour, uv.x, uv.y + uv.h);
}

void SetStates(RenderStateSaver& saver, Look look, RwRaster* texture, const Color& colour)
{
    if (look == Look::Filled) {
        saver.Set(rwRenderStateTextureRaster, 0);
        saver.Set(rwRenderStateVertexAlphaEnable, 1);
        return;
    }
    saver.Set(rwRenderStateShadeMode, rwShadeFlat);
    saver.Set(rwRenderStateTextureRaster, look == Look::Textured ? reinterpret_cast<intptr_t>(texture) : 0);
    saver.Set(rwRenderStateSrcBlend, rwBlendSrcAlpha);
    saver.Set(rwRenderStateDestBlend, rwBlendInvSrcAlpha);
    saver.Set(rwRenderStateVertexAlphaEnable, colour.a != 1.0f);
    saver.Set(rwRenderStateZWriteEnable, 0);
    saver.Set(rwRenderStateZTestEnable, 0);
    if (look == Look::Textured)
        saver.Set(rwRenderStateTextureAddress, rwTextureAddressClamp);
}

// Rectangles of four corners each, in builder order.
void DrawRects(const RwIm2DVertex* vertices, size_t rects, Look look, RwRaster* texture, const Color& colour)
{
    // Past this the corners' indices would not fit the index type.
    constexpr size_t kMaxRects = (size_t(std::numeric_limits<RwImVertexIndex>::max()) + 1) / 4;
    RenderStateSaver saver;
    if (s_set2DStates)
        SetStates(saver, look, texture, colour);
    std::vector<RwImVertexIndex> indices;
    for (size_t first = 0; first < rects; first += kMaxRects) {
        const size_t n = std::min(rects - first, kMaxRects);
        if (n > 1) {
            indices.resize(6 * n);
            for (size_t r = 0; r < n; ++r)
                for (size_t k = 0; k < 6; ++k)
                    indices[6 * r + k] = static_cast<RwImVertexIndex>(4 * r + kRectIndices[k]);
        }
        RwIm2DRenderIndexedPrimitive(rwPrimTypeTriList, vertices + 4 * first, static_cast<RwInt32>(4 * n),
                                     n > 1 ? indices.data() : kRectIndices, static_cast<RwInt32>(6 * n));
    }
    saver.Restore();
}

void DrawRect(const RwIm2DVertex vertices[4], Look look, RwRaster* texture, const Color& colour)
{
    DrawRects(vertices, 1, look, texture, colour);
}

}  // namespace

void SetDraw2DStates(bool on)
{
    s_set2DStates = on;
}

bool GetDraw2DStates()
{
    return s_set2DStates;
}

void SetDraw3DStates(bool on)
{
    s_set3DStates = on;
}

bool GetDraw3DStates()
{
    return s_set3DStates;
}

void DrawFilledRect(const ScreenRect& rect, const Color& colour)
{
    DrawFilledRects(&rect, 1, colour);
}

void DrawFilledRects(const ScreenRect* rects, size_t count, const Color& colour)
{
    if (count == 0)
        return;
    RwIm2DVertex one[4];
    std::vector<RwIm2DVertex> many(count > 1 ? 4 * count : 0);
    RwIm2DVertex* vertices = count > 1 ? many.data() : one;
    const uint32_t packed = PackColor(colour);
    for (size_t i = 0; i < count; ++i)
        BuildRect(&vertices[4 * i], rects[i], {}, packed);
    DrawRects(vertices, count, Look::Filled, nullptr, colour);
}

void DrawFilledTriangle(const Vector2& a, const Vector2& b, const Vector2& c, const Color& colour)
{
    const uint32_t packed = PackColor(colour);
    const RwIm2DVertex vertices[3] = {ScreenVertex(a.x, a.y, packed, 0, 0), ScreenVertex(b.x, b.y, packed, 0, 0),
                                      ScreenVertex(c.x, c.y, packed, 0, 0)};
    RenderStateSaver saver;
    if (s_set2DStates)
        SetStates(saver, Look::Filled, nullptr, colour);
    RwIm2DRenderTriangle(vertices, 3, 2, 1, 0);
    saver.Restore();
}

void DrawBlendedRect(const ScreenRect& rect, const Color& colour)
{
    RwIm2DVertex vertices[4];
    BuildRect(vertices, rect, {}, PackColor(colour));
    DrawRect(vertices, Look::Blended, nullptr, colour);
}

void DrawTexturedRect(RwRaster* texture, const ScreenRect& rect, const ScreenRect& uv, const Color& colour)
{
    RwIm2DVertex vertices[4];
    BuildRect(vertices, rect, uv, PackColor(colour));
    DrawRect(vertices, Look::Textured, texture, colour);
}

void DrawRotatedTexturedRect(RwRaster* texture, const ScreenRect& rect, const ScreenRect& uv, const Vector2& pivot,
                             float angle, const Color& colour)
{
    RwIm2DVertex vertices[4];
    BuildRect(vertices, rect, uv, PackColor(colour));
    const float c = std::cos(angle), s = std::sin(angle);
    for (RwIm2DVertex& v : vertices) {
        const float dx = v.x - pivot.x, dy = v.y - pivot.y;
        v.x = pivot.x + c * dx + s * dy;
        v.y = pivot.y + c * dy - s * dx;
    }
    DrawRect(vertices, Look::Textured, texture, colour);
}

namespace {

// A quad's corners in the order p0 (u, v), p1 (u + du, v), p2 (u, v + dv), p3 (u + du, v + dv).
void SetQuadUVs(RwIm3DVertex* vertices, const ScreenRect& uv)
{
    const float us[4] = {uv.x, uv.x + uv.w, uv.x, uv.x + uv.w};
    const float vs[4] = {uv.y, uv.y, uv.y + uv.h, uv.y + uv.h};
    for (int i = 0; i < 4; ++i) {
        vertices[i].u = us[i];
        vertices[i].v = vs[i];
    }
}

}  // namespace

void DrawTexturedQuad3D(const Vector3 points[4], RwRaster* texture, const ScreenRect& uv, const Color& colour)
{
    Immediate3DCache* cache = Immediate3DCache::Instance();
    cache->Begin(rwPrimTypeTriStrip, false);
    RwIm3DVertex* vertices = cache->AllocVertices(4);
    Immediate3DCache::SetPositions(vertices, points, 4);
    Immediate3DCache::SetColors(vertices, colour, 4);
    SetQuadUVs(vertices, uv);
    RenderStateSaver saver;
    if (s_set3DStates)
        SetStates(saver, Look::Textured, texture, colour);
    cache->Flush();
    saver.Restore();
}

void DrawTexturedQuads3D(const Vector3* points, const ScreenRect* uvs, size_t count, RwRaster* texture,
                         const Color& colour)
{
    if (count == 0)
        return;
    RenderStateSaver saver;
    if (s_set3DStates)
        SetStates(saver, Look::Textured, texture, colour);
    Immediate3DCache* cache = Immediate3DCache::Instance();
    for (size_t first = 0; first < count; first += kQuadsPerHandOver) {
        const size_t n = std::min(count - first, kQuadsPerHandOver);
        cache->Begin(rwPrimTypeTriList, true);
        RwIm3DVertex* vertices = cache->AllocVertices(static_cast<int>(4 * n));
        Immediate3DCache::SetPositions(vertices, points + 4 * first, static_cast<int>(4 * n));
        Immediate3DCache::SetColors(vertices, colour, static_cast<int>(4 * n));
        for (size_t q = 0; q < n; ++q)
            SetQuadUVs(vertices + 4 * q, uvs[first + q]);
        RwImVertexIndex* indices = cache->AllocIndices(static_cast<int>(6 * n));
        for (size_t q = 0; q < n; ++q)
            for (size_t k = 0; k < 6; ++k)
                indices[6 * q + k] = static_cast<RwImVertexIndex>(4 * q + kStripQuadIndices[k]);
        cache->Flush();
    }
    saver.Restore();
}

void DrawWorldMarker(const Vector3 points[4], RwRaster* texture)
{
    RenderStateSaver saver;
    saver.Set(rwRenderStateShadeMode, rwShadeFlat);
    saver.Set(rwRenderStateTextureRaster, reinterpret_cast<intptr_t>(texture));
    saver.Set(rwRenderStateVertexAlphaEnable, 0);
    saver.Set(rwRenderStateSrcBlend, rwBlendSrcAlpha);
    saver.Set(rwRenderStateDestBlend, rwBlendInvSrcAlpha);
    saver.Set(rwRenderStateTextureAddress, rwTextureAddressClamp);
    saver.Set(rwRenderStateZWriteEnable, 0);
    saver.Set(rwRenderStateZTestEnable, 1);
    const bool setStates = s_set3DStates;
    s_set3DStates = false;
    DrawTexturedQuad3D(points, texture, {0.0f, 0.0f, 1.0f, 1.0f}, Color::White);
    s_set3DStates = setStates;
    saver.Restore();
}
