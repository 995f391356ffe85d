#include "frontend/selection/PlayerSelectionMenu.h"

#include "framework/Debug.h"
#include "framework/Message.h"

#include <cstring>

PlayerSelectionMenu::PlayerSelectionMenu(const std::string& screen, MessageListener* owner)
    : TBMenu(screen), m_owner(owner)
{
}

int PlayerSelectionMenu::OnMessage(int message, intptr_t param)
{
    if (m_owner)
        m_owner->OnMessage(message, param);
    const char* name = MessageServer::Instance()->GetMessageName(message);
    if (!name)
        return 0;
    if (std::strcmp(name, "SetPosition") == 0 || std::strcmp(name, "SetRotation") == 0) {
        TBMenu::OnMessage(message, param);
    } else if (std::strcmp(name, "SetMenu") == 0) {
        // The selection keeps updating this menu and would never run another screen.
        LogWarning("PlayerSelectionMenu::OnMessage: \"SetMenu\" is ignored on the selection screen \"%s\"\n",
                   GetScreen().c_str());
    }
    return 0;
}
