#include "menus/MenuStaticText.h"

#include "framework/Debug.h"
#include "framework/Registration.h"
#include "menus/Menu.h"
#include "menus/MenuText.h"
#include "menus/XmlParser.h"
#include "text/TextDisplay.h"

#include <algorithm>

REGISTER_FACTORY(MenuItems, MenuStaticText);
REGISTER_FACTORY(MenuItems, MenuTextArea);

void MenuStaticText::Create(XmlNode* node)
{
    ReadCommonAttributes(node);
    if (!node)
        return;
    ReadPair(node, "position", m_x, m_y);
    m_text = node->GetAttribute("text");
    if (node->HasAttribute("halign")) {
        const std::string& word = node->GetAttribute("halign");
        m_hasAlign = menutext::ReadHorizontalAlign(word, m_align);
        if (!m_hasAlign)
            LogWarning("MenuStaticText::Create: Unknown halign parameter: %s\n", word.c_str());
    }
    ReadPair(node, "minArea", m_minArea.x, m_minArea.y);
}

void MenuStaticText::Draw(int pass)
{
    if (!m_visible || !m_menu)
        return;
    float x = m_x, y = m_y;
    m_menu->ScalePoint(x, y);
    const menutext::AlignScope align(m_hasAlign, m_align);
    const std::string shown = m_menu->ExpandVariables(m_text);
    Quaternion rotation;
    Vector3 position;
    GetPlanePose(position, rotation);
    if (pass == 0)
        menutext::Print3D(menutext::ShadowText(shown), x, y, position + rotation.Rotate(menutext::kShadowShift), rotation);
    else
        menutext::Print3D(shown, x, y, position, rotation);
    TextRect measured;
    TextDisplay::Instance()->MeasureText(measured, shown);
    m_area = Vector4(measured.x + x, measured.y + y, std::max(measured.width, m_minArea.x),
                     std::max(measured.height, m_minArea.y));
    menutext::DrawDebugBox(m_area);
}

void MenuTextArea::Create(XmlNode* node)
{
    ReadCommonAttributes(node);
    m_area = Vector4(0.0f, 0.0f, Menu::kWidth, Menu::kHeight);
    if (!node)
        return;
    ReadPair(node, "position", m_area.x, m_area.y);
    ReadPair(node, "size", m_area.z, m_area.w);
}

void MenuTextArea::Draw(int)
{
    if (!m_menu)
        return;
    Vector4 r = m_area;
    m_menu->ScaleRect(r);
    TextDisplay::Instance()->SetArea({r.x, r.y, r.z, r.w});
}
