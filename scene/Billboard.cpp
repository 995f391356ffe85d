#include "scene/Billboard.h"

#include "engine/core/RwCore.h"
#include "framework/Debug.h"
#include "framework/Registration.h"
#include "framework/Serializer.h"
#include "scene/Camera.h"
#include "scene/RenderStateSaver.h"
#include "scene/RwGraphics.h"
#include "scene/Texture.h"

#include <algorithm>
#include <cmath>
#include <vector>

REGISTER_FACTORY(RenderObjects, Billboard);

namespace {

constexpr int32_t kFirstBlend = 1;
constexpr int32_t kLastBlend = 11;
const char* const kBlendHint =
    "combobox [Zero][One][Source Color][Inv. Source Color][Source Alpha][Inv. Source Alpha][Dest Alpha]"
    "[Inv. Dest Alpha][Dest Color][Inv. Dest Color][Source Alpha Sat.]";

const RwImVertexIndex kQuadIndices[6] = {2, 1, 0, 0, 3, 2};

RwUInt8 Channel(float value)
{
    return static_cast<RwUInt8>(std::clamp(value, 0.0f, 1.0f) * 255.0f);
}

}  // namespace

int32_t SpriteSheetCount(int32_t count, const char* caller, const char* what)
{
    if (count >= 1)
        return count;
    LogWarning("%s: %s %d read as 1\n", caller, what, count);
    return 1;
}

Billboard::Billboard()
{
    Init(nullptr, rwBlendSrcAlpha, rwBlendInvSrcAlpha);
}

bool Billboard::Init(Texture* texture, int32_t sourceBlend, int32_t destinationBlend)
{
    m_upright = false;
    m_mipFilter = false;
    m_texture = texture;
    SetUVRect(0.0f, 0.0f, 1.0f, 1.0f);
    m_sourceBlend = sourceBlend;
    m_destinationBlend = destinationBlend;
    m_zWrite = false;
    m_zTest = true;
    m_position = Vector3{0.0f, 0.0f, 0.0f};
    m_angle = 0.0f;
    m_size = 1.0f;
    m_color = Color::White;
    return true;
}

void Billboard::SetUVRect(float uMin, float vMin, float uMax, float vMax)
{
    m_uv[0] = uMin;
    m_uv[1] = vMin;
    m_uv[2] = uMax;
    m_uv[3] = vMax;
}

void Billboard::BuildQuad(const Matrix3& view, RwIm3DVertex corners[4]) const
{
    Matrix3 m = view;
    if (m_upright) {
        float x = 0.0f, y = 0.0f, z = 0.0f;
        view.ToEulerAngles(x, y, z);
        m.FromEulerXYZ(x, 0.0f, 0.0f);
    }
    const float s = std::sin(m_angle), c = std::cos(m_angle);
    const Vector3 quad[4] = {{c, s, 0.0f}, {-s, c, 0.0f}, {-c, -s, 0.0f}, {s, -c, 0.0f}};
    const float uv[4][2] = {{m_uv[0], m_uv[1]}, {m_uv[2], m_uv[1]}, {m_uv[2], m_uv[3]}, {m_uv[0], m_uv[3]}};
    // Truncated, not rounded: 0.5 gives 127.
    const RwUInt32 colour = RwPackColor(Channel(m_color.r), Channel(m_color.g), Channel(m_color.b), Channel(m_color.a));
    for (int i = 0; i < 4; ++i) {
        const Vector3 p = m_position + m.Transform(quad[i]) * m_size;
        corners[i] = RwIm3DVertex{{p.x, p.y, p.z}, {0.0f, 0.0f, 0.0f}, colour, uv[i][0], uv[i][1]};
    }
}

bool Billboard::InView() const
{
    const Camera* camera = RwGraphics::Instance()->GetCamera();
    if (!m_texture || !m_texture->GetRaster() || !camera || !camera->GetRwCamera())
        return false;
    const RwSphere sphere{{m_position.x, m_position.y, m_position.z}, m_size};
    return RwCameraFrustumTestSphere(camera->GetRwCamera(), &sphere) != rwSphereOutside;
}

void Billboard::SetDrawStates(RenderStateSaver& states) const
{
    states.Set(rwRenderStateTextureRaster, reinterpret_cast<intptr_t>(m_texture ? m_texture->GetRaster() : nullptr));
    states.Set(rwRenderStateVertexAlphaEnable, 1);
    states.Set(rwRenderStateShadeMode, rwShadeFlat);
    states.Set(rwRenderStateSrcBlend, m_sourceBlend);
    states.Set(rwRenderStateDestBlend, m_destinationBlend);
    states.Set(rwRenderStateTextureAddress, rwTextureAddressClamp);
    states.Set(rwRenderStateZWriteEnable, m_zWrite);
    states.Set(rwRenderStateZTestEnable, m_zTest);
    states.Set(rwRenderStateTextureFilter, m_mipFilter ? rwFilterLinearMipLinear : rwFilterLinear);
}

bool Billboard::DrawsLike(const Billboard& other) const
{
    return m_texture == other.m_texture && m_sourceBlend == other.m_sourceBlend &&
           m_destinationBlend == other.m_destinationBlend && m_zWrite == other.m_zWrite && m_zTest == other.m_zTest &&
           m_mipFilter == other.m_mipFilter;
}

void Billboard::Render()
{
    if (!InView())
        return;
    RwIm3DVertex corners[4];
    BuildQuad(RwGraphics::Instance()->GetCameraMatrix(), corners);
    RenderStateSaver states;
    SetDrawStates(states);
    DrawQuads(corners, 1);
    states.Restore();
}

void DrawQuads(RwIm3DVertex* corners, size_t quads)
{
    // Each quad's corners go round it; the index type reaches this many vertices.
    constexpr size_t kMaxQuads = 65536 / 4;
    std::vector<RwImVertexIndex> indices;
    for (size_t first = 0; first < quads; first += kMaxQuads) {
        const size_t count = std::min(quads - first, kMaxQuads);
        indices.clear();
        for (size_t q = 0; q < count; ++q)
            for (const RwImVertexIndex corner : kQuadIndices)
                indices.push_back(static_cast<RwImVertexIndex>(q * 4 + corner));
        if (RwIm3DTransform(corners + first * 4, static_cast<RwUInt32>(count * 4), nullptr,
                            rwIm3DVertexUV | rwIm3DVertexXYZ | rwIm3DVertexRGBA)) {
            RwIm3DRenderIndexedPrimitive(rwPrimTypeTriList, indices.data(), static_cast<RwInt32>(indices.size()));
            RwIm3DEnd();
        }
    }
}

void Billboard::Update(float) {}

void AnimatedBillboard::SetLayout(int32_t rows, int32_t columns)
{
    m_rows = SpriteSheetCount(rows, "AnimatedBillboard::SetLayout", "rows");
    m_columns = SpriteSheetCount(columns, "AnimatedBillboard::SetLayout", "columns");
}

void AnimatedBillboard::SetFrameCount(int32_t frames)
{
    m_frames = SpriteSheetCount(frames, "AnimatedBillboard::SetFrameCount", "frames");
}

void AnimatedBillboard::SetFrame(int32_t frame)
{
    frame = std::clamp(frame, 0, m_frames - 1);
    const int32_t row = frame / m_columns, column = frame % m_columns;
    const RwRaster* raster = m_texture ? m_texture->GetRaster() : nullptr;
    const float texelU = raster && raster->width > 0 ? 1.0f / static_cast<float>(raster->width) : 0.0f;
    const float texelV = raster && raster->height > 0 ? 1.0f / static_cast<float>(raster->height) : 0.0f;
    const float columns = static_cast<float>(m_columns), rows = static_cast<float>(m_rows);
    SetUVRect(static_cast<float>(column) / columns + texelU, static_cast<float>(row) / rows + texelV,
              static_cast<float>(column + 1) / columns - texelU, static_cast<float>(row + 1) / rows - texelV);
}

void AnimatedBillboard::Update(float dt)
{
    m_time += dt * m_speed;
    m_finished = false;
    const float frames = static_cast<float>(m_frames);
    if (m_time >= frames) {
        m_finished = true;
        m_time = m_loop ? 0.0f : frames - 0.0001f;
    }
    SetFrame(static_cast<int32_t>(m_time));
}

void SerializeBlend(Serializer& serializer, const char* key, int32_t& blend, const char* caller)
{
    int32_t stored = blend - 1;
    serializer.SerializeButton(kBlendHint, "");
    serializer.SerializeInt(key, &stored);
    // Compared as stored: a stored extreme plus one would overflow.
    if (stored >= kFirstBlend - 1 && stored <= kLastBlend - 1)
        blend = stored + 1;
    else
        LogWarning("%s: %s %d ignored\n", caller, key, stored);
}
