#pragma once

#include "framework/Message.h"
#include "framework/Quaternion.h"
#include "framework/Singleton.h"
#include "framework/Vector.h"

#include <cstdint>
#include <map>
#include <optional>
#include <memory>
#include <string>
#include <vector>

class MenuItem;
class Texture;
class XmlNode;

// What every action message carries to the screen's owner, by pointer. It lives only while
// the message is delivered.
struct MenuActionParameter {
    MenuItem* source = nullptr;  // the widget whose action runs; null for the screen's own
    const char* argument = "";   // the text after the command's first blank
    int32_t result = 0;          // the previous command's answer in the same text
    int32_t words[3] = {};       // free for the handler
};

// The menu screen on display: its widgets, built from the screen's XML, the action texts
// they send to the screen's owner, the menu input, the fades in and out, and the shared
// services of the widgets (variables in texts, scaling, screen points in the menu plane).
//
//     menu->SetOwner(this);
//     menu->LoadScreen(XmlParser().Parse(file));
//     menu->SetFadeState(Menu::kFadingIn);
//     ... each frame: menu->Update(dt); menu->Render(); menu->DrawMouseCursor();
class Menu : public Singleton<Menu>, public MessageListener {
public:
    // The menu's own units; the scale maps them to screen pixels.
    static constexpr float kWidth = 800.0f;
    static constexpr float kHeight = 600.0f;
    enum FadeState { kFadingIn = 0, kFadingOut = 1, kShown = 2, kGone = 3 };
    // Nested macros beyond this are not loaded (logged).
    static constexpr int kMaxMacroDepth = 8;
    // Substitutions in one ExpandVariables call; a text that keeps growing stops there.
    static constexpr int kMaxSubstitutions = 256;
    static constexpr const char* kCursorFile = "<PP>\\Menu\\mousecursor.png";

    Menu();
    ~Menu() override;

    // Builds the screen's items from the tree and keeps the tree until ClearScreen. False,
    // with nothing loaded, for a null root (a missing or empty screen file).
    virtual bool LoadScreen(std::unique_ptr<XmlNode> root);
    // Deletes the items and the trees; the variables and edit values stay. True.
    virtual bool ClearScreen();
    // Each item's update, then the fade bookkeeping.
    virtual void Update(float seconds);
    // The shadow pass and the normal pass (only the normal one with "noShadow").
    virtual void Render();
    // Borrowed; receives the action messages. Null stops them.
    virtual void SetOwner(MessageListener* owner);
    // Null when none is set.
    MessageListener* GetOwner() const { return m_owner; }
    // Runs the commands of an action text (separated by ';') as messages to the owner; a
    // negative answer stops the rest. Returns the last answer (0 when none ran). With an
    // out record, it gets a copy of the last record; its argument dies with the call.
    virtual int ExecuteActions(MenuItem* source, const std::string& text, MenuActionParameter* out = nullptr);

    // Takes the item; it stays valid until RemoveItem or ClearScreen.
    virtual void AddItem(std::unique_ptr<MenuItem> item);
    // Deletes the first item of the name; nothing when there is none.
    virtual void RemoveItem(const std::string& name);
    // True when at least index + 1 items bear the name.
    virtual bool HasItem(const std::string& name, int index = 0) const;
    // Null, after a message box, when there is no such item.
    virtual MenuItem* GetItem(int index) const;
    virtual MenuItem* GetItem(const std::string& name, int index = 0) const;
    virtual int GetItemCount() const { return static_cast<int>(m_items.size()); }
    // The first selected item, or null.
    virtual MenuItem* GetSelectedItem() const;
    virtual std::string GetSelectedItemName() const;

    // Added to the places of the items drawn after it, in menu units. Render sets it back to
    // zero before each pass; origin items set it within one.
    virtual void SetOffset(const Vector2& offset) { m_offset = offset; }
    virtual const Vector2& GetOffset() const { return m_offset; }
    // Pixels per menu unit, per axis.
    virtual void SetScale(const Vector2& scale) { m_scale = scale; }
    void SetScale(float x, float y) { SetScale(Vector2(x, y)); }
    const Vector2& GetScale() const { return m_scale; }
    // The menu plane in the world: the 3D items are drawn on it and ScreenToMenu maps onto it.
    virtual void SetPosition(const Vector3& position) { m_position = position; }
    virtual const Vector3& GetPosition() const { return m_position; }
    virtual void SetRotation(const Quaternion& rotation) { m_rotation = rotation; }
    virtual const Quaternion& GetRotation() const { return m_rotation; }
    // Where the plane is seen from, in the world; null until a view has drawn the menu.
    void SetEye(const Vector3& eye) { m_eye = eye; }
    const Vector3* GetEye() const { return m_eye ? &*m_eye : nullptr; }
    // Menu units to screen pixels.
    virtual void ScalePoint(float& x, float& y) const;
    virtual void ScaleVector(Vector2& v) const { ScalePoint(v.x, v.y); }
    virtual void ScaleRect(Vector4& rect) const;
    // A screen pixel mapped into the turned and moved menu plane, in pixels.
    virtual Vector2 ScreenToMenu(float x, float y) const;
    // The primary camera's size in pixels; the menu's own size without one.
    static Vector2 ScreenSize();

    // The first item of the name's answer; 0 when there is none.
    virtual int SendToItem(const std::string& name, int message, intptr_t param);
    // Clears the selection, then selects the item (none for null).
    virtual void SelectItem(MenuItem* item);
    // The first item of the name; null only clears the selection.
    virtual void SelectItem(const char* name);
    // The previous or next selectable item, wrapping round; nothing when there is none.
    virtual void SelectPrevious();
    virtual void SelectNext();
    // The nearest shown, selectable item on the same row as the item (their drawn areas
    // overlap in height), to its left (direction < 0) or right; nothing when there is none.
    void SelectBeside(const MenuItem& from, int direction);
    // The selected item; with none, the one the pointer last took the selection from is
    // selected again and returned. Null when neither is there or it can no longer be chosen.
    MenuItem* RestoreSelection();

    // Fading in or out sets every item's fade with a delay by its place; shown makes them idle.
    virtual void SetFadeState(int state);
    // -1 until the owner first sets a state.
    virtual int GetFadeState() const { return m_fadeState; }

    // Text numbers ("%60501%") and variables ("%round_number%") replaced by their texts.
    virtual std::string ExpandVariables(const std::string& text);

    // "menu back", "menu click" and "menu mouse move"; the last two carry the text "x y" in
    // screen pixels. Always 0.
    int OnMessage(int message, intptr_t param) override;

    void SetMouseMode(bool on) { m_mouseMode = on; }
    bool IsMouseMode() const { return m_mouseMode; }
    bool IsNoShadow() const { return m_noShadow; }
    // Draws the cursor beside the mouse; nothing without a cursor texture.
    void DrawMouseCursor() const;
    // Null until a screen loads with a running engine; the texture manager owns it.
    const Texture* GetCursorTexture() const { return m_cursorTexture; }

    // Keys include their percent signs. They outlive screens.
    void SetVariable(const std::string& key, const std::string& value) { m_variables[key] = value; }
    std::map<std::string, std::string>& Variables() { return m_variables; }
    // The value published under the name; an absent name is entered as null. The pointer is
    // the publisher's and stays valid as long as it says.
    int* GetEditValue(const std::string& name);
    // Null withdraws the name's value.
    void SetEditValue(const std::string& name, int* value) { m_editValues[name] = value; }

    // Changes whenever the screen's items may have gone (ClearScreen, LoadScreen, RemoveItem).
    uint32_t GetGeneration() const { return m_generation; }

private:
    // Stops when an action replaced the screen.
    void LoadNode(XmlNode* node, int macroDepth);
    void LoadChild(XmlNode* child, int macroDepth);
    void LoadMacro(XmlNode* element, int macroDepth);
    void LoadCursor();
    void Back();
    void Click(float x, float y);
    void Hover(float x, float y);
    void Step(int direction);
    // -1 when nothing is selected.
    int SelectedIndex() const;
    bool AllItemsSettled() const;
    const XmlNode* Screen() const { return m_parsedNodes.empty() ? nullptr : m_parsedNodes.front().get(); }

    std::vector<std::unique_ptr<MenuItem>> m_items;
    std::map<std::string, std::string> m_variables;
    std::map<std::string, int*> m_editValues;
    int m_fadeState = -1;
    Vector2 m_offset;
    Vector2 m_scale;
    Vector3 m_position;
    Quaternion m_rotation;
    std::optional<Vector3> m_eye;
    // The screen's root first, then each macro's, in load order.
    std::vector<std::unique_ptr<XmlNode>> m_parsedNodes;
    MessageListener* m_owner = nullptr;
    bool m_noShadow = false;
    bool m_mouseMode = true;
    // Shared with the texture manager, which keeps it.
    Texture* m_cursorTexture = nullptr;
    bool m_cursorTried = false;
    bool m_warnedNoOwner = false;
    uint32_t m_generation = 0;
    // The item selected before the pointer last moved, while the screen's items stay as they are.
    int m_beforeHover = -1;
    uint32_t m_beforeHoverGeneration = 0;
};
