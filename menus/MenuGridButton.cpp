#include "menus/MenuGridButton.h"

#include "framework/Debug.h"
#include "framework/Registration.h"
#include "menus/Menu.h"
#include "menus/MenuText.h"
#include "menus/XmlParser.h"
#include "text/TextDisplay.h"

#include <algorithm>
#include <cstdio>

REGISTER_FACTORY(MenuItems, MenuGridButton);

namespace {

// The arrows' columns beside the target, in menu units.
constexpr float kArrowWidth = 25.0f;
constexpr float kArrowGap = 5.0f;

void ReadInt(const XmlNode* node, const char* attribute, int32_t& out)
{
    if (node->HasAttribute(attribute))
        std::sscanf(node->GetAttribute(attribute).c_str(), "%d", &out);
}

// To [0, count) for a step of one either way, wrapping or not.
int64_t Fit(int64_t value, int64_t count, bool wrap)
{
    return wrap ? (value + count) % count : std::clamp(value, int64_t{0}, count - 1);
}

}  // namespace

void MenuGridButton::Create(XmlNode* node)
{
    ReadCommonAttributes(node);
    if (node) {
        m_label.Read(node, "MenuGridButton");
        m_value.name = node->GetAttribute("value");
        ReadInt(node, "minValue", m_value.minValue);
        ReadInt(node, "maxValue", m_value.maxValue);
        ReadInt(node, "gridWidth", m_gridWidth);
        int32_t wrap = 0;
        ReadInt(node, "wrap", wrap);
        m_value.wrap = wrap != 0 ? MenuEditValue::Wrap::kLoop : MenuEditValue::Wrap::kNone;
        m_value.target = node->GetAttribute("target");
    }
    if (m_gridWidth < 1) {
        LogWarning("MenuGridButton::Create: gridWidth %d of \"%s\" is below 1; 1 is used\n", m_gridWidth,
                   m_name.c_str());
        m_gridWidth = 1;
    }
    if (m_value.minValue > m_value.maxValue) {
        LogWarning("MenuGridButton::Create: minValue %d of \"%s\" exceeds maxValue %d; the maximum becomes %d\n",
                   m_value.minValue, m_name.c_str(), m_value.maxValue, m_value.minValue);
        m_value.maxValue = m_value.minValue;
    }
    m_rect = Vector4(m_label.x, m_label.y, 0.0f, 0.0f);
    m_value.BringIntoRange(m_menu);
}

int32_t MenuGridButton::Step(int value, int dx, int dy) const
{
    const bool wrap = m_value.wrap != MenuEditValue::Wrap::kNone;
    const int64_t w = m_gridWidth;
    const int64_t r = static_cast<int64_t>(value) - m_value.minValue;
    const int64_t row = r / w;
    const int64_t column = r % w;
    if (dx != 0)
        return m_value.InRange(w * row + m_value.minValue + Fit(column + dx, w, wrap));
    const int64_t rows = (static_cast<int64_t>(m_value.maxValue) - m_value.minValue) / w + 1;
    return m_value.InRange(w * Fit(row + dy, rows, wrap) + m_value.minValue + column);
}

int MenuGridButton::OnMessage(int message, intptr_t)
{
    if (m_fadeState != kIdle)
        return 0;
    int dx = 0, dy = 0;
    if (message == MenuMessage("menu left") && !m_value.AtLowerEnd(m_menu))
        dx = -1;
    else if (message == MenuMessage("menu right") && !m_value.AtUpperEnd(m_menu))
        dx = 1;
    else if (message == MenuMessage("menu up") && !m_value.AtLowerEnd(m_menu))
        dy = -1;
    else if (message == MenuMessage("menu down") && !m_value.AtUpperEnd(m_menu))
        dy = 1;
    else if (message == MenuMessage("menu select"))
        RunItemAction(*this, "OnSelect");
    if (dx == 0 && dy == 0)
        return 0;
    MenuEditValue::StepWithOwner(*this, m_value, [&](int& value, int) {
        value = Step(value, dx, dy);
        m_value.MarkStep(dx + dy > 0 ? 1 : 0);
        return true;
    });
    return 0;
}

void MenuGridButton::Update(float seconds)
{
    m_value.UpdateItem(*this, seconds);
}

MenuGridButton::Arrows MenuGridButton::GetArrows()
{
    Arrows arrows;
    if (m_fadeState != kIdle || !IsSelected() || !m_menu)
        return arrows;
    // Asked first: the menu's lookup of a missing item stops the game with a message box.
    if (!m_menu->HasItem(m_value.target)) {
        if (!m_warnedNoTarget)
            LogWarning("MenuGridButton::Draw: no item \"%s\" for the arrows of \"%s\"; drawn without arrows\n",
                       m_value.target.c_str(), m_name.c_str());
        m_warnedNoTarget = true;
        return arrows;
    }
    arrows.shown = true;
    arrows.left = "&lt;";
    arrows.right = "&gt;";
    if (m_value.arrowHighlight <= 0.0f) {
        if (m_value.AtLowerEnd(m_menu))
            arrows.left = "<color 0 0 0 0>" + arrows.left + "</color>";
        if (m_value.AtUpperEnd(m_menu))
            arrows.right = "<color 0 0 0 0>" + arrows.right + "</color>";
    } else {
        std::string& marked = m_value.arrowSide == 0 ? arrows.left : arrows.right;
        marked = "<font selected>" + marked + "</font>";
    }
    const Vector4 target = m_menu->GetItem(m_value.target)->GetArea();
    arrows.leftArea = TextRect{target.x - kArrowWidth - kArrowGap, target.y, kArrowWidth, target.w};
    arrows.rightArea = TextRect{target.x + target.z + kArrowGap, target.y, kArrowWidth, target.w};
    return arrows;
}

void MenuGridButton::Draw(int pass)
{
    if (pass != 1 || !m_menu)
        return;
    TextDisplay* display = TextDisplay::Instance();
    const std::string text = m_menu->ExpandVariables(IsSelected() ? m_label.selectedText : m_label.text);
    Vector2 position(m_label.x + GetFadeOffset(), m_label.y);
    m_menu->ScaleVector(position);
    {
        const menutext::AlignScope align(m_label.hasAlign, m_label.align);
        display->Print(text, position.x, position.y);
        TextRect measured;
        display->MeasureText(measured, text);
        // An empty text measures no words: its rectangle shrinks to the position.
        m_rect = measured.width < 0.0f ? Vector4(position.x, position.y, 0.0f, 0.0f)
                                       : Vector4(measured.x + position.x, measured.y + position.y, measured.width,
                                                 measured.height);
        menutext::DrawDebugBox(m_rect);
    }
    const Arrows arrows = GetArrows();
    if (!arrows.shown)
        return;
    const TextRect area = display->GetArea();
    const menutext::AlignScope centred(true, kAlignCenter);
    display->SetArea(arrows.leftArea);
    display->PrintInArea(arrows.left);
    display->SetArea(arrows.rightArea);
    display->PrintInArea(arrows.right);
    display->SetArea(area);
}
