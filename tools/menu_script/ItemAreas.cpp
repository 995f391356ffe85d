// Apart from the rest of the script: the menu's item class must not meet the editor's headers.
#include "menus/Menu.h"
#include "menus/MenuItem.h"
#include "menus/XmlParser.h"
#include "tools/menu_script/MenuScript.h"

namespace menu_script {

namespace {

bool Drawn(const MenuItem& item, Vector4& area)
{
    area = item.GetArea();
    return item.IsVisible() && area.z > 0.0f && area.w > 0.0f;
}

}  // namespace

bool ShownItemArea(const std::string& name, Vector4& area)
{
    Menu* menu = Menu::Instance();
    return menu->GetFadeState() == Menu::kShown && menu->HasItem(name) && Drawn(*menu->GetItem(name), area);
}

std::vector<Vector4> ShownTextAreas(const std::string& part)
{
    std::vector<Vector4> areas;
    Menu* menu = Menu::Instance();
    for (int i = 0; i < menu->GetItemCount(); ++i) {
        const MenuItem* item = menu->GetItem(i);
        const XmlNode* node = item ? item->GetXmlNode() : nullptr;
        Vector4 area;
        if (node && node->GetAttribute("text").find(part) != std::string::npos && Drawn(*item, area))
            areas.push_back(area);
    }
    return areas;
}

int ShownTextCount(const std::string& said)
{
    Menu* menu = Menu::Instance();
    int count = 0;
    for (int i = 0; i < menu->GetItemCount(); ++i) {
        const MenuItem* item = menu->GetItem(i);
        const XmlNode* node = item ? item->GetXmlNode() : nullptr;
        Vector4 area;
        if (node && Drawn(*item, area) && menu->ExpandVariables(node->GetAttribute("text")).find(said) != std::string::npos)
            ++count;
    }
    return count;
}

}  // namespace menu_script
