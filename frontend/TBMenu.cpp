#include "frontend/TBMenu.h"

#include "framework/Debug.h"
#include "framework/FileSystem.h"
#include "input/InputController.h"
#include "menus/Menu.h"
#include "menus/MenuItem.h"
#include "menus/MenuView.h"
#include "menus/XmlParser.h"

#include <cstdio>

namespace {

constexpr float kDegrees = 0.017453292f;

void Deliver(MessageListener* listener, const char* message)
{
    DeliverMessage(listener, MessageServer::Instance()->RegisterMessage(message), 0);
}

// An action of this frame: the game's menu keys answer edges in mode 1, a controller's
// "(menu):" buttons in mode 0.
bool Pressed(const char* action, int mode)
{
    return BufferedInputController::Instance()->GetAction(action, mode) != 0.0f;
}

}  // namespace

TBMenu::TBMenu(const std::string& screen) : m_screen(screen)
{
    SetName(screen.c_str());
}

TBMenu::~TBMenu()
{
    if (m_owner)
        Menu::Instance()->SetOwner(nullptr);
}

bool TBMenu::CreateMenu()
{
    Menu* menu = Menu::Instance();
    const std::string path = "<PP>\\Menu\\Screens\\" + m_screen + ".xml";
    File* file = FileSystem::Instance()->Open(path.c_str(), "r");
    if (!file) {
        LogError("TBMenu::CreateMenu: could not find menu <%s>\n", m_screen.c_str());
        return false;
    }
    const bool loaded = menu->LoadScreen(XmlParser().Parse(file));
    FileSystem::Instance()->Close(file);
    if (!loaded)
        LogError("TBMenu::CreateMenu: the menu <%s> could not be built\n", m_screen.c_str());
    menu->SetFadeState(Menu::kFadingIn);
    return loaded;
}

void TBMenu::Enter()
{
    Menu::Instance()->SetOwner(this);
    m_owner = true;
    m_closing = false;
    m_loaded = CreateMenu();
}

void TBMenu::Exit()
{
    Menu* menu = Menu::Instance();
    if (m_owner) {
        menu->SetOwner(nullptr);
        m_owner = false;
    }
    menu->ClearScreen();
}

State* TBMenu::Update(float dt)
{
    Menu* menu = Menu::Instance();
    if (menu->GetFadeState() == Menu::kShown)
        PollInput();
    menu->Update(dt);
    if (m_closing && EndsOnClose() && (!m_loaded || menu->GetFadeState() == Menu::kGone))
        return nullptr;
    return this;
}

void TBMenu::Close()
{
    if (m_closing)
        return;
    m_closing = true;
    Menu::Instance()->SetFadeState(Menu::kFadingOut);
}

void TBMenu::PollInput()
{
    Menu* menu = Menu::Instance();
    MenuItem* selected = menu->GetSelectedItem();
    if (Pressed("(menu):button a", 0)) {
        if (selected)
            Deliver(selected, "menu select");
        // The press ends a screen that has no button of its own to take it.
        if (!selected)
            Close();
        return;
    }
    if (Pressed("menu select", 1)) {
        if (selected)
            Deliver(selected, "menu select");
        return;
    }
    if (Pressed("menu back", 1) || Pressed("(menu):button b", 0)) {
        Deliver(menu, "menu back");
        return;
    }
    const bool up = Pressed("menu up", 1) || Pressed("(menu):up", 0);
    const bool down = Pressed("menu down", 1) || Pressed("(menu):down", 0);
    if (!selected) {
        if (up || down)
            menu->SelectNext();
        return;
    }
    if (up)
        Deliver(selected, "menu up");
    if (down)
        Deliver(selected, "menu down");
    if (Pressed("menu left", 1) || Pressed("(menu):left", 0))
        Deliver(selected, "menu left");
    if (Pressed("menu right", 1) || Pressed("(menu):right", 0))
        Deliver(selected, "menu right");
}

void TBMenu::Render()
{
    RenderMenuInView(m_position, m_rotation);
}

int TBMenu::OnMessage(int message, intptr_t param)
{
    const char* name = MessageServer::Instance()->GetMessageName(message);
    if (!name || !param)
        return 0;
    const auto& record = *reinterpret_cast<const MenuActionParameter*>(param);
    const std::string command = name;
    float a = 0, b = 0, c = 0;
    if (command == "SetMenu" || command == "QuitGame" || command == "Nothing") {
        Close();
    } else if (command == "SetPosition" && std::sscanf(record.argument, "%f,%f,%f", &a, &b, &c) == 3) {
        m_position = Vector3(a, b, c);
    } else if (command == "SetRotation" && std::sscanf(record.argument, "%f,%f,%f", &a, &b, &c) == 3) {
        m_rotation = Quaternion(b * kDegrees, Vector3::UnitY) * Quaternion(a * kDegrees, Vector3::UnitX) *
                     Quaternion(c * kDegrees, Vector3::UnitZ);
    }
    return 0;
}

TBIngameMenu::TBIngameMenu(const std::string& screen, int /*flags*/) : TBMenu(screen) {}

TBIngameMessageMenu::TBIngameMessageMenu(const std::string& screen, float seconds, bool, bool)
    : TBMenu(screen), m_remaining(seconds)
{
}

State* TBIngameMessageMenu::Update(float dt)
{
    m_remaining -= dt;
    if (m_remaining <= 0.0f)
        return nullptr;
    TBMenu::Update(dt);
    return this;
}
