#pragma once

#include <cstdint>
#include <string>

class XmlNode;

// The label every text widget reads alike: "position", "text",
// "selectedText" (by default the text in the font "selected") and "halign".
struct MenuLabel {
    // Reads the attributes present; an unknown "halign" is logged as "<className>::Create:
    // Unknown halign parameter: <value>" and leaves the alignment unset.
    void Read(const XmlNode* node, const char* className);

    std::string text;
    std::string selectedText;
    float x = 0.0f, y = 0.0f;
    bool hasAlign = false;
    int align = 0;
};

// The message id of a menu message such as "menu left".
int MenuMessage(const char* name);
