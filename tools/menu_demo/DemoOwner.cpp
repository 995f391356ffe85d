#include "tools/menu_demo/DemoOwner.h"

#include "framework/Debug.h"
#include "framework/FileSystem.h"
#include "framework/Settings.h"
#include "input/MouseInput.h"
#include "menus/Menu.h"
#include "menus/MenuImage.h"
#include "menus/MenuItem.h"
#include "menus/MenuView.h"
#include "menus/XmlParser.h"
#include "scene/Camera.h"
#include "scene/RwGraphics.h"
#include "text/TextDisplay.h"

#include <cstdio>
#include <cstdlib>

namespace {

constexpr float kDegrees = 0.017453292f;

int Message(const char* name)
{
    return MessageServer::Instance()->RegisterMessage(name);
}

void Deliver(MessageListener* listener, const char* message, intptr_t param = 0)
{
    DeliverMessage(listener, Message(message), param);
}

}  // namespace

bool DemoOwner::Enter(const std::string& screen)
{
    Menu* menu = Menu::Instance();
    menu->SetOwner(this);
    next.clear();
    leaving = false;
    const std::string path = "<PP>\\Menu\\Screens\\" + screen + ".xml";
    File* file = FileSystem::Instance()->Open(path.c_str(), "r");
    if (!file) {
        LogError("DemoOwner::Enter: could not find menu <%s>\n", screen.c_str());
        menu->SetFadeState(Menu::kFadingIn);
        return false;
    }
    const bool loaded = menu->LoadScreen(XmlParser().Parse(file));
    FileSystem::Instance()->Close(file);
    menu->SetFadeState(Menu::kFadingIn);
    return loaded;
}

void DemoOwner::Exit()
{
    Menu::Instance()->SetOwner(nullptr);
    Menu::Instance()->ClearScreen();
}

bool DemoOwner::Update(float seconds, const MenuKeys& keys)
{
    Menu* menu = Menu::Instance();
    if (menu->GetFadeState() == Menu::kShown)
        PollMenuInput(keys);
    else if (menu->GetFadeState() == Menu::kGone)
        return false;
    menu->Update(seconds);
    return true;
}

void DemoOwner::Render()
{
    // The game state sets the text area for every frame.
    if (Camera* camera = RwGraphics::Instance()->GetCamera())
        TextDisplay::Instance()->SetArea({0.0f, 0.0f, camera->GetWidth(), camera->GetHeight()});
    RenderMenuInView(m_position, m_rotation);
}

int DemoOwner::OnMessage(int message, intptr_t param)
{
    const auto& record = *reinterpret_cast<const MenuActionParameter*>(param);
    const std::string name = MessageServer::Instance()->GetMessageName(message);
    const std::string argument = record.argument;
    const std::string command = argument.empty() ? name : name + " " + argument;
    commands.push_back(command);
    std::printf("  owner: %s (from %s)\n", command.c_str(), record.source ? record.source->GetName().c_str() : "the screen");
    Menu* menu = Menu::Instance();
    const bool shown = menu->GetFadeState() == Menu::kShown;
    float a = 0, b = 0, c = 0;
    if (name == "CheckGameVersion") {
        CheckGameVersion();
    } else if ((name == "SetMenu" || name == "QuitGame" || name == "Nothing") && shown) {
        next = name == "SetMenu" ? argument : std::string();
        leaving = true;
        menu->SetFadeState(Menu::kFadingOut);
    } else if (name == "SetPosition" && std::sscanf(argument.c_str(), "%f,%f,%f", &a, &b, &c) == 3) {
        m_position = Vector3(a, b, c);
    } else if (name == "SetRotation" && std::sscanf(argument.c_str(), "%f,%f,%f", &a, &b, &c) == 3) {
        m_rotation = Quaternion(b * kDegrees, Vector3::UnitY) * Quaternion(a * kDegrees, Vector3::UnitX) *
                     Quaternion(c * kDegrees, Vector3::UnitZ);
    } else if (name == "PlaySelectSound") {
        std::printf("  owner: plays \"menuselect\"\n");
    } else if (name == "CheckPlayers") {
        return std::atoi(argument.c_str()) <= players ? 0 : -1;
    }
    return 0;
}

// Adapts the screen to the game size: the story mode only in the largest, and the logo of
// the size.
void DemoOwner::CheckGameVersion()
{
    Menu* menu = Menu::Instance();
    const std::string size = SettingsManager::Instance()->GetString("GameSize");
    if (size != "XXL") {
        if (menu->HasItem("storymode"))
            menu->GetItem("storymode")->Hide();
        menu->SetVariable("%maxDetailLevel%", "1");
    } else {
        menu->SetVariable("%maxDetailLevel%", "2");
        menu->SetVariable("%maxSingleDuration%", "5");
    }
    const char* logo = size == "XS" ? "TBlogoLogo_XS" : size == "XL" ? "TBlogoLogo_XL" : nullptr;
    if (!logo)
        return;
    if (auto* image = menu->HasItem("gamelogo") ? dynamic_cast<MenuImage*>(menu->GetItem("gamelogo")) : nullptr)
        image->SetTexture(logo);
    menu->SetVariable("%maxSingleDuration%", size == "XS" ? "0" : "5");
}

void DemoOwner::PollMenuInput(const MenuKeys& keys)
{
    Menu* menu = Menu::Instance();
    MouseInput* mouse = MouseInput::Instance();
    int x = 0, y = 0, dx = 0, dy = 0;
    mouse->GetPosition(x, y);
    mouse->GetDelta(dx, dy);
    const std::string point = std::to_string(x) + " " + std::to_string(y);
    const auto pointParam = reinterpret_cast<intptr_t>(point.c_str());
    MenuItem* selected = menu->GetSelectedItem();
    bool select = keys.select;
    if (keys.up || keys.down || keys.select || keys.back || keys.left || keys.right)
        menu->SetMouseMode(false);
    if (mouse->GetButtonsPressed() & (MouseInput::kLeft | MouseInput::kRight)) {
        menu->SetMouseMode(true);
        Deliver(menu, "menu click", pointParam);
        if (selected) {
            Deliver(selected, "menu click");
            select = true;
        }
    }
    const bool up = keys.up && !keys.down, down = keys.down && !keys.up;
    if (select) {
        if (selected)
            Deliver(selected, "menu select");
        return;
    }
    if (keys.back) {
        Deliver(menu, "menu back");
        return;
    }
    if (selected) {
        if (up)
            Deliver(selected, "menu up");
        if (down)
            Deliver(selected, "menu down");
        if (keys.left)
            Deliver(selected, "menu left");
        if (keys.right)
            Deliver(selected, "menu right");
    } else if (up || down) {
        menu->SelectNext();
    }
    if (dx || dy)
        menu->SetMouseMode(true);
    if (menu->IsMouseMode())
        Deliver(menu, "menu mouse move", pointParam);
}
