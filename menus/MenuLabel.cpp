#include "menus/MenuLabel.h"

#include "framework/Debug.h"
#include "framework/Message.h"
#include "menus/MenuText.h"
#include "menus/XmlParser.h"

#include <cstdio>

void MenuLabel::Read(const XmlNode* node, const char* className)
{
    if (!node)
        return;
    if (node->HasAttribute("position"))
        std::sscanf(node->GetAttribute("position").c_str(), "%f,%f", &x, &y);
    text = node->GetAttribute("text");
    selectedText = "<font selected>" + text + "</font>";
    if (node->HasAttribute("selectedText"))
        selectedText = node->GetAttribute("selectedText");
    if (node->HasAttribute("halign")) {
        const std::string& word = node->GetAttribute("halign");
        hasAlign = menutext::ReadHorizontalAlign(word, align);
        if (!hasAlign)
            LogWarning("%s::Create: Unknown halign parameter: %s\n", className, word.c_str());
    }
}

int MenuMessage(const char* name)
{
    return MessageServer::Instance()->RegisterMessage(name);
}
