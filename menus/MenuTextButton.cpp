#include "menus/MenuTextButton.h"

#include "framework/Debug.h"
#include "framework/Registration.h"
#include "framework/TimeInfo.h"
#include "menus/Menu.h"
#include "menus/MenuLabel.h"
#include "menus/MenuText.h"
#include "menus/XmlParser.h"
#include "text/TextDisplay.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

REGISTER_FACTORY(MenuItems, MenuTextButton);

namespace {

constexpr const char* kSelectSound = "PlaySelectSound";
// Blink phases per second: shown and hidden every quarter second.
constexpr float kBlinkRate = 4.0f;

int MessageId(const char* name)
{
    return MessageServer::Instance()->RegisterMessage(name);
}

}  // namespace

void MenuTextButton::Create(XmlNode* node)
{
    ReadCommonAttributes(node);
    if (!node)
        return;
    ReadTextAttributes(node, "MenuTextButton");
    if (XmlAttribute* onSelect = node->FindAttribute("OnSelect")) {
        if (onSelect->value.find(kSelectSound) == std::string::npos)
            onSelect->value += onSelect->value.empty() ? kSelectSound : std::string(";") + kSelectSound;
    }
    if (node->HasAttribute("area")) {
        std::sscanf(node->GetAttribute("area").c_str(), "%f,%f,%f,%f", &m_area.x, &m_area.y, &m_area.z, &m_area.w);
        m_hasArea = true;
    }
    if (node->HasAttribute("useOffset"))
        m_useOffset = node->GetAttribute("useOffset") != "false";
}

void MenuTextButton::ReadTextAttributes(XmlNode* node, const char* className)
{
    MenuLabel label;
    label.Read(node, className);
    m_x = label.x;
    m_y = label.y;
    m_text = label.text;
    m_selectedText = label.selectedText;
    m_hasAlign = label.hasAlign;
    m_align = label.align;
}

int MenuTextButton::OnMessage(int message, intptr_t)
{
    HandleNavigation(message);
    return 0;
}

bool MenuTextButton::HandleNavigation(int message)
{
    if (m_fadeState != kIdle || !IsSelected() || !m_menu)
        return false;
    if (message == MessageId("menu select")) {
        m_menu->ExecuteActions(this, m_xmlNode ? m_xmlNode->GetAttribute("OnSelect") : std::string());
    } else if (message == MessageId("menu up")) {
        m_menu->SelectPrevious();
    } else if (message == MessageId("menu down")) {
        m_menu->SelectNext();
    } else if (message == MessageId("menu left") || message == MessageId("menu right")) {
        m_menu->SelectBeside(*this, message == MessageId("menu left") ? -1 : 1);
    } else {
        return false;
    }
    return true;
}

void MenuTextButton::Update(float seconds)
{
    UpdateWithFade(seconds);
    if (m_useOffset)
        UpdatePopOut(seconds, kSpringDamping);
}

void MenuTextButton::UpdatePopOut(float seconds, float damping)
{
    if (IsSelected()) {
        m_popOut = std::min(m_popOut + kPopOutRate * seconds, 1.0f);
        m_popOutVelocity = -1.0f;
        return;
    }
    if (m_popOut == 0.0f && m_popOutVelocity == 0.0f)
        return;
    m_popOut += seconds * m_popOutVelocity;
    m_popOutVelocity = (m_popOutVelocity - m_popOut * seconds * kSpringStiffness) * damping;
    if (std::fabs(m_popOutVelocity) < kSpringRest && std::fabs(m_popOut) < kSpringRest)
        m_popOut = m_popOutVelocity = 0.0f;
}

bool MenuTextButton::Contains(const Vector4& rect, float x, float y)
{
    return rect.x <= x && x < rect.x + rect.z && rect.y <= y && y < rect.y + rect.w;
}

bool MenuTextButton::HitTest(float x, float y) const
{
    if (!m_menu)
        return false;
    const Vector2 point = m_menu->ScreenToMenu(x, y);
    return Contains(m_rect, point.x, point.y);
}

std::string MenuTextButton::DisplayText() const
{
    return m_menu->ExpandVariables(IsSelected() ? m_selectedText : m_text);
}

std::string MenuTextButton::BlinkText() const
{
    if (m_extraText.empty() || m_extraText[0] != '%')
        return m_extraText;
    // Entered when absent, as the menu's variable lookups do.
    return m_menu->Variables()[m_extraText];
}

Vector3 MenuTextButton::PlaneAnchor() const
{
    constexpr int kRight = 1, kCentre = 2;
    float x = m_rect.x;
    if (m_hasAlign && m_align == kRight)
        x += m_rect.z;
    else if (m_hasAlign && m_align == kCentre)
        x += m_rect.z * 0.5f;
    const float y = m_rect.y + m_rect.w * 0.5f;
    const Vector2 screen = Menu::ScreenSize();
    if (screen.y <= 0.0f)
        return Vector3();
    return Vector3(-(x - screen.x * 0.5f) / screen.y, -(y - screen.y * 0.5f) / screen.y, 0.0f);
}

void MenuTextButton::PrintOnPlane(int pass, const std::string& text, float shadowFollow) const
{
    float x = m_x, y = m_y;
    m_menu->ScalePoint(x, y);
    Quaternion rotation;
    Vector3 origin;
    GetPlanePose(origin, rotation);
    const float depth = m_useOffset ? kPopOutDepth * m_popOut : 0.0f;
    Vector3 offset(0.0f, 0.0f, -depth);
    if (const Vector3* eye = m_menu->GetEye(); eye && depth != 0.0f)
        offset = menutext::PopOutOffset(PlaneAnchor(), rotation.Conjugate().Rotate(*eye - origin), depth);
    const Vector3 lift = rotation.Rotate(offset);
    const Vector3 position = pass == 0 ? origin + rotation.Rotate(menutext::kShadowShift) + lift * shadowFollow : origin + lift;
    menutext::Print3D(text, x, y, position, rotation);
}

void MenuTextButton::MeasureRect(const std::string& display)
{
    if (m_hasArea) {
        m_rect = m_area;
        m_menu->ScaleRect(m_rect);
    } else {
        float x = m_x, y = m_y;
        m_menu->ScalePoint(x, y);
        TextRect measured;
        TextDisplay::Instance()->MeasureText(measured, display);
        m_rect = Vector4(measured.x + x, measured.y + y, measured.width, measured.height);
    }
    menutext::DrawDebugBox(m_rect);
}

void MenuTextButton::Draw(int pass)
{
    if (!m_visible || !m_menu)
        return;
    std::string display = DisplayText();
    const menutext::AlignScope align(m_hasAlign, m_align);
    if (pass == 0) {
        if (m_blinking && !m_extraText.empty())
            display = BlinkText();
        PrintOnPlane(pass, menutext::ShadowText(display), 1.0f);
    } else if (!m_enabled) {
        PrintOnPlane(pass, menutext::InColor(display, "255 255 255 100"), 1.0f);
    } else if (m_blinking) {
        // The shadow's text: a variable named by the extra text shows its value here too.
        if (!m_extraText.empty())
            display = BlinkText();
        const bool shown = static_cast<long>(TimeInfo::Instance()->GetMenuTime() * kBlinkRate) % 2 != 0;
        PrintOnPlane(pass, menutext::InColor(display, shown ? "255 255 255 255" : "0 0 0 0"), 1.0f);
    } else {
        PrintOnPlane(pass, display, 1.0f);
    }
    MeasureRect(display);
}
