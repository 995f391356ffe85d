#include "text/TextDraw.h"

#include "engine/core/RwCore.h"
#include "scene/RenderStateSaver.h"

#include <algorithm>

namespace textdraw {

namespace {

RwUInt8 Channel(float value)
{
    return static_cast<RwUInt8>(std::clamp(value, 0.0f, 1.0f) * 255.0f + 0.5f);
}

RwUInt32 Pack(const Color& colour)
{
    return RwPackColor(Channel(colour.r), Channel(colour.g), Channel(colour.b), Channel(colour.a));
}

void SetStates(RenderStateSaver& saver, RwRaster* raster, const Color& colour)
{
    saver.Set(rwRenderStateTextureRaster, reinterpret_cast<intptr_t>(raster));
    saver.Set(rwRenderStateTextureAddress, rwTextureAddressClamp);
    saver.Set(rwRenderStateShadeMode, rwShadeFlat);
    saver.Set(rwRenderStateSrcBlend, rwBlendSrcAlpha);
    saver.Set(rwRenderStateDestBlend, rwBlendInvSrcAlpha);
    // The glyphs' own alpha blends through the texture; vertex alpha only fades.
    saver.Set(rwRenderStateVertexAlphaEnable, colour.a != 1.0f);
    saver.Set(rwRenderStateZWriteEnable, 0);
    saver.Set(rwRenderStateZTestEnable, 0);
}

}  // namespace

void DrawTexturedRect(RwRaster* raster, const TextRect& screen, const TextRect& uv, const Color& colour)
{
    const float z = RwIm2DGetNearScreenZ();
    const RwUInt32 packed = Pack(colour);
    const float x0 = screen.x, y0 = screen.y, x1 = screen.x + screen.width, y1 = screen.y + screen.height;
    const float u0 = uv.x, v0 = uv.y, u1 = uv.x + uv.width, v1 = uv.y + uv.height;
    const RwIm2DVertex vertices[4] = {{x0, y0, z, 1, packed, u0, v0},
                                      {x1, y0, z, 1, packed, u1, v0},
                                      {x1, y1, z, 1, packed, u1, v1},
                                      {x0, y1, z, 1, packed, u0, v1}};
    const RwImVertexIndex indices[6] = {3, 2, 0, 2, 1, 0};
    RenderStateSaver saver;
    SetStates(saver, raster, colour);
    RwIm2DRenderIndexedPrimitive(rwPrimTypeTriList, vertices, 4, indices, 6);
    saver.Restore();
}

void DrawTexturedQuad3D(const Vector3 (&corners)[4], RwRaster* raster, const TextRect& uv, const Color& colour)
{
    const RwUInt32 packed = Pack(colour);
    const float us[4] = {uv.x, uv.x + uv.width, uv.x, uv.x + uv.width};
    const float vs[4] = {uv.y, uv.y, uv.y + uv.height, uv.y + uv.height};
    RwIm3DVertex vertices[4];
    for (int i = 0; i < 4; ++i)
        vertices[i] = {{corners[i].x, corners[i].y, corners[i].z}, {0, 0, 1}, packed, us[i], vs[i]};
    RenderStateSaver saver;
    SetStates(saver, raster, colour);
    if (RwIm3DTransform(vertices, 4, nullptr, rwIm3DVertexUV)) {
        RwIm3DRenderPrimitive(rwPrimTypeTriStrip);
        RwIm3DEnd();
    }
    saver.Restore();
}

}  // namespace textdraw
