#pragma once

#include "menus/MenuItem.h"
#include "menus/MenuLabel.h"

#include <string>
#include <vector>

// An on-screen keyboard for pads: 41 keys in four rows of eleven (the last row shorter, with
// the wide keys SPACE, DEL and OK), a cursor moved by the menu keys inside the keyboard, and
// "OnSelect" run when a key is chosen. The owner reads the chosen key with GetCursorLabel.
class MenuVirtualKeyboard : public MenuItem {
public:
    static constexpr int kKeyCount = 41;
    static constexpr int kColumns = 11;
    // The labels of the three wide keys.
    static constexpr const char* kSpace = "SPACE";
    static constexpr const char* kDelete = "DEL";
    static constexpr const char* kDone = "OK";
    enum Move { kLeft, kRight, kUp, kDown };

    // One key as drawn: its marked-up label and its place in pixels.
    struct Key {
        std::string text;
        float x = 0.0f, y = 0.0f;
    };

    int OnMessage(int message, intptr_t param) override;
    void Update(float seconds) override { UpdateWithFade(seconds); }
    void Create(XmlNode* node) override;
    // Only the normal pass; hidden keyboards are drawn too.
    void Draw(int pass) override;
    // Always empty: the keyboard takes no clicks.
    Vector4 GetArea() const override { return Vector4(); }
    bool IsSelectable() const override { return IsEnabled(); }
    std::string GetText() const override { return m_label.text; }

    // The cursor after one move; the short last row maps onto the columns above it.
    static int MoveCursor(int cursor, Move move);
    // "A" ... "9", "!", ".", "SPACE", "DEL" or "OK".
    static std::string GetLabel(int key);
    std::string GetCursorLabel() const { return GetLabel(m_cursor); }
    int GetCursor() const { return m_cursor; }
    // The 41 keys as Draw prints them, the cursor's in its own colour.
    void GetKeys(std::vector<Key>& out) const;

private:
    MenuLabel m_label;
    int m_cursor = 0;
};
