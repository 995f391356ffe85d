#include "menus/MenuGridButton.h"

#include "framework/Debug.h"
#include "framework/Registration.h"
#include "menus/Menu.h"
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

// Wraps into [0, count) for any sign.
int64_t Wrap(int64_t value, int64_t count)
{
    return ((value % count) + count) % count;
}

}  // namespace

void MenuGridButton::Create(XmlNode* node)
{
    ReadCommonAttributes(node);
    if (node) {
        m_label.Read(node, "MenuGridButton");
        m_valueName = node->GetAttribute("value");
        ReadInt(node, "minValue", m_minValue);
        ReadInt(node, "maxValue", m_maxValue);
        ReadInt(node, "gridWidth", m_gridWidth);
        int32_t wrap = 0;
        ReadInt(node, "wrap", wrap);
        m_wrap = wrap != 0;
        m_targetName = node->GetAttribute("target");
    }
    if (m_gridWidth < 1) {
        LogWarning("MenuGridButton::Create: gridWidth %d of \"%s\" is below 1; 1 is used\n", m_gridWidth,
                   m_name.c_str());
        m_gridWidth = 1;
    }
    if (m_minValue > m_maxValue) {
        LogWarning("MenuGridButton::Create: minValue %d of \"%s\" exceeds maxValue %d; the maximum becomes %d\n",
                   m_minValue, m_name.c_str(), m_maxValue, m_minValue);
        m_maxValue = m_minValue;
    }
    m_rect = Vector4(m_label.x, m_label.y, 0.0f, 0.0f);
    BringIntoRange();
}

int32_t MenuGridButton::InRange(int64_t value) const
{
    if (!m_wrap)
        return Clamp(value);
    const int64_t span = static_cast<int64_t>(m_maxValue) - m_minValue + 1;
    if (value >= m_minValue && value <= m_maxValue)
        return static_cast<int32_t>(value);
    return static_cast<int32_t>(m_minValue + Wrap(value - m_minValue, span));
}

int32_t MenuGridButton::Step(int value, int dx, int dy) const
{
    const int64_t w = m_gridWidth;
    const int64_t r = static_cast<int64_t>(value) - m_minValue;
    const int64_t row = r / w;
    const int64_t column = r % w;
    if (dx != 0) {
        int64_t c = column + dx;
        c = m_wrap ? Wrap(c, w) : std::min(std::max(c, int64_t{0}), w - 1);
        return InRange(w * row + m_minValue + c);
    }
    const int64_t rows = (static_cast<int64_t>(m_maxValue) - m_minValue) / w + 1;
    int64_t n = row + dy;
    n = m_wrap ? Wrap(n, rows) : std::min(std::max(n, int64_t{0}), rows - 1);
    return InRange(w * n + m_minValue + column);
}

int MenuGridButton::OnMessage(int message, intptr_t)
{
    if (m_fadeState != kIdle)
        return 0;
    int dx = 0, dy = 0;
    if (message == MenuMessage("menu left") && !AtLowerEnd())
        dx = -1;
    else if (message == MenuMessage("menu right") && !AtUpperEnd())
        dx = 1;
    else if (message == MenuMessage("menu up") && !AtLowerEnd())
        dy = -1;
    else if (message == MenuMessage("menu down") && !AtUpperEnd())
        dy = 1;
    else if (message == MenuMessage("menu select"))
        RunAction("OnSelect");
    if (dx == 0 && dy == 0)
        return 0;
    StepWithOwner([&](int& value, int) {
        value = Step(value, dx, dy);
        MarkStep(dx + dy > 0 ? 1 : 0);
        return true;
    });
    return 0;
}

void MenuGridButton::Update(float seconds)
{
    Menu* menu = m_menu;
    const uint32_t generation = menu ? menu->GetGeneration() : 0;
    MenuItem::Update(seconds);
    if (menu && menu->GetGeneration() != generation)
        return;
    BringIntoRange();
    CountDownHighlight(seconds);
    UpdateFade(seconds);
}

MenuGridButton::Arrows MenuGridButton::GetArrows()
{
    Arrows arrows;
    if (m_fadeState != kIdle || !IsSelected() || !m_menu)
        return arrows;
    if (!m_menu->HasItem(m_targetName)) {
        if (!m_warnedNoTarget)
            LogWarning("MenuGridButton::Draw: no item \"%s\" for the arrows of \"%s\"; drawn without arrows\n",
                       m_targetName.c_str(), m_name.c_str());
        m_warnedNoTarget = true;
        return arrows;
    }
    arrows.shown = true;
    arrows.left = "&lt;";
    arrows.right = "&gt;";
    if (m_arrowHighlight <= 0.0f) {
        if (AtLowerEnd())
            arrows.left = "<color 0 0 0 0>" + arrows.left + "</color>";
        if (AtUpperEnd())
            arrows.right = "<color 0 0 0 0>" + arrows.right + "</color>";
    } else {
        std::string& marked = m_arrowSide == 0 ? arrows.left : arrows.right;
        marked = "<font selected>" + marked + "</font>";
    }
    const Vector4 target = m_menu->GetItem(m_targetName)->GetArea();
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
        const ScopedTextAlign align(m_label.hasAlign, m_label.align);
        display->Print(text, position.x, position.y);
        TextRect measured;
        display->MeasureText(measured, text);
        // An empty text measures no words: its rectangle shrinks to the position.
        m_rect = measured.width < 0.0f ? Vector4(position.x, position.y, 0.0f, 0.0f)
                                       : Vector4(measured.x + position.x, measured.y + position.y, measured.width,
                                                 measured.height);
        DrawMenuBox(m_rect);
    }
    const Arrows arrows = GetArrows();
    if (!arrows.shown)
        return;
    const TextRect area = display->GetArea();
    const ScopedTextAlign centred(true, kAlignCenter);
    display->SetArea(arrows.leftArea);
    display->PrintInArea(arrows.left);
    display->SetArea(arrows.rightArea);
    display->PrintInArea(arrows.right);
    display->SetArea(area);
}
