#pragma once

#include <imgui.h>

class CHyperLink;

namespace editor {

// Draws a link as an ImGui item at the cursor and feeds it the mouse, the focus and
// Space: the hand cursor and the target's tool tip while hovered, underlined with
// CHyperLink::kUnderline. Without kSizeToText the item takes the given size. After a
// failed open the link's error shows as a modal box until "OK".
void DrawHyperLink(CHyperLink& link, ImVec2 size = ImVec2(0, 0));

}  // namespace editor
