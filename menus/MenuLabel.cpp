#include "menus/MenuLabel.h"

#include "framework/Color.h"
#include "framework/Debug.h"
#include "framework/DebugDisplay.h"
#include "framework/Message.h"
#include "framework/StringUtil.h"
#include "menus/Menu.h"
#include "menus/XmlParser.h"
#include "scene/ScreenDraw.h"
#include "text/TextDisplay.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

void MenuLabel::Read(const XmlNode* node, const char* className)
{
    if (!node)
        return;
    if (node->HasAttribute("position"))
        std::sscanf(node->GetAttribute("position").c_str(), "%f,%f", &x, &y);
    if (node->HasAttribute("text")) {
        text = node->GetAttribute("text");
        selectedText = "<font selected>" + text + "</font>";
    }
    if (node->HasAttribute("selectedText"))
        selectedText = node->GetAttribute("selectedText");
    if (!node->HasAttribute("halign"))
        return;
    const std::string& value = node->GetAttribute("halign");
    const std::string lower = StringUtil::Lower(value);
    hasAlign = lower == "center" || lower == "left" || lower == "right";
    if (!hasAlign) {
        LogWarning("%s::Create: Unknown halign parameter: %s\n", className, value.c_str());
        return;
    }
    align = lower == "center" ? kAlignCenter : lower == "right" ? kAlignRight : kAlignLeft;
}

int MenuMessage(const char* name)
{
    return MessageServer::Instance()->RegisterMessage(name);
}

ScopedTextAlign::ScopedTextAlign(bool hasAlign, int32_t align) : m_set(hasAlign)
{
    if (!m_set)
        return;
    m_previous = TextDisplay::Instance()->GetHorizontalAlign();
    TextDisplay::Instance()->SetHorizontalAlign(align);
}

ScopedTextAlign::~ScopedTextAlign()
{
    if (m_set)
        TextDisplay::Instance()->SetHorizontalAlign(m_previous);
}

void DrawMenuBox(const Vector4& rect)
{
    if (DebugDisplay::Instance()->CheckOption("Display Menu Boxes"))
        DrawFilledRect(ScreenRect{rect.x, rect.y, rect.z, rect.w}, Color(1.0f, 0.0f, 0.0f, 0.3f));
}

void MenuPopOut::Update(bool selected, float seconds, float damping)
{
    // Rise rate per second, spring stiffness per second squared, and the snap to rest.
    constexpr float kRise = 10.0f;
    constexpr float kStiffness = 50.0f;
    constexpr float kRest = 0.01f;
    if (selected) {
        popOut = std::min(popOut + kRise * seconds, 1.0f);
        velocity = -1.0f;
        return;
    }
    if (popOut == 0.0f && velocity == 0.0f)
        return;
    popOut += seconds * velocity;
    velocity = (velocity - popOut * seconds * kStiffness) * damping;
    if (std::fabs(velocity) < kRest && std::fabs(popOut) < kRest) {
        popOut = 0.0f;
        velocity = 0.0f;
    }
}

bool HitMenuRect(const Menu& menu, const Vector4& rect, float x, float y)
{
    const Vector2 p = menu.ScreenToMenu(x, y);
    return p.x >= rect.x && p.x < rect.x + rect.z && p.y >= rect.y && p.y < rect.y + rect.w;
}
