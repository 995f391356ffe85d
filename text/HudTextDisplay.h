#pragma once

#include "scene/HudItems.h"

// The HUD's text items measured and drawn by the text display, their text ids ("%60501%")
// replaced from the text table. Installed for the HUD while the program runs.
class HudTextDisplay : public HudTextService {
public:
    // Every "%number%" whose number the table holds becomes its text; anything else stays.
    std::string Expand(const std::string& text) override;
    void Measure(const std::string& font, const std::string& text, int& width, int& height) override;
    void Print(const std::string& font, const std::string& text, float x, float y, float sx, float sy,
               const Color& colour) override;
};
