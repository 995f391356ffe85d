#include "frontend/menu/TBMenu.h"

#include "audio/TBMusic.h"
#include "framework/Debug.h"
#include "framework/FileSystem.h"
#include "framework/GameHost.h"
#include "frontend/menu/MenuCommands.h"
#include "frontend/menu/TBMenuToggles.h"
#include "input/ConfigurableInputMapper.h"
#include "input/InputController.h"
#include "input/KeyboardInput.h"
#include "input/MouseInput.h"
#include "input/PlatformInputDevices.h"
#include "input/VirtualKeys.h"
#include "match/FrontEndScreens.h"
#include "menus/Menu.h"
#include "menus/MenuItem.h"
#include "menus/MenuToggleButton.h"
#include "menus/MenuView.h"
#include "menus/XmlParser.h"
#include "text/TextManager.h"

#include <cstdio>

namespace {

constexpr const char* kCreditsItem = "creditsText";
constexpr float kCreditsSpeed = 50.0f;  // menu units per second

void Deliver(MessageListener* listener, const char* message, intptr_t param = 0)
{
    DeliverMessage(listener, MessageServer::Instance()->RegisterMessage(message), param);
}

// The menu's own listener hears positions as the text "x y".
void DeliverPoint(const char* message, int x, int y)
{
    char text[32];
    std::snprintf(text, sizeof text, "%d %d", x, y);
    Deliver(Menu::Instance(), message, reinterpret_cast<intptr_t>(text));
}

bool Fires(const char* action)
{
    return BufferedInputController::Instance()->GetAction(action, 0) != 0.0f;
}

// The menu keys of one frame; opposite directions cancel each other.
struct MenuKeys {
    bool up = false;
    bool down = false;
    bool left = false;
    bool right = false;
    bool select = false;
    bool back = false;

    static MenuKeys Read()
    {
        return {Fires("(menu):up"),
                Fires("(menu):down"),
                Fires("(menu):left"),
                Fires("(menu):right"),
                Fires("(menu):button a") || Fires("(menu):button b"),
                Fires("(menu):back")};
    }
    // One bit a key, in the order of the fields.
    uint8_t Bits() const
    {
        return static_cast<uint8_t>(up | down << 1 | left << 2 | right << 3 | select << 4 | back << 5);
    }
    static MenuKeys FromBits(uint8_t bits)
    {
        return {(bits & 1) != 0, (bits & 2) != 0, (bits & 4) != 0, (bits & 8) != 0, (bits & 16) != 0, (bits & 32) != 0};
    }

    bool Any() const { return up || down || left || right || select || back; }
    bool AnyDirection() const { return up || down || left || right; }
    void CancelOpposites()
    {
        if (up && down)
            up = down = false;
        if (left && right)
            left = right = false;
    }
};

// A click goes to the menu, then to the item selected after it: a toggle turns (left button
// right, right button left), any other item is chosen. The item selected afterwards.
MenuItem* DeliverClick(MenuKeys& keys, uint32_t pressed, int x, int y)
{
    Menu* menu = Menu::Instance();
    if (!(pressed & (MouseInput::kLeft | MouseInput::kRight)))
        return menu->GetSelectedItem();
    menu->SetMouseMode(true);
    DeliverPoint("menu click", x, y);
    MenuItem* selected = menu->GetSelectedItem();
    if (!selected)
        return nullptr;
    Deliver(selected, "menu click");
    if (dynamic_cast<MenuToggleButton*>(selected)) {
        keys.right = keys.right || (pressed & MouseInput::kLeft);
        keys.left = keys.left || (pressed & MouseInput::kRight);
    } else {
        keys.select = true;
    }
    return selected;
}

// A toggle that has nothing of its own to run when chosen.
bool IsPlainToggle(const MenuItem* item)
{
    const XmlNode* node = item ? item->GetXmlNode() : nullptr;
    return dynamic_cast<const MenuToggleButton*>(item) && (!node || node->GetAttribute("OnSelect").empty());
}

// False when a choice or "back" has taken the frame's input.
bool DeliverKeys(const MenuKeys& keys, MenuItem* selected)
{
    // The pointer took the highlight away: select chooses where it was, and the arrows go on
    // from there.
    if (!selected && (keys.select || keys.AnyDirection()))
        selected = Menu::Instance()->RestoreSelection();
    if (keys.select) {
        // Choosing a plain toggle turns it on, as a click does.
        if (selected)
            Deliver(selected, IsPlainToggle(selected) ? "menu right" : "menu select");
        return false;
    }
    if (keys.back) {
        Deliver(Menu::Instance(), "menu back");
        return false;
    }
    if (selected) {
        const std::pair<bool, const char*> moves[] = {
            {keys.up, "menu up"}, {keys.down, "menu down"}, {keys.left, "menu left"}, {keys.right, "menu right"}};
        for (const auto& [on, message] : moves)
            if (on)
                Deliver(selected, message);
    } else if (keys.AnyDirection()) {
        Menu::Instance()->SelectNext();
    }
    return true;
}

[[maybe_unused]] const bool s_menuHooks = [] {
    FrontEndScreens::Get().menu = [](const std::string& screen) -> State* { return new TBMenu(screen); };
    FrontEndScreens::Get().setScreenSize = &TBMenu::SetScreenSize;
    return true;
}();

}  // namespace

TBMenu::Scale TBMenu::ScreenScale;

void TBMenu::SetScreenSize(int width, int height)
{
    ScreenScale.x = static_cast<float>(width) * 0.00125f;
    ScreenScale.y = static_cast<float>(height) * 0.0016666667f;
    Menu::Instance()->SetScale(ScreenScale.x, ScreenScale.y);
}

TBMenu::TBMenu(const std::string& screen) : m_screenName(screen)
{
    SetName(screen.c_str());
}

TBMenu::~TBMenu()
{
    delete m_next;
}

void TBMenu::SetNext(State* next)
{
    if (next != m_next)
        delete m_next;
    m_next = next;
}

void TBMenu::Enter()
{
    PublishTextVariables();
    Menu* menu = Menu::Instance();
    menu->SetOwner(this);
    CreateMenu();
    menu->SetFadeState(Menu::kFadingIn);
    UpdateMenuVariables();
    m_returnToMainOnExit = false;
    TBMusic* music = TBMusic::Instance();
    if (!music->HasMusic())
        music->PlayMenuMusic();
}

bool TBMenu::CreateMenu()
{
    RegisterToggleEditValues();
    return LoadScreenFile(m_screenName);
}

bool TBMenu::LoadScreenFile(const std::string& screen)
{
    const std::string path = "<PP>\\Menu\\Screens\\" + screen + ".xml";
    File* file = FileSystem::Instance()->Open(path.c_str(), "r");
    if (!file) {
        LogError("TBMenu::CreateMenu could not find menu <%s>\n", screen.c_str());
        return false;
    }
    std::unique_ptr<XmlNode> root = XmlParser().Parse(file);
    Menu* menu = Menu::Instance();
    const bool loaded = menu->LoadScreen(std::move(root));
    menu->SetFadeState(Menu::kFadingIn);
    FileSystem::Instance()->Close(file);
    // A run of the program that cannot be reached from inside learns its screens from this line.
    if (loaded)
        LogMessage("TBMenu::CreateMenu: <%s>\n", screen.c_str());
    else
        LogError("TBMenu::CreateMenu: the menu <%s> could not be built\n", screen.c_str());
    return loaded;
}

void TBMenu::PublishTextVariables()
{
    TextManager* texts = TextManager::Instance();
    Menu* menu = Menu::Instance();
    for (const int32_t number : texts->GetTextNumbers())
        menu->SetVariable("%" + std::to_string(number) + "%", texts->GetText(number, 0));
}

void TBMenu::Exit()
{
    TBMenuToggles::Instance()->Revert();
    Menu* menu = Menu::Instance();
    menu->SetOwner(nullptr);
    menu->ClearScreen();
    if (m_returnToMainOnExit)
        if (GameHost* host = GameHost::Current())
            host->RequestMainMenu();
}

State* TBMenu::Update(float dt)
{
    if (m_notice) {
        UpdateNotice(dt);
        return this;
    }
    State* result = this;
    Menu* menu = Menu::Instance();
    const int fade = menu->GetFadeState();
    if (fade == Menu::kShown) {
        PollMenuInput();
        UpdateMenuVariables();
    } else if (fade == Menu::kFadingIn) {
        KeepEarlyKeys();
    } else if (fade == Menu::kGone) {
        result = m_next;
        m_next = nullptr;
    }
    if (m_leaveAtOnce) {
        result = m_next;
        m_next = nullptr;
    }
    if (result == this)
        menu->Update(dt);
    if (menu->HasItem(kCreditsItem, 0))
        m_creditsScroll += dt * kCreditsSpeed;
    return result;
}

void TBMenu::ShowNotice(const std::string& text)
{
    Menu* menu = Menu::Instance();
    if (m_notice)
        m_notice->text = text;
    else
        m_notice = Notice{text, menu->GetSelectedItemName(), m_position, m_rotation};
    // The screen goes at the next updates, not here: the command runs inside its items.
    menu->SetFadeState(Menu::kFadingOut);
}

void TBMenu::UpdateNotice(float dt)
{
    Menu* menu = Menu::Instance();
    const int fade = menu->GetFadeState();
    if (fade == Menu::kShown && m_notice->shown) {
        m_notice->remaining -= dt;
        if (m_notice->remaining <= 0.0f)
            menu->SetFadeState(Menu::kFadingOut);
    } else if (fade == Menu::kShown) {
        // Asked for while the screen was being built (by its OnLoad), so it faded in first.
        menu->SetFadeState(Menu::kFadingOut);
    } else if (fade == Menu::kGone && !m_notice->shown) {
        menu->ClearScreen();
        menu->SetVariable("%dynamic_message%", m_notice->text);
        LoadScreenFile(kNoticeScreen);
        m_notice->shown = true;
    } else if (fade == Menu::kGone) {
        const std::string selected = m_notice->selected;
        m_position = m_notice->position;
        m_rotation = m_notice->rotation;
        m_notice.reset();
        menu->ClearScreen();
        CreateMenu();
        UpdateMenuVariables();
        if (menu->HasItem(selected))
            menu->SelectItem(selected.c_str());
    }
    menu->Update(dt);
}

void TBMenu::StartKeyCapture(const std::string& action)
{
    m_captureAction = action;
    if (ConfigurableInputMapper* keyboard = PlatformInputDevices::Instance()->GetInputMapper(0)) {
        m_bindingBeforeCapture = keyboard->GetBinding(m_captureAction);
        keyboard->CaptureBinding(m_captureAction, true);
    }
    m_keyCapturePending = true;
}

void TBMenu::PollMenuInput()
{
    if (m_keyCapturePending) {
        PollKeyCapture();
        return;
    }
    Menu* menu = Menu::Instance();
    MenuKeys keys = MenuKeys::Read();
    // Keys pressed while the screen appeared come first, one frame's keys at a time.
    if (!m_earlyKeys.empty()) {
        if (keys.Any() && m_earlyKeys.size() < kMaxEarlyKeys)
            m_earlyKeys.push_back(keys.Bits());
        keys = MenuKeys::FromBits(m_earlyKeys.front());
        m_earlyKeys.erase(m_earlyKeys.begin());
    }
    if (keys.Any())
        menu->SetMouseMode(false);
    MouseInput* mouse = MouseInput::Instance();
    int x = 0, y = 0;
    mouse->GetPosition(x, y);
    MenuItem* selected = DeliverClick(keys, mouse->GetButtonsPressed(), x, y);
    keys.CancelOpposites();
    if (!DeliverKeys(keys, selected))
        return;
    int dx = 0, dy = 0;
    mouse->GetDelta(dx, dy);
    // Only a moving mouse hovers: a resting pointer would take the screen's first
    // selection away before a key could use it.
    if (dx != 0 || dy != 0) {
        menu->SetMouseMode(true);
        DeliverPoint("menu mouse move", x, y);
    }
}

void TBMenu::KeepEarlyKeys()
{
    const MenuKeys keys = MenuKeys::Read();
    if (keys.Any() && m_earlyKeys.size() < kMaxEarlyKeys)
        m_earlyKeys.push_back(keys.Bits());
}

void TBMenu::PollKeyCapture()
{
    ConfigurableInputMapper* keyboard = PlatformInputDevices::Instance()->GetInputMapper(0);
    // Escape gives up the capture: the action keeps the key it had.
    if (keyboard && KeyboardInput::Instance()->GetHeldKey() == vk::Escape)
        keyboard->SetBinding(m_captureAction, m_bindingBeforeCapture);
    // Without a keyboard the capture could never end.
    else if (keyboard && !keyboard->CaptureBinding(m_captureAction, false))
        return;
    m_keyCapturePending = false;
    // The key just bound is taken: it must not be typed into the next field shown.
    KeyboardInput::Instance()->ClearHeldKey();
    if (MenuItem* selected = Menu::Instance()->GetSelectedItem()) {
        selected->SetBlinking(false);
        selected->SetString("");
    }
}

void TBMenu::Render()
{
    RenderMenuInView(
        m_position, m_rotation,
        [this] {
            if (Menu::Instance()->HasItem(kCreditsItem, 0))
                DrawCredits();
        },
        m_drawMouseCursor);
}

int TBMenu::OnMessage(int message, intptr_t param)
{
    const char* word = MessageServer::Instance()->GetMessageName(message);
    if (!word || !param)
        return 0;
    const auto& parameter = *reinterpret_cast<const MenuActionParameter*>(param);
    const std::string argument = parameter.argument ? parameter.argument : "";
    MenuCommandCall call{*this, parameter, argument};
    Menu* menu = Menu::Instance();
    RunCommand(word, call, menu->GetFadeState());
    if (call.switched)
        menu->SetFadeState(Menu::kFadingOut);
    // A failed command keeps the rest of its action text from leading the player away.
    return call.stopped ? -1 : 0;
}

void TBMenu::RunCommand(const std::string& word, MenuCommandCall& call, int fadeState)
{
    menu_commands::Dispatch(word, call, fadeState);
}

TBMenu* TBMenu::CreateScreen(const std::string& screen) const
{
    return new TBMenu(screen);
}
