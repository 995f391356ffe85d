#pragma once

#include "framework/Vector.h"

#include <cstdint>
#include <string>

class XmlNode;

// The label the grid and toggle buttons and the virtual keyboard read alike: "position",
// "text", "selectedText" (by default the text in the font "selected") and "halign".
struct MenuLabel {
    // Reads the attributes present; an unknown "halign" is logged as "<className>::Create:
    // Unknown halign parameter: <value>" and leaves the alignment unset.
    void Read(const XmlNode* node, const char* className);

    std::string text;
    std::string selectedText;
    float x = 0.0f, y = 0.0f;
    bool hasAlign = false;
    int32_t align = 0;
};

// The message id of a menu message such as "menu left".
int MenuMessage(const char* name);

// Sets the text display's horizontal alignment for its lifetime, and puts the old one back.
class ScopedTextAlign {
public:
    // Without an alignment (hasAlign clear) it changes nothing.
    ScopedTextAlign(bool hasAlign, int32_t align);
    ~ScopedTextAlign();
    ScopedTextAlign(const ScopedTextAlign&) = delete;
    ScopedTextAlign& operator=(const ScopedTextAlign&) = delete;

private:
    bool m_set;
    int32_t m_previous = 0;
};

// Fills the rectangle (x, y, width, height in pixels) in translucent red while the debug
// option "Display Menu Boxes" is on.
void DrawMenuBox(const Vector4& rect);

// How far a selected 3D text stands out of the menu plane (0 to 1), and how a released one
// swings back through the plane as a damped spring.
struct MenuPopOut {
    // Velocity kept per frame by the text buttons; the toggles keep more.
    static constexpr float kButtonDamping = 0.93f;

    void Update(bool selected, float seconds, float damping);

    float popOut = 0.0f;
    float velocity = 0.0f;
};

class Menu;
// Whether the screen point, mapped into the menu plane, lies in the rectangle; the left and
// top edges are inside, the right and bottom ones outside.
bool HitMenuRect(const Menu& menu, const Vector4& rect, float x, float y);
