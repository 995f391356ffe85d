#include "menus/MenuImage.h"

#include "engine/core/RwCore.h"
#include "framework/Debug.h"
#include "framework/Registration.h"
#include "framework/StringUtil.h"
#include "framework/TimeInfo.h"
#include "menus/Menu.h"
#include "menus/MenuText.h"
#include "menus/XmlParser.h"
#include "scene/RenderStateSaver.h"
#include "scene/ScreenDraw.h"
#include "scene/Texture.h"

#include <cmath>
#include <cstdio>

REGISTER_FACTORY(MenuItems, MenuImage);
REGISTER_FACTORY(MenuItems, MenuPalmTree);

namespace {

constexpr float kShadowAlpha = 0.375f;
constexpr float kDisabledShade = 0.5f;
const ScreenRect kWholeTexture{0.0f, 0.0f, 1.0f, 1.0f};
// The palm tree's shade, its distance behind the plane, and its sway: angle frequencies in
// radians per second and largest angles (3, 3 and 1 degrees).
const Color kPalmShade(0.0f, 0.0f, 0.0f, 0.2f);
constexpr float kPalmDepth = 0.3f;
constexpr float kSwayX = 0.3f, kSwayY = 0.8f, kSwayZ = 0.14f;
constexpr float kSwayTilt = 0.05235988f, kSwayTurn = 0.017453292f;

Texture* LoadTexture(const std::string& path)
{
    // Textures need a running engine; tools and tests without one show untextured pictures.
    if (RwEngineGetState() != 3)
        return nullptr;
    return TextureManager::Instance()->CreateTexture(path.c_str(), nullptr, false);
}

}  // namespace

Color ReadMenuColor(const std::string& text, const Color& fallback, const std::string& itemName)
{
    StringTokenizer tokens(text, ",");
    const int count = tokens.CountTokens();
    float channels[4] = {fallback.r, fallback.g, fallback.b, fallback.a};
    for (int i = 0; i < 4 && i < count; ++i)
        channels[i] = static_cast<float>(tokens.NextInt()) / 255.0f;
    if (count == 3)
        channels[3] = 1.0f;
    if (count < 3)
        LogWarning("MenuImage::Create: the color \"%s\" of \"%s\" has fewer than three numbers; the missing ones "
                   "stay as they were\n",
                   text.c_str(), itemName.c_str());
    return Color(channels[0], channels[1], channels[2], channels[3]);
}

void MenuImage::Create(XmlNode* node)
{
    ReadCommonAttributes(node);
    m_is3d = true;
    if (!node)
        return;
    ReadPicture(node);
    m_fitText = node->GetAttribute("fitText");
    if (node->HasAttribute("fitMargin"))
        std::sscanf(node->GetAttribute("fitMargin").c_str(), "%f", &m_fitMargin);
    if (node->HasAttribute("is3d")) {
        int is3d = 1;
        std::sscanf(node->GetAttribute("is3d").c_str(), "%d", &is3d);
        m_is3d = is3d != 0;
    }
}

void MenuImage::ReadPicture(XmlNode* node)
{
    m_texturePath = std::string(kTextureFolder) + node->GetAttribute("texture");
    ReadPair(node, "position", m_rect.x, m_rect.y);
    ReadPair(node, "size", m_rect.z, m_rect.w);
    if (node->HasAttribute("color"))
        m_color = ReadMenuColor(node->GetAttribute("color"), m_color, m_name);
    m_texture = LoadTexture(m_texturePath);
}

void MenuImage::SetTexture(const std::string& fileName)
{
    const std::string path = kTextureFolder + fileName;
    if (path == m_texturePath)
        return;
    m_texturePath = path;
    m_texture = LoadTexture(m_texturePath);
}

bool MenuImage::HitTest(float x, float y) const
{
    if (!m_menu)
        return false;
    const Vector2 m = m_menu->ScreenToMenu(x, y);
    return m_hitRect.x <= m.x && m.x < m_hitRect.x + m_hitRect.z && m_hitRect.y <= m.y &&
           m.y < m_hitRect.y + m_hitRect.w;
}

void MenuImage::PlaneCorners(const Vector4& r, const Vector3& position, const Quaternion& rotation,
                             Vector3 (&corners)[4])
{
    const Vector2 screen = Menu::ScreenSize();
    const float x = r.x - screen.x / 2, y = r.y - screen.y / 2, h = screen.y;
    const Vector3 plane[4] = {{-x, -y, 0.0f}, {-(x + r.z), -y, 0.0f}, {-x, -(y + r.w), 0.0f}, {-(x + r.z), -(y + r.w), 0.0f}};
    for (int i = 0; i < 4; ++i)
        corners[i] = position + rotation.Rotate(Vector3(plane[i].x / h, plane[i].y / h, 0.0f));
}

Vector4 MenuImage::FittedRect() const
{
    Vector4 r = m_rect;
    const float scale = m_menu->GetScale().x;
    if (m_fitText.empty() || !m_menu->HasItem(m_fitText, 0) || scale <= 0.0f)
        return r;
    const float wanted = m_menu->GetItem(m_fitText, 0)->GetArea().z / scale + 2.0f * m_fitMargin;
    if (wanted > r.z) {
        r.x -= (wanted - r.z) * 0.5f;
        r.z = wanted;
    }
    return r;
}

void MenuImage::Draw(int pass)
{
    if (!m_visible || !m_menu)
        return;
    Vector4 r = FittedRect();
    if (!m_is3d)
        r.x += GetFadeOffset();
    r.x += m_menu->GetOffset().x;
    r.y += m_menu->GetOffset().y;
    m_menu->ScaleRect(r);
    m_hitRect = r;
    Color c = m_color;
    if (!m_enabled)
        c = Color(c.r * kDisabledShade, c.g * kDisabledShade, c.b * kDisabledShade, c.a * kDisabledShade);
    RwRaster* raster = m_texture ? m_texture->GetRaster() : nullptr;
    RenderStateSaver saver;
    saver.Set(rwRenderStateCullMode, rwCullNone);
    if (m_is3d) {
        Quaternion rotation;
        Vector3 position;
        GetPlanePose(position, rotation);
        if (pass == 0)
            position += rotation.Rotate(menutext::kShadowShift);
        Vector3 corners[4];
        PlaneCorners(r, position, rotation, corners);
        DrawTexturedQuad3D(corners, raster, kWholeTexture, pass == 0 ? Color(0.0f, 0.0f, 0.0f, c.a * kShadowAlpha) : c);
    } else if (pass == 0) {
        DrawTexturedRect(raster, {r.x, r.y, r.z, r.w}, kWholeTexture, c);
    }
    saver.Restore();
}

void MenuPalmTree::Create(XmlNode* node)
{
    ReadCommonAttributes(node);
    if (node)
        ReadPicture(node);
}

void MenuPalmTree::Draw(int pass)
{
    if (pass != 1 || !m_visible || !m_menu)
        return;
    Vector4 r = m_rect;
    r.x += m_menu->GetOffset().x;
    r.y += m_menu->GetOffset().y;
    m_menu->ScaleRect(r);
    const float t = TimeInfo::Instance()->GetMenuTime();
    const Quaternion sway = Quaternion(std::sin(kSwayY * t) * kSwayTilt, Vector3::UnitY) *
                            Quaternion(std::sin(kSwayX * t) * kSwayTilt, Vector3::UnitX) *
                            Quaternion(std::sin(kSwayZ * t) * kSwayTurn, Vector3::UnitZ);
    const Quaternion rotation = m_menu->GetRotation() * sway;
    const Vector3 position = m_menu->GetPosition() + rotation.Rotate(Vector3(0.0f, 0.0f, kPalmDepth));
    Vector3 corners[4];
    PlaneCorners(r, position, rotation, corners);
    RenderStateSaver saver;
    saver.Set(rwRenderStateCullMode, rwCullNone);
    DrawTexturedQuad3D(corners, m_texture ? m_texture->GetRaster() : nullptr, kWholeTexture, kPalmShade);
    saver.Restore();
}
