#pragma once

#include "framework/Singleton.h"
#include "input/PressFrames.h"
#include "input/VirtualKeys.h"

#include <bitset>
#include <cstdint>

// Raw keyboard state by virtual-key code, fed by key messages and turned into edges
// once per frame by Update. Mappers read it; game code reads named actions instead.
// Every press reaches a frame as down with both its edges, also one let go again before the
// frame (PressFrames), so no press is lost however long a frame takes.
class KeyboardInput : public Singleton<KeyboardInput> {
public:
    static constexpr int kTypedKeys = 100;

    KeyboardInput();

    // Codes outside 1..255 carry no key and are ignored.
    void OnKeyDown(int key);
    void OnKeyUp(int key);

    // Turns the key messages since the last update into this frame's edges. Always true.
    bool Update(float dt);

    // Down in this frame (as the last update settled it). False for a code outside 1..255.
    bool IsKeyDown(int key) const;
    bool WasKeyPressed(int key) const;
    bool WasKeyReleased(int key) const;

    // The most recent key-down whose key is still held (or was tapped for this frame), or -1.
    int GetHeldKey() const { return m_heldKey; }
    // After a key has been taken (typed into a field, bound to an action) it must not be
    // taken again while it is still held.
    void ClearHeldKey() { m_heldKey = -1; }

    int GetLastPressedKey() const { return m_lastPressed; }
    // The highest code released in the last update, 0 when none was.
    int GetLastReleasedKey() const { return m_lastReleased; }

    // True when the last strlen(text) keys released, oldest first, spell the text in
    // upper case; an empty text always matches.
    bool TypedSequenceMatches(const char* text) const;
    void ClearTypedKeys();

private:
    static bool InRange(int key) { return key > 0 && key < vk::kCount; }

    PressFrames<vk::kCount> m_keys;
    std::bitset<vk::kCount> m_previous;
    std::bitset<vk::kCount> m_pressed;
    std::bitset<vk::kCount> m_released;
    int m_lastReleased = 0;
    int m_lastPressed = 0;
    int m_heldKey = -1;
    uint8_t m_typed[kTypedKeys] = {};  // newest at 0; the last byte stays 0
};
