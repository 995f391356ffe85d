// Menu screens are player-facing data files: any bytes must parse without a crash or an
// overread, and a tree that parses must load as a screen. A mismatched closing tag, which
// ends the game, comes back here as an error instead.
#include "framework/MemoryFile.h"
#include "framework/fuzz/FuzzRun.h"
#include "menus/Menu.h"
#include "menus/MenuItem.h"
#include "menus/XmlParser.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

// Answers every command; "-1" as an argument cancels the rest of its text.
class Owner : public MessageListener {
public:
    int OnMessage(int, intptr_t param) override
    {
        const auto* record = reinterpret_cast<const MenuActionParameter*>(param);
        return std::atoi(record->argument);
    }
};

void Check(const XmlNode& node)
{
    for (const auto& attribute : node.attributes)
        if (attribute->value.find_first_of("[]") != std::string::npos)
            std::abort();
    for (const auto& child : node.children)
        Check(*child);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzBeginRun();
    MemoryFile file(std::vector<uint8_t>(data, data + size), true);
    std::string error;
    std::unique_ptr<XmlNode> root = XmlParser().TryParse(&file, error);
    if (!root)
        return 0;
    Check(*root);
    static Owner owner;
    Menu* menu = Menu::Instance();
    menu->SetOwner(&owner);
    menu->LoadScreen(std::move(root));
    menu->SetFadeState(Menu::kFadingIn);
    for (int i = 0; i < menu->GetItemCount(); ++i)
        menu->ExpandVariables(menu->GetItem(i)->GetName());
    // The widgets that edit values and take keys, driven with whatever the screen gave them.
    static int value = 0;
    menu->SetEditValue("%v%", &value);
    menu->SetFadeState(Menu::kShown);
    static const char* const keys[] = {"menu left", "menu right", "menu up", "menu down", "menu select"};
    for (int i = 0; i < std::min(menu->GetItemCount(), 64); ++i)
        for (const char* key : keys)
            DeliverMessage(menu->GetItem(i), MessageServer::Instance()->RegisterMessage(key), 0);
    menu->OnMessage(MessageServer::Instance()->RegisterMessage("menu back"), 0);
    menu->Update(0.5f);
    // The widgets act on keys once idle.
    menu->SetFadeState(Menu::kShown);
    for (const char* key : {"menu down", "menu select"})
        if (MenuItem* selected = menu->GetSelectedItem())
            DeliverMessage(selected, MessageServer::Instance()->RegisterMessage(key), 0);
    menu->Update(0.5f);
    menu->ClearScreen();
    return 0;
}
