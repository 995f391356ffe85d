#pragma once

#include "menus/MenuItem.h"

#include <string>

// A marked-up text in the menu plane with a dark drop shadow; variables are expanded at each
// draw.
class MenuStaticText : public MenuDisplayItem {
public:
    void Create(XmlNode* node) override;
    void Draw(int pass) override;
    // The box of the last draw in pixels, at least minArea; zero before the first.
    Vector4 GetArea() const override { return m_area; }
    std::string GetText() const override { return m_text; }

    // In menu units, as the element's "position".
    Vector2 GetPosition() const { return Vector2(m_x, m_y); }
    void SetPosition(float x, float y)
    {
        m_x = x;
        m_y = y;
    }
    const Vector2& GetMinArea() const { return m_minArea; }
    bool HasAlign() const { return m_hasAlign; }
    int GetAlign() const { return m_align; }

private:
    Vector4 m_area;
    Vector2 m_minArea;
    std::string m_text;
    float m_x = 0.0f, m_y = 0.0f;
    bool m_hasAlign = false;
    int m_align = 0;
};

// Sets the text display's text area, for the texts drawn after it in the screen's order.
class MenuTextArea : public MenuDisplayItem {
public:
    void Create(XmlNode* node) override;
    // In every pass, shown or hidden.
    void Draw(int pass) override;
    // In menu units.
    Vector4 GetArea() const override { return m_area; }

private:
    Vector4 m_area;
};
