// The command words that move between screens, store choices, preview and apply options,
// assign keys and place the menu plane.

#include "audio/SoundEngine.h"
#include "framework/Cast.h"
#include "framework/Debug.h"
#include "framework/FileSystem.h"
#include "framework/Settings.h"
#include "framework/StringUtil.h"
#include "frontend/menu/MenuCommands.h"
#include "frontend/menu/MenuLaunchedCodeFragment.h"
#include "frontend/menu/TBMenu.h"
#include "frontend/menu/TBMenuKeys.h"
#include "frontend/menu/TBMenuToggles.h"
#include "input/ConfigurableInputMapper.h"
#include "input/PlatformInputDevices.h"
#include "menus/Menu.h"
#include "menus/MenuImage.h"
#include "menus/MenuItem.h"
#include "menus/MenuTextField.h"
#include "menus/MenuVirtualKeyboard.h"
#include "menus/TextInput.h"
#include "settings/GameParameters.h"
#include "settings/TrainingSettings.h"

namespace {

constexpr float kDegrees = 0.017453292f;
constexpr int32_t kKeyTextLength = 15;

void HideItem(const char* name)
{
    Menu* menu = Menu::Instance();
    if (menu->HasItem(name, 0))
        menu->GetItem(name, 0)->Hide();
}

void CheckGameVersion(MenuCommandCall&)
{
    const std::string size = SettingsManager::Instance()->GetString("GameSize");
    Menu* menu = Menu::Instance();
    if (size != "XXL") {
        HideItem("storymode");
        menu->SetVariable("%maxDetailLevel%", "1");
    } else {
        menu->SetVariable("%maxDetailLevel%", "2");
        menu->SetVariable("%maxSingleDuration%", "5");
    }
    const auto logo = [menu](const char* texture, const char* duration) {
        if (menu->HasItem("gamelogo", 0))
            if (auto* image = dynamic_cast<MenuImage*>(menu->GetItem("gamelogo", 0)))
                image->SetTexture(texture);
        menu->SetVariable("%maxSingleDuration%", duration);
    };
    if (size == "XS")
        logo("TBlogoLogo_XS", "0");
    else if (size == "XL")
        logo("TBlogoLogo_XL", "5");
}

void SetMenu(MenuCommandCall& call)
{
    call.SetSuccessor(call.menu.CreateScreen(call.argument));
}

void EndMenu(MenuCommandCall& call)
{
    call.SetSuccessor(nullptr);
}

void BackToMain(MenuCommandCall& call)
{
    call.menu.SetReturnToMainOnExit(true);
    TrainingSettings::Instance()->Reset();
    call.SetSuccessor(nullptr);
}

void SetParameter(MenuCommandCall& call)
{
    StringTokenizer tokens(call.argument, "=");
    if (tokens.CountTokens() < 2) {
        LogWarning("TBMenu::OnMessage: SetParameter needs \"key=value\", not \"%s\"\n", call.argument.c_str());
        return;
    }
    const std::string key = tokens.NextToken();
    GameParameters::Instance()->SetParameter(key, tokens.NextToken());
}

void RunCode(MenuCommandCall& call)
{
    MenuLaunchedCodeFragment* code = MenuLaunchedCodeFragment::GetFactory().Create(call.argument.c_str());
    if (!code)
        LogWarning("TBMenu::OnMessage: RunCode: no class \"%s\"; the menu ends\n", call.argument.c_str());
    // No fade: the code takes over at the next update.
    call.menu.SetNext(code);
    call.menu.SetLeaveAtOnce(true);
}

void Accept(MenuCommandCall& call)
{
    if (!TBMenuToggles::Instance()->Apply(true))
        call.Stop(TBMenu::kNotSavedNotice);
}

void Decline(MenuCommandCall&)
{
    TBMenuToggles::Instance()->Revert();
}

void SwitchDevice(MenuCommandCall&)
{
    TBMenuToggles::Instance()->PublishBlockedDevices();
}

// Only what is heard changes; "Accept" or "Decline" settles the value.
void PreviewVolume(int toggle, int channel)
{
    SoundEngine* sound = SoundEngine::Instance();
    sound->SetGroupVolume(channel, static_cast<float>(TBMenuToggles::Instance()->GetToggle(toggle)->value) * 0.1f);
    sound->UpdateVolumes();
}

void ToggleFXVolume(MenuCommandCall&)
{
    PreviewVolume(TBMenuToggles::kFxVolume, 1);
}

void ToggleMusicVolume(MenuCommandCall&)
{
    PreviewVolume(TBMenuToggles::kMusicVolume, 0);
}

void AssignKey(MenuCommandCall& call)
{
    Menu* menu = Menu::Instance();
    if (MenuItem* selected = menu->GetSelectedItem()) {
        selected->SetBlinking(true);
        TextBuffer buffer(kKeyTextLength);
        TextInput::SetText(buffer, selected->GetText());
        std::string value = menu->Variables()[buffer.GetText()];
        // A key name given as a text reference.
        if (!value.empty() && value.front() == '%')
            value = menu->Variables()[value];
        selected->SetString(buffer.prefix + value + buffer.suffix);
    }
    call.menu.StartKeyCapture(call.argument);
}

// The on-screen keyboard's key under its cursor, typed into the text field the argument
// names; its "OK" leaves the keyboard for the item after it.
void TypeKey(MenuCommandCall& call)
{
    Menu* menu = Menu::Instance();
    const auto* keyboard = dynamic_cast<const MenuVirtualKeyboard*>(call.parameter.source);
    auto* field = menu->HasItem(call.argument, 0) ? dynamic_cast<MenuTextField*>(menu->GetItem(call.argument, 0)) : nullptr;
    if (!keyboard || !field) {
        LogWarning("TBMenu::OnMessage: TypeKey needs an on-screen keyboard and a text field, not \"%s\"\n",
                   call.argument.c_str());
        return;
    }
    const std::string key = keyboard->GetCursorLabel();
    if (key == MenuVirtualKeyboard::kDone)
        menu->SelectNext();
    else
        field->TypeOnScreenKey(key);
}

void CheckKeyAssignment(MenuCommandCall&)
{
    Menu* menu = Menu::Instance();
    if (!menu->HasItem("assign", 0))
        return;
    MenuItem* assign = menu->GetItem("assign", 0);
    if (menu_keys::AllAssigned(menu->Variables()))
        assign->Show();
    else
        assign->Hide();
}

void ResetAllBindings()
{
    PlatformInputDevices* devices = PlatformInputDevices::Instance();
    for (int i = 0; i < devices->GetNumDevices(); ++i)
        if (ConfigurableInputMapper* mapper = devices->GetInputMapper(i))
            mapper->SetDefaults();
}

void Controls(MenuCommandCall& call)
{
    StringTokenizer tokens(call.argument, " \t");
    const std::string what = tokens.NextToken();
    if (what == "assign") {
        if (!tokens.HasMoreTokens()) {
            LogWarning("TBMenu::OnMessage: \"Controls assign\" needs a screen\n");
            return;
        }
        if (!menu_keys::AllAssigned(Menu::Instance()->Variables()))
            return;
        Cast* inputs = CastManager::Instance()->GetCast("inputs");
        if (inputs && !SaveSettings(inputs, menu_keys::kKeyFile)) {
            call.Stop(TBMenu::kNotSavedNotice);
            return;
        }
        call.SetSuccessor(call.menu.CreateScreen(tokens.NextToken()));
    } else if (what == "reset") {
        ResetAllBindings();
    } else if (what == "decline") {
        Cast* inputs = CastManager::Instance()->GetCast("inputs");
        if (inputs && FileSystem::Instance()->FileExists(menu_keys::kKeyFile))
            LoadPlayerSettings(inputs, menu_keys::kKeyFile);
        else
            ResetAllBindings();
    }
}

// Exactly three numbers separated by ","; false otherwise.
bool ReadTriple(const std::string& argument, float values[3])
{
    StringTokenizer tokens(argument, ",");
    if (tokens.CountTokens() != 3)
        return false;
    for (int i = 0; i < 3; ++i)
        values[i] = tokens.NextFloat();
    return true;
}

void SetPosition(MenuCommandCall& call)
{
    float v[3];
    if (!ReadTriple(call.argument, v)) {
        LogWarning("illegal SetPosition parameters: %s\n", call.argument.c_str());
        return;
    }
    call.menu.SetPosition(Vector3(v[0], v[1], v[2]));
}

void SetRotation(MenuCommandCall& call)
{
    float v[3];
    if (!ReadTriple(call.argument, v)) {
        LogWarning("illegal SetRotation parameters: %s\n", call.argument.c_str());
        return;
    }
    call.menu.SetRotation(Quaternion(v[1] * kDegrees, Vector3::UnitY) * Quaternion(v[0] * kDegrees, Vector3::UnitX) *
                          Quaternion(v[2] * kDegrees, Vector3::UnitZ));
}

void InitCredits(MenuCommandCall& call)
{
    call.menu.SetCreditsScroll(0.0f);
}

void PlaySelectSound(MenuCommandCall&)
{
    SoundEngine::Instance()->PlayOnce("menuselect");
}

}  // namespace

REGISTER_MENU_COMMAND("CheckGameVersion", CheckGameVersion);
REGISTER_MENU_COMMAND("SetMenu", SetMenu);
REGISTER_MENU_COMMAND("BackToMain", BackToMain);
REGISTER_MENU_COMMAND("SetParameter", SetParameter);
REGISTER_MENU_COMMAND("Accept", Accept);
REGISTER_MENU_COMMAND("Decline", Decline);
REGISTER_MENU_COMMAND("Nothing", EndMenu);
REGISTER_MENU_COMMAND("SwitchDevice", SwitchDevice);
REGISTER_MENU_COMMAND("ToggleFXVolume", ToggleFXVolume);
REGISTER_MENU_COMMAND("ToggleMusicVolume", ToggleMusicVolume);
REGISTER_MENU_COMMAND("QuitGame", EndMenu);
REGISTER_MENU_COMMAND("AssignKey", AssignKey);
REGISTER_MENU_COMMAND("TypeKey", TypeKey);
REGISTER_MENU_COMMAND("CheckKeyAssignment", CheckKeyAssignment);
REGISTER_MENU_COMMAND("Controls", Controls);
REGISTER_MENU_COMMAND("SetPosition", SetPosition);
REGISTER_MENU_COMMAND("SetRotation", SetRotation);
REGISTER_MENU_COMMAND("RunCode", RunCode);
REGISTER_MENU_COMMAND("InitCredits", InitCredits);
REGISTER_MENU_COMMAND("PlaySelectSound", PlaySelectSound);
