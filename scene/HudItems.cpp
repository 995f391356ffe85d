#include "scene/HudItems.h"

#include "framework/Registration.h"
#include "framework/Serializer.h"
#include "scene/ScreenDraw.h"
#include "scene/Texture.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

REGISTER_FACTORY(HudItems, HudImage);
REGISTER_FACTORY(HudItems, HudMeter);
REGISTER_FACTORY(HudItems, HudText);

namespace {

constexpr float kVirtualWidth = 800.0f;
constexpr float kVirtualHeight = 600.0f;

float s_screenScaleX = 1.0f;
float s_screenScaleY = 1.0f;
HudTextService* s_textService = nullptr;

// Integer halving toward minus infinity.
int Half(int value)
{
    return value >= 0 ? value / 2 : -((-value + 1) / 2);
}

// A pixel measure from a stored position or scale, which may hold any float: kept far inside
// int so that alignment sums cannot overflow either; not a number places at 0.
int Pixels(float value)
{
    constexpr float kLimit = 1 << 24;
    return std::isnan(value) ? 0 : static_cast<int>(std::clamp(value, -kLimit, kLimit));
}

}  // namespace

HudTextService::~HudTextService() = default;

void SetHudTextService(HudTextService* service)
{
    s_textService = service;
}

HudTextService* GetHudTextService()
{
    return s_textService;
}

// Item ------------------------------------------------------------------------------------

void HudItem::SetScreenSize(int width, int height)
{
    s_screenScaleX = static_cast<float>(width) / kVirtualWidth;
    s_screenScaleY = static_cast<float>(height) / kVirtualHeight;
}

void HudItem::Serialize(Serializer& serializer, const char* descriptor)
{
    serializer.BeginSection("HudItem", descriptor);
    bool visible = IsVisible();
    serializer.SerializeBool("Visible", &visible);
    RenderObject::SetVisible(visible);
    serializer.SerializeVector3("Position", &m_position);
    serializer.SerializeButton("combobox [Left][Center][Right]", "");
    serializer.SerializeInt("horiz. align.", &m_horizontalAlign);
    serializer.SerializeButton("combobox [Top][Middle][Bottom]", "");
    serializer.SerializeInt("vert. align.", &m_verticalAlign);
    serializer.SerializeFloat("scaleX", &m_scaleX);
    serializer.SerializeFloat("scaleY", &m_scaleY);
    serializer.EndSection();
}

std::string HudItem::GetParameter(const std::string& key) const
{
    const auto it = m_parameters.find(key);
    return it == m_parameters.end() ? std::string() : it->second;
}

bool HudItem::ColorParameter(Color& colour) const
{
    const std::string text = GetParameter("color");
    int r = 0, g = 0, b = 0, a = 0;
    char rest = 0;
    if (std::sscanf(text.c_str(), " %d , %d , %d , %d %c", &r, &g, &b, &a, &rest) != 4)
        return false;
    const auto channel = [](int value) { return std::clamp(value, 0, 255); };
    colour.Set255(channel(r), channel(g), channel(b), channel(a));
    return true;
}

void HudItem::Render()
{
    if (!IsVisible())
        return;
    const float sx = s_screenScaleX * m_scaleX;
    const float sy = s_screenScaleY * m_scaleY;
    int width = 0, height = 0;
    GetSize(width, height);
    const int scaledWidth = Pixels(static_cast<float>(width) * sx);
    const int scaledHeight = Pixels(static_cast<float>(height) * sy);
    m_pixelX = Pixels(s_screenScaleX * m_position.x);
    m_pixelY = Pixels(s_screenScaleY * m_position.y);
    if (m_horizontalAlign == kCenter)
        m_pixelX -= Half(scaledWidth);
    else if (m_horizontalAlign == kRight)
        m_pixelX -= scaledWidth;
    if (m_verticalAlign == kMiddle)
        m_pixelY -= Half(scaledHeight);
    else if (m_verticalAlign == kBottom)
        m_pixelY -= scaledHeight;
    Draw(m_pixelX, m_pixelY, sx, sy);
}

// Image -----------------------------------------------------------------------------------

void HudImage::Serialize(Serializer& serializer, const char* descriptor)
{
    HudItem::Serialize(serializer, "(HudItem)this");
    serializer.BeginSection("HudImage", descriptor);
    serializer.SerializeButton("filename", "");
    serializer.SerializeString("Texture", &m_fileName);
    serializer.SerializeInt("Native width", &m_nativeWidth);
    serializer.SerializeInt("Native height", &m_nativeHeight);
    serializer.SerializeBool("Flip horizontally", &m_flipHorizontal);
    serializer.SerializeBool("Flip vertically", &m_flipVertical);
    serializer.EndSection();
    if (serializer.IsReading())
        LoadTexture();
}

void HudImage::SetImage(const std::string& fileName, int width, int height)
{
    NameImage(fileName, width, height);
    LoadTexture();
}

void HudImage::LoadTexture()
{
    m_texture = m_fileName.empty() ? nullptr
                                   : TextureManager::Instance()->CreateTexture(m_fileName.c_str(), nullptr, false);
}

void HudImage::GetSize(int& width, int& height) const
{
    width = m_nativeWidth;
    height = m_nativeHeight;
}

void HudImage::Draw(int x, int y, float sx, float sy)
{
    if (!m_texture || !m_texture->GetRaster())
        return;
    const ScreenRect rect{static_cast<float>(x), static_cast<float>(y), static_cast<float>(m_nativeWidth) * sx,
                          static_cast<float>(m_nativeHeight) * sy};
    const ScreenRect uv{m_flipHorizontal ? 1.0f : 0.0f, m_flipVertical ? 1.0f : 0.0f, m_flipHorizontal ? -1.0f : 1.0f,
                        m_flipVertical ? -1.0f : 1.0f};
    DrawTexturedRect(m_texture->GetRaster(), rect, uv, Color::White);
}

// Meter -----------------------------------------------------------------------------------

void HudMeter::Serialize(Serializer& serializer, const char* descriptor)
{
    HudImage::Serialize(serializer, "(HudImage)this");
    serializer.BeginSection("HudMeter", descriptor);
    serializer.SerializeFloat("Meter size (fraction)", &m_meterSize);
    serializer.SerializeButton("combobox [Left to Right][Right to Left][Top to Bottom][Bottom to Top]", "");
    serializer.SerializeInt("Grow Type", &m_growType);
    serializer.EndSection();
}

float HudMeter::GetLevel() const
{
    float level = m_meterSize;
    const std::string text = GetParameter("level");
    if (!text.empty()) {
        char* end = nullptr;
        errno = 0;
        const float value = std::strtof(text.c_str(), &end);
        if (end != text.c_str() && errno == 0)
            level = value;
    }
    return std::isnan(level) ? 0.0f : std::clamp(level, 0.0f, 1.0f);
}

void HudMeter::GetSize(int& width, int& height) const
{
    HudImage::GetSize(width, height);
    const float level = GetLevel();
    if (m_growType == kTopToBottom || m_growType == kBottomToTop)
        height = Pixels(static_cast<float>(height) * level);
    else
        width = Pixels(static_cast<float>(width) * level);
}

void HudMeter::Draw(int x, int y, float sx, float sy)
{
    if (!m_texture || !m_texture->GetRaster())
        return;
    const float level = GetLevel();
    auto w = static_cast<float>(Pixels(static_cast<float>(m_nativeWidth) * sx));
    auto h = static_cast<float>(Pixels(static_cast<float>(m_nativeHeight) * sy));
    ScreenRect uv{0.0f, 0.0f, 1.0f, 1.0f};
    const bool vertical = m_growType == kTopToBottom || m_growType == kBottomToTop;
    // The shown part's share of the texture, and for the far edges the skipped part's.
    const auto shrink = [level](float& size, float& start, float& extent, bool fromFarEdge) {
        if (size <= 0.0f)
            return;
        if (fromFarEdge)
            start = static_cast<float>(Pixels(size * (1.0f - level))) / size;
        const auto shown = static_cast<float>(Pixels(size * level));
        extent = shown / size;
        size = shown;
    };
    if (vertical)
        shrink(h, uv.y, uv.h, m_growType == kBottomToTop);
    else
        shrink(w, uv.x, uv.w, m_growType == kRightToLeft);
    // A meter with nothing to show draws nothing.
    if (w <= 0.0f || h <= 0.0f)
        return;
    if (m_flipHorizontal) {
        uv.x += uv.w;
        uv.w = -uv.w;
    }
    if (m_flipVertical) {
        uv.y += uv.h;
        uv.h = -uv.h;
    }
    Color colour = Color::White;
    if (m_useColorParameter)
        ColorParameter(colour);
    DrawTexturedRect(m_texture->GetRaster(), {static_cast<float>(x), static_cast<float>(y), w, h}, uv, colour);
}

// Text ------------------------------------------------------------------------------------

void HudText::Serialize(Serializer& serializer, const char* descriptor)
{
    HudItem::Serialize(serializer, "(HudItem)this");
    serializer.BeginSection("HudText", descriptor);
    serializer.SerializeString("Text", &m_text);
    serializer.SerializeString("Font", &m_font);
    serializer.SerializeColor("Color", &m_colour);
    serializer.EndSection();
}

std::string HudText::GetText() const
{
    const std::string parameter = GetParameter("text");
    if (!parameter.empty())
        return parameter;
    return s_textService ? s_textService->Expand(m_text) : m_text;
}

void HudText::GetSize(int& width, int& height) const
{
    width = height = 0;
    const std::string text = GetText();
    if (!text.empty() && s_textService)
        s_textService->Measure(m_font, text, width, height);
}

void HudText::Draw(int x, int y, float sx, float sy)
{
    if (!s_textService)
        return;
    Color colour = m_colour;
    ColorParameter(colour);
    s_textService->Print(m_font, GetText(), static_cast<float>(x), static_cast<float>(y), sx, sy, colour);
}
