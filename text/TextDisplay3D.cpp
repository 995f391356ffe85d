#include "text/TextDisplay3D.h"

#include "engine/core/RwCore.h"
#include "scene/RenderStateSaver.h"
#include "text/TextDraw.h"

#include <vector>

namespace {

// Layout units per world unit at global scale 1: the layout's 600 rows span one unit.
constexpr float kLayoutUnitsPerWorldUnit = 600.0f;
constexpr float kLayoutCentreX = 400.0f, kLayoutCentreY = 300.0f;

}  // namespace

void TextDisplay3D::Print(const std::string& text, float x, float y)
{
    TextDisplay* display = TextDisplay::Instance();
    const std::vector<TextRecord>& records = display->LaidOutText(text);
    const float dx = x - kLayoutCentreX * display->GetGlobalScaleX();
    const float dy = y - kLayoutCentreY * display->GetGlobalScaleY();
    // Words in a row of one font and colour are drawn together, as the quads they would be
    // one by one.
    std::vector<GlyphQuad> word;
    std::vector<Vector3> corners;
    std::vector<TextRect> uvs;
    const Font* runFont = nullptr;
    Color runColour;
    const auto drawRun = [&] {
        if (!uvs.empty())
            DrawQuads(corners, uvs, runFont, runColour);
        corners.clear();
        uvs.clear();
    };
    for (const TextRecord& record : records) {
        if (record.kind != kTextWord)
            continue;
        m_attributes = record.attributes;
        const Font* font = m_attributes.font;
        if (!font || !font->GetRaster())
            continue;
        if (font != runFont || !(m_attributes.color == runColour))
            drawRun();
        runFont = font;
        runColour = m_attributes.color;
        PlaceWord(word, record.rect.x + dx, record.rect.y + dy, record.text, m_position, m_rotation, m_pivot);
        for (const GlyphQuad& quad : word) {
            corners.insert(corners.end(), std::begin(quad.corners), std::end(quad.corners));
            uvs.push_back(quad.uv);
        }
    }
    drawRun();
}

void TextDisplay3D::DrawQuads(const std::vector<Vector3>& corners, const std::vector<TextRect>& uvs, const Font* font,
                              const Color& colour) const
{
    RenderStateSaver saver;
    saver.Set(rwRenderStateTextureFilter, rwFilterLinear);
    saver.Set(rwRenderStateCullMode, rwCullNone);
    textdraw::DrawTexturedQuads3D(corners.data(), uvs.data(), uvs.size(), font->GetRaster(), colour);
    saver.Restore();
}

void TextDisplay3D::PlaceWord(std::vector<GlyphQuad>& out, float x, float y, const std::string& word,
                              const Vector3& position, const Quaternion& rotation, const Vector3& pivot) const
{
    out.clear();
    const Font* font = m_attributes.font;
    if (!font)
        return;
    const TextDisplay* display = TextDisplay::Instance();
    const float gx = display->GetGlobalScaleX(), gy = display->GetGlobalScaleY();
    // One world unit is the screen's height across as well as down: on a screen wider than 4:3
    // (gx > gy) a layout unit is still one pixel there, as for the menu's pictures and hit tests.
    const float k = 1.0f / (kLayoutUnitsPerWorldUnit * gy);
    const float sx = gx * m_attributes.scaleX, sy = gy * m_attributes.scaleY;
    const float top = y * k;
    font->WalkGlyphs(word, sx, x, [&](float pen, const TextRect& size, const TextRect& uv) {
        GlyphQuad quad;
        quad.uv = uv;
        const float left = pen * k, width = size.width * sx * k, height = size.height * sy * k;
        const Vector3 plane[4] = {{-left, -top, 0.0f},
                                  {-(left + width), -top, 0.0f},
                                  {-left, -(top + height), 0.0f},
                                  {-(left + width), -(top + height), 0.0f}};
        for (int i = 0; i < 4; ++i)
            quad.corners[i] = position + pivot + rotation.Rotate(plane[i] - pivot);
        out.push_back(quad);
    });
}

