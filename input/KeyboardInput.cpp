#include "input/KeyboardInput.h"

#include "framework/Debug.h"

#include <cctype>
#include <cstdio>
#include <cstring>

namespace {

// Reads through the singleton rather than a pointer into it, so a keyboard that is
// destroyed and made again (tests) leaves no dangling watch behind.
class LastKeyWatch : public WatchData {
public:
    void GetText(std::string& out) override
    {
        char buffer[16];
        std::snprintf(buffer, sizeof buffer, "%d", Current());
        out = buffer;
    }
    bool HasChanged() override
    {
        const int now = Current();
        const bool changed = now != m_last;
        m_last = now;
        return changed;
    }

private:
    static int Current() { return KeyboardInput::Exists() ? KeyboardInput::Instance()->GetLastPressedKey() : 0; }
    int m_last = 0;
};

bool s_watchAdded = false;

}  // namespace

KeyboardInput::KeyboardInput()
{
    if (!s_watchAdded) {
        s_watchAdded = true;
        auto* watch = new LastKeyWatch();
        watch->name = "Last Key Pressed";
        Debug::Instance()->AddWatchData(watch, "Keyboard");
    }
}

void KeyboardInput::OnKeyDown(int key)
{
    if (!InRange(key))
        return;
    m_lastPressed = key;
    m_heldKey = key;
    m_keys.Down(static_cast<size_t>(key));
}

void KeyboardInput::OnKeyUp(int key)
{
    if (!InRange(key))
        return;
    // A press still waiting for its frame keeps the key held until that frame has seen it.
    if (m_heldKey == key && !m_keys.IsWaiting(static_cast<size_t>(key)))
        m_heldKey = -1;
    m_keys.Up(static_cast<size_t>(key));
}

bool KeyboardInput::Update(float)
{
    m_keys.Update();
    const std::bitset<vk::kCount>& down = m_keys.Frame();
    const auto held = static_cast<size_t>(m_heldKey);
    if (m_heldKey > 0 && !m_keys.IsDown(held) && !m_keys.IsHeld(held) && !m_keys.IsWaiting(held))
        m_heldKey = -1;
    m_pressed = down & ~m_previous;
    m_released = m_previous & ~down;
    m_lastReleased = 0;
    // Only one key per frame reaches the typed buffer: the highest code released.
    for (int key = vk::kCount - 1; key > 0; --key) {
        if (m_released.test(static_cast<size_t>(key))) {
            m_lastReleased = key;
            break;
        }
    }
    m_previous = down;
    if (m_lastReleased) {
        std::memmove(m_typed + 1, m_typed, kTypedKeys - 2);
        m_typed[kTypedKeys - 1] = 0;
        m_typed[0] = static_cast<uint8_t>(m_lastReleased);
    }
    return true;
}

bool KeyboardInput::IsKeyDown(int key) const
{
    return InRange(key) && m_keys.IsDown(static_cast<size_t>(key));
}

bool KeyboardInput::WasKeyPressed(int key) const
{
    return InRange(key) && m_pressed.test(static_cast<size_t>(key));
}

bool KeyboardInput::WasKeyReleased(int key) const
{
    return InRange(key) && m_released.test(static_cast<size_t>(key));
}

bool KeyboardInput::TypedSequenceMatches(const char* text) const
{
    if (!text)
        return true;
    const size_t length = std::strlen(text);
    if (length >= kTypedKeys)
        return false;
    for (size_t i = 0; i < length; ++i) {
        const int wanted = std::toupper(static_cast<unsigned char>(text[i]));
        if (m_typed[length - 1 - i] != wanted)
            return false;
    }
    return true;
}

void KeyboardInput::ClearTypedKeys()
{
    std::memset(m_typed, 0, sizeof m_typed);
}
