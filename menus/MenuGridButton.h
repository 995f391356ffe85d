#pragma once

#include "menus/MenuEditValue.h"
#include "menus/MenuItem.h"
#include "menus/MenuLabel.h"
#include "text/Font.h"

#include <string>

// Moves an edit value over a grid of choices in rows of "gridWidth": left and right within
// the row, up and down between rows. Drawn as a line of 2D text and, while selected, a pair
// of arrows either side of another item of the screen ("target"). The mouse never hits it.
class MenuGridButton : public MenuItem {
public:
    // The arrows as Draw prints them, each centred in its area beside the target.
    struct Arrows {
        bool shown = false;
        std::string left, right;
        TextRect leftArea, rightArea;
    };

    int OnMessage(int message, intptr_t param) override;
    void Update(float seconds) override;
    // A "gridWidth" below 1 reads as 1 and a "minValue" above "maxValue" makes the maximum
    // the minimum, each with a warning.
    void Create(XmlNode* node) override;
    // Only the normal pass; hidden grids are drawn too.
    void Draw(int pass) override;
    Vector4 GetArea() const override { return m_rect; }
    bool IsSelectable() const override { return IsEnabled(); }
    std::string GetText() const override { return m_label.text; }

    // The arrows for this frame: none unless idle, selected and the target exists. A
    // missing target is warned about once.
    Arrows GetArrows();
    const MenuEditValue& GetEditValue() const { return m_value; }
    int32_t GetGridWidth() const { return m_gridWidth; }

private:
    // The value after a step within the row (dx) or between rows (dy).
    int32_t Step(int value, int dx, int dy) const;

    MenuLabel m_label;
    Vector4 m_rect;
    MenuEditValue m_value;
    int32_t m_gridWidth = 1;
    bool m_warnedNoTarget = false;
};
