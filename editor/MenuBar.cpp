#include "editor/MenuBar.h"

#include <algorithm>

MenuPopup& MenuBar::InsertPopup(size_t position, const std::string& text)
{
    position = std::min(position, m_popups.size());
    return *m_popups.insert(m_popups.begin() + static_cast<std::ptrdiff_t>(position), MenuPopup{text, {}});
}

MenuPopup* MenuBar::FindPopup(const std::string& text)
{
    for (MenuPopup& popup : m_popups)
        if (popup.text == text)
            return &popup;
    return nullptr;
}

std::string MenuBar::GetItemText(int id) const
{
    for (const MenuPopup& popup : m_popups)
        for (const MenuBarItem& item : popup.items)
            if (!item.separator && item.id == id)
                return item.text;
    return {};
}

std::string MenuDisplayText(const std::string& text)
{
    std::string shown;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '&' && i + 1 < text.size() && text[i + 1] == '&')
            ++i;
        else if (text[i] == '&')
            continue;
        shown += text[i];
    }
    return shown;
}
