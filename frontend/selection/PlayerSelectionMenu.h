#pragma once

#include "frontend/menu/TBMenu.h"

#include <string>

// The squad selection's screen. Every message of the screen goes to the selection first;
// of the menu's own commands only the placing of the menu plane is kept, as the selection
// decides by itself when it ends.
class PlayerSelectionMenu : public TBMenu {
public:
    // The owner (the selection) is borrowed and must outlive the menu.
    PlayerSelectionMenu(const std::string& screen, MessageListener* owner);

    // Hands the message to the owner; then "SetPosition" and "SetRotation" place the menu,
    // "SetMenu" is refused with a warning and every other word is left to the owner. 0.
    int OnMessage(int message, intptr_t param) override;

    // The selection that made the menu; borrowed.
    MessageListener* GetOwner() const { return m_owner; }

private:
    MessageListener* m_owner;
};
