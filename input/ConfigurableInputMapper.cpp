#include "input/ConfigurableInputMapper.h"

#include "framework/Debug.h"
#include "framework/Serializer.h"
#include "input/JoystickInput.h"
#include "input/KeyboardInput.h"

#include <cstdio>
#include <utility>
#include <vector>

// ---------------------------------------------------------------------------------
// Shared part

float ConfigurableInputMapper::GetValue(const std::string& name)
{
    const std::string translated = TranslateName(name);
    if (translated.empty())
        return kUnknown;
    auto it = m_bindings.find(translated);
    if (it == m_bindings.end())
        return kUnknown;
    if (it->second == kUnbound)
        return 0.0f;
    return ReadInput(it->second);
}

std::string ConfigurableInputMapper::GetTargetName(const std::string&)
{
    return "-";
}

std::string ConfigurableInputMapper::TranslateName(const std::string& name)
{
    const size_t colon = name.find(':');
    if (colon == std::string::npos)
        return name;
    const std::string_view prefix(name.data(), colon + 1);
    if ((prefix == "(0):" && !m_claims[0]) || (prefix == "(1):" && !m_claims[1]))
        return {};
    return name;
}

void ConfigurableInputMapper::SerializeInput(Serializer& serializer, int* input)
{
    int32_t value = *input;
    serializer.SerializeInt("Value", &value);
    *input = value;
}

int ConfigurableInputMapper::GetBinding(const std::string& action) const
{
    auto it = m_bindings.find(action);
    return it == m_bindings.end() ? kUnbound : it->second;
}

void ConfigurableInputMapper::SetBinding(const std::string& action, int input)
{
    if (action.empty()) {
        LogWarning("ConfigurableInputMapper::SetBinding: an action needs a name\n");
        return;
    }
    m_bindings[action] = input;
}

void ConfigurableInputMapper::Serialize(Serializer& serializer, const char* descriptor)
{
    serializer.BeginSection("Input Mapper", descriptor);
    // Reading may store under another name than the one asked with, so walk a copy; the
    // bindings held now decide how many entries are read.
    const std::vector<std::pair<std::string, int>> entries(m_bindings.begin(), m_bindings.end());
    for (const auto& [name, code] : entries) {
        std::string actionName = name;
        int value = code;
        serializer.BeginSection("Action", "");
        serializer.SerializeString("Action Name", &actionName);
        SerializeInput(serializer, &value);
        serializer.EndSection();
        if (!serializer.IsReading())
            continue;
        // A code the devices cannot have would index past the key table or read nothing;
        // the binding keeps what it had, which at start-up is the default.
        if (actionName.empty()) {
            LogWarning("ConfigurableInputMapper::Serialize: an action without a name is ignored\n");
        } else if (value != kUnbound && !IsValidInput(value)) {
            LogWarning("ConfigurableInputMapper::Serialize: \"%s\" has the invalid code %d; binding kept\n",
                       actionName.c_str(), value);
        } else {
            m_bindings[actionName] = value;
        }
    }
    serializer.SerializeString("Target", &m_target);
    serializer.EndSection();
}

// ---------------------------------------------------------------------------------
// Keyboard

ConfigurableKeyboardInputMapper::ConfigurableKeyboardInputMapper()
{
    m_shared = true;
    m_unused = true;
    m_claims[0] = m_claims[1] = true;
    SetDefaults();
}

void ConfigurableKeyboardInputMapper::SetDefaults()
{
    static const std::pair<const char*, int> kDefaults[] = {
        {"(menu):up", vk::Up},
        {"(menu):down", vk::Down},
        {"(menu):left", vk::Left},
        {"(menu):right", vk::Right},
        {"(menu):button a", vk::Space},
        {"(menu):button b", vk::Return},
        {"(menu):back", vk::Escape},
        {"escape", vk::Escape},
        {"(0):up", vk::Letter('W')},
        {"(0):down", vk::Letter('S')},
        {"(0):left", vk::Letter('A')},
        {"(0):right", vk::Letter('D')},
        {"(0):button a", vk::Letter('K')},
        {"(0):button b", vk::Letter('L')},
        {"(1):up", vk::Up},
        {"(1):down", vk::Down},
        {"(1):left", vk::Left},
        {"(1):right", vk::Right},
        {"(1):button a", vk::Numpad(1)},
        {"(1):button b", vk::Numpad(2)},
    };
    for (const auto& [action, key] : kDefaults)
        m_bindings[action] = key;
}

std::string ConfigurableKeyboardInputMapper::KeyName(int key)
{
    if (key == kUnbound)
        return kUnboundName;
    if (key == 0)
        return "-";
    if ((key >= vk::Letter('A') && key <= vk::Letter('Z')) || (key >= vk::Digit(0) && key <= vk::Digit(9)))
        return std::string(1, static_cast<char>(key));
    if (key >= vk::Numpad(0) && key <= vk::Numpad(9)) {
        char text[16];
        std::snprintf(text, sizeof text, "NUM %d", key - vk::Numpad0);
        return text;
    }
    switch (key) {
    case vk::Up: return "%80511%";
    case vk::Down: return "%80512%";
    case vk::Left: return "%80513%";
    case vk::Right: return "%80514%";
    case vk::Control: return "%80515%";
    case vk::Shift: return "%80516%";
    case vk::Alt: return "%80517%";
    case vk::Space: return "%80518%";
    case vk::Return: return "%80519%";
    case vk::Back: return "%80520%";
    case vk::Insert: return "%80521%";
    case vk::Delete: return "%80522%";
    case vk::Home: return "%80523%";
    case vk::End: return "%80524%";
    case vk::PageUp: return "%80525%";
    case vk::PageDown: return "%80526%";
    case vk::Tab: return "%80527%";
    case vk::CapsLock: return "%80528%";
    case vk::Semicolon: return "%80529%";
    case vk::Grave: return "%80530%";
    case vk::LeftBracket: return "%80531%";
    case vk::Apostrophe: return "%80532%";
    case vk::Divide: return "%80533%";
    case vk::Separator: return "%80534%";
    case vk::Multiply: return "%80535%";
    case vk::Add: return "%80536%";
    case vk::Subtract: return "%80537%";
    case vk::Decimal: return "%80538%";
    case vk::Plus: return "+";
    case vk::Comma: return ",";
    case vk::Minus: return "-";
    case vk::Period: return ".";
    default: return {};
    }
}

std::string ConfigurableKeyboardInputMapper::GetTargetName(const std::string& action)
{
    auto it = m_bindings.find(action);
    if (it == m_bindings.end())
        return ConfigurableInputMapper::GetTargetName(action);
    return KeyName(it->second);
}

bool ConfigurableKeyboardInputMapper::CaptureBinding(const std::string& action, bool reset)
{
    if (action.empty()) {
        LogWarning("ConfigurableKeyboardInputMapper::CaptureBinding: an action needs a name\n");
        return false;
    }
    KeyboardInput* keyboard = KeyboardInput::Instance();
    if (reset) {
        keyboard->ClearHeldKey();
        m_bindings[action] = kUnbound;
    }
    const int key = keyboard->GetHeldKey();
    if (key == -1)
        return false;
    // Keys without a name could not be shown in the key menu.
    if (KeyName(key).empty()) {
        m_bindings[action] = kUnbound;
        return true;
    }
    m_bindings[action] = key;
    // A key serves one player action at most; menu bindings may share it.
    for (auto& [name, bound] : m_bindings) {
        if (name != action && bound == key && name.rfind("(menu)", 0) != 0)
            bound = kUnbound;
    }
    return true;
}

float ConfigurableKeyboardInputMapper::ReadInput(int key)
{
    return KeyboardInput::Instance()->IsKeyDown(key) ? 1.0f : 0.0f;
}

bool ConfigurableKeyboardInputMapper::IsValidInput(int input) const
{
    return input >= 0 && input < vk::kCount;
}

// ---------------------------------------------------------------------------------
// Joystick

ConfigurableJoystickInputMapper::ConfigurableJoystickInputMapper(int joystickIndex)
    : m_joystickIndex(joystickIndex)
{
    SetDefaults();
}

void ConfigurableJoystickInputMapper::Serialize(Serializer& serializer, const char* descriptor)
{
    serializer.BeginSection("Joystick Input", descriptor);
    ConfigurableInputMapper::Serialize(serializer, descriptor);
    int32_t index = m_joystickIndex;
    serializer.SerializeInt("DirectX Index", &index);
    m_joystickIndex = index;
    serializer.EndSection();
}

void ConfigurableJoystickInputMapper::SetDefaults()
{
    static const std::pair<const char*, int> kMenu[] = {
        {"(menu):up", kStickUp},         {"(menu):down", kStickDown},     {"(menu):left", kStickLeft},
        {"(menu):right", kStickRight},   {"(menu):button a", kButtonA},   {"(menu):back", kButtonB},
        {"(menu):button f", kButtonF},   {"(menu):button g", kButtonG},   {"(menu):button h", kButtonH},
    };
    static const std::pair<const char*, int> kPlayer[] = {
        {"up", kStickUp},     {"down", kStickDown},   {"left", kStickLeft},
        {"right", kStickRight}, {"button a", kButtonA}, {"button b", kButtonB},
    };
    for (const auto& [action, code] : kMenu)
        m_bindings[action] = code;
    for (const char* prefix : {"(0):", "(1):"})
        for (const auto& [word, code] : kPlayer)
            m_bindings[std::string(prefix) + word] = code;
}

const char* ConfigurableJoystickInputMapper::StickInputName(int code)
{
    static const char* const kNames[kStickInputCount] = {
        "-",           "STICK_LEFT",  "STICK_RIGHT", "STICK_UP", "STICK_DOWN", "STICK2_UP",
        "STICK2_DOWN", "BUTTON_A",    "BUTTON_B",    "BUTTON_F", "BUTTON_G",   "BUTTON_H",
    };
    if (code == kUnbound)
        return kUnboundName;
    if (code < 0 || code >= kStickInputCount)
        return "-";
    return kNames[code];
}

std::string ConfigurableJoystickInputMapper::GetTargetName(const std::string& action)
{
    auto it = m_bindings.find(action);
    if (it == m_bindings.end())
        return ConfigurableInputMapper::GetTargetName(action);
    return StickInputName(it->second);
}

float ConfigurableJoystickInputMapper::ReadInput(int code)
{
    const JoystickInput* joystick = DXInput::Instance()->GetJoystick(m_joystickIndex);
    if (!joystick)
        return 0.0f;
    float axis = 0.0f;
    switch (code) {
    case kStickLeft: axis = -joystick->GetX(); break;
    case kStickRight: axis = joystick->GetX(); break;
    case kStickUp: axis = -joystick->GetY(); break;
    case kStickDown: axis = joystick->GetY(); break;
    case kStick2Up: axis = -joystick->GetSlider(); break;
    case kStick2Down: axis = joystick->GetSlider(); break;
    case kButtonA: return joystick->IsButtonDown(0) ? 1.0f : 0.0f;
    case kButtonB: return joystick->IsButtonDown(1) ? 1.0f : 0.0f;
    case kButtonF: return joystick->IsButtonDown(5) ? 1.0f : 0.0f;
    case kButtonG: return joystick->IsButtonDown(6) ? 1.0f : 0.0f;
    case kButtonH: return joystick->IsButtonDown(7) ? 1.0f : 0.0f;
    default: return 0.0f;
    }
    // Past the dead zone the value is not rescaled: a light push reads 0.2 at once.
    return axis >= kDeadZone ? axis : 0.0f;
}

bool ConfigurableJoystickInputMapper::IsValidInput(int input) const
{
    return input >= 0 && input < kStickInputCount;
}
