#include "menus/MenuItem.h"

#include "framework/Random.h"
#include "framework/Registration.h"
#include "menus/Menu.h"
#include "menus/XmlParser.h"

#include <cmath>
#include <cstdio>
#include <numbers>

REGISTER_FACTORY(MenuItems, MenuOrigin);
REGISTER_FACTORY(MenuItems, MenuCustomElement);

namespace {

constexpr float kPi = std::numbers::pi_v<float>;
// How far a scrolling item starts beside its place, in menu units.
constexpr float kScrollDistance = 1000.0f;
// How far a 3D item starts from its place, in world units.
constexpr float kFadeDistance = 1.5f;

}  // namespace

void MenuItem::ReadPair(const XmlNode* node, const char* attribute, float& x, float& y)
{
    if (node->HasAttribute(attribute))
        std::sscanf(node->GetAttribute(attribute).c_str(), "%f,%f", &x, &y);
}

void MenuItem::Update(float)
{
    if (!m_updateAction.empty() && m_menu)
        m_menu->ExecuteActions(this, m_updateAction);
}

void MenuItem::Draw(int) {}

void MenuItem::SetName(const char* name)
{
    m_name = name ? name : "";
}

bool MenuItem::HitTest(float, float) const
{
    return false;
}

void MenuItem::ReadCommonAttributes(XmlNode* node)
{
    m_xmlNode = node;
    if (!node)
        return;
    if (node->HasAttribute("name"))
        SetName(node->GetAttribute("name").c_str());
    if (node->HasAttribute("fademode")) {
        const std::string& mode = node->GetAttribute("fademode");
        if (mode == "none")
            SetFadeMode(kFadeNone);
        else if (mode == "scroll left")
            SetFadeMode(kFadeScrollLeft);
        else if (mode == "scroll right")
            SetFadeMode(kFadeScrollRight);
    }
    if (node->HasAttribute("blinking"))
        SetBlinking(node->GetAttribute("blinking") == "true");
    m_updateAction = node->GetAttribute("OnUpdate");
}

void MenuItem::UpdateWithFade(float seconds)
{
    // The base's: widgets whose Update is this function would recurse.
    MenuItem::Update(seconds);
    UpdateFade(seconds);
}

void MenuItem::StartFade(float delay)
{
    m_fadeDelay = delay;
    m_fadeProgress = m_fadeState == kWaitingToDisappear ? 1.0f : 0.0f;
    // A tilt of up to 22.5 degrees either way and a turn of up to 75 degrees to a random side.
    const float tilt = (Random::Unit() - 0.5f) * (kPi / 4);
    float turn = Random::Unit() * (5 * kPi / 12);
    if (Random::Below(2) == 0)
        turn = -turn;
    m_fadeRotation = Quaternion(turn, Vector3::UnitY) * Quaternion(tilt, Vector3::UnitX);
    const float side = turn > 0 ? 1.0f : -1.0f;
    m_fadeOffset = m_fadeRotation.Rotate(Vector3(side, 0.0f, 0.0f)) * kFadeDistance;
}

void MenuItem::UpdateFade(float seconds)
{
    switch (m_fadeState) {
    case kWaitingToAppear:
    case kWaitingToDisappear:
        m_fadeDelay -= seconds;
        if (m_fadeDelay <= 0.0f)
            SetFadeState(m_fadeState + 1);
        break;
    case kAppearing:
        m_fadeProgress += seconds * m_fadeSpeed;
        // Strictly above: landing on 1 exactly waits for the next frame.
        if (m_fadeProgress > 1.0f) {
            m_fadeProgress = 1.0f;
            SetFadeState(kShown);
        }
        break;
    case kDisappearing:
        m_fadeProgress -= seconds * m_fadeSpeed;
        if (m_fadeProgress < 0.0f) {
            m_fadeProgress = 0.0f;
            SetFadeState(kGone);
        }
        break;
    default:
        break;
    }
}

float MenuItem::GetFadeOffset() const
{
    if (!IsFading())
        return 0.0f;
    const float rest = (1.0f - m_fadeProgress) * (1.0f - m_fadeProgress);
    switch (m_fadeMode) {
    case kFadeScrollRight:
        return -kScrollDistance * rest;
    case kFadeScrollLeft:
        return kScrollDistance * rest;
    default:
        return 0.0f;
    }
}

void MenuItem::GetPlanePose(Vector3& position, Quaternion& rotation) const
{
    position = m_menu->GetPosition();
    rotation = m_menu->GetRotation();
    GetFadeTransform(position, rotation);
}

void MenuItem::GetFadeTransform(Vector3& position, Quaternion& rotation) const
{
    if (!IsFading())
        return;
    const float t = (1.0f - m_fadeProgress) * (kPi / 2);
    rotation = m_fadeRotation.Slerp(rotation, 1.0f - std::sin(t));
    position += m_fadeOffset * (1.0f - std::cos(t));
}

void MenuOrigin::Create(XmlNode* node)
{
    ReadCommonAttributes(node);
    m_origin = Vector2();
    if (!node)
        return;
    ReadPair(node, "position", m_origin.x, m_origin.y);
}

void MenuOrigin::Draw(int)
{
    if (m_menu)
        m_menu->SetOffset(m_origin);
}

void MenuCustomElement::Create(XmlNode* node)
{
    ReadCommonAttributes(node);
    m_rect = Vector4(0.0f, 0.0f, Menu::kWidth, Menu::kHeight);
    if (node) {
        ReadPair(node, "position", m_rect.x, m_rect.y);
        ReadPair(node, "size", m_rect.z, m_rect.w);
    }
    m_area = m_rect;
}

void MenuCustomElement::Update(float seconds)
{
    UpdateFade(seconds);
    m_area = m_rect;
    m_area.x += GetFadeOffset();
    MenuItem::Update(seconds);
}
