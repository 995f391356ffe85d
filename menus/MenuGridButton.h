#pragma once

#include "menus/MenuValueButton.h"
#include "text/Font.h"

#include <string>

// Moves an edit value over a grid of choices in rows of "gridWidth": left and right within
// the row, up and down between rows. Drawn as a line of 2D text and, while selected, a pair
// of arrows either side of another item of the screen ("target"). The mouse never hits it.
class MenuGridButton : public MenuValueButton {
public:
    // The arrows as Draw prints them, each centred in its area beside the target.
    struct Arrows {
        bool shown = false;
        std::string left, right;
        TextRect leftArea, rightArea;
    };

    int OnMessage(int message, intptr_t param) override;
    void Update(float seconds) override;
    void Create(XmlNode* node) override;
    // Only the normal pass; hidden grids are drawn too.
    void Draw(int pass) override;

    // The arrows for this frame: none unless idle, selected and the target exists. A
    // missing target is warned about once.
    Arrows GetArrows();
    int32_t GetGridWidth() const { return m_gridWidth; }

protected:
    int32_t InRange(int64_t value) const override;

private:
    // A step within the row (dx) or between rows (dy), from the value v.
    int32_t Step(int value, int dx, int dy) const;

    int32_t m_gridWidth = 1;
    bool m_warnedNoTarget = false;
};
