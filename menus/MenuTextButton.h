#pragma once

#include "menus/MenuItem.h"

#include <string>

// The ordinary selectable line of text: one text while not selected, another while selected,
// popping out of the menu plane while selected and springing back through it when left. It
// runs its "OnSelect" on "menu select", moves the selection on "menu up" and "menu down", and
// to the item beside it on "menu left" and "menu right", only while idle and selected. Drawn as 3D text on the menu plane, a dark shadow first.
class MenuTextButton : public MenuItem {
public:
    // How far a fully popped-out text stands in front of the plane, in world units.
    static constexpr float kPopOutDepth = 0.05f;
    // Pop-out speed while selected, per second.
    static constexpr float kPopOutRate = 10.0f;
    // The spring that brings a released text back: stiffness per second squared, and the
    // share of its velocity kept per frame (93% here; toggles keep 97%).
    static constexpr float kSpringStiffness = 50.0f;
    static constexpr float kSpringDamping = 0.93f;
    // Both values snap to 0 once both are smaller than this.
    static constexpr float kSpringRest = 0.01f;

    int OnMessage(int message, intptr_t param) override;
    // The "OnUpdate" action, the fade, then the pop-out.
    void Update(float seconds) override;
    // Reads the attributes; a present "OnSelect" is rewritten in the element to end with
    // "PlaySelectSound" (the element is the menu's and must outlive the item).
    void Create(XmlNode* node) override;
    void Draw(int pass) override;
    // The hit rectangle of the last draw (or the "area" scaled), in pixels.
    Vector4 GetArea() const override { return m_rect; }
    // Left and top edges inside, right and bottom outside; never before the first draw.
    bool HitTest(float x, float y) const override;
    bool IsSelectable() const override { return IsEnabled(); }
    std::string GetText() const override { return m_text; }

    const std::string& GetSelectedText() const { return m_selectedText; }
    float GetPopOut() const { return m_popOut; }
    float GetPopOutVelocity() const { return m_popOutVelocity; }
    bool UsesOffset() const { return m_useOffset; }

protected:
    // Reads "position", "text", "selectedText" and "halign"; className names the widget in
    // the warning about an unknown "halign".
    void ReadTextAttributes(XmlNode* node, const char* className);
    // "menu select" and the four directions while idle and selected; true when the message
    // was one of them and acted on.
    bool HandleNavigation(int message);
    // One frame of the pop-out: up while selected, the spring (keeping damping of its
    // velocity per frame) when not.
    void UpdatePopOut(float seconds, float damping);
    // The text of step 2: the selected or the plain text, variables expanded.
    std::string DisplayText() const;
    // The text a blinking button shows in place of its own: the menu variable named by the
    // extra text when that starts with '%' (an unknown name is entered empty), else the
    // extra text itself.
    std::string BlinkText() const;
    // Prints the text on the plane at the button's position, popped out by the pop-out: the
    // shadow pass (0) at the shadow offset and shadowFollow of the pop-out, the normal pass
    // at the full pop-out.
    void PrintOnPlane(int pass, const std::string& text, float shadowFollow) const;
    // Where the text is held as it pops out, in the plane's frame: the point of the last hit
    // rectangle its alignment keeps, at half its height.
    Vector3 PlaneAnchor() const;
    // The hit rectangle from the shown text (or the fixed "area"), and the debug box.
    void MeasureRect(const std::string& display);
    // Inside the rectangle: left and top edges in, right and bottom out.
    static bool Contains(const Vector4& rect, float x, float y);

    bool m_hasArea = false;
    Vector4 m_rect;
    Vector4 m_area;
    std::string m_text;
    std::string m_selectedText;
    float m_x = 0.0f, m_y = 0.0f;
    bool m_hasAlign = false;
    int m_align = 0;
    bool m_useOffset = true;
    float m_popOut = 0.0f;
    float m_popOutVelocity = 0.0f;
};
