#pragma once

#include <string>
#include <vector>

// The editor frame's menu bar as data: top-level popups holding items. A command id names
// the item that sends it; texts keep their "&" as written.
struct MenuBarItem {
    std::string text;
    int id = 0;
    bool separator = false;
};

struct MenuPopup {
    std::string text;
    std::vector<MenuBarItem> items;
};

class MenuBar {
public:
    // Appends; position past the end appends too.
    MenuPopup& InsertPopup(size_t position, const std::string& text);
    MenuPopup& AddPopup(const std::string& text) { return InsertPopup(m_popups.size(), text); }

    // The popup whose whole text equals text, letter case included; null when none does.
    MenuPopup* FindPopup(const std::string& text);
    // The text of the first item carrying the id; empty when no item carries it.
    std::string GetItemText(int id) const;

    const std::vector<MenuPopup>& Popups() const { return m_popups; }

private:
    std::vector<MenuPopup> m_popups;
};

// A menu text as shown: each "&" that marks a key is dropped, "&&" shows one "&".
std::string MenuDisplayText(const std::string& text);
