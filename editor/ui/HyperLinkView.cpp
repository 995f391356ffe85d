#include "editor/ui/HyperLinkView.h"

#include "editor/HyperLink.h"
#include "editor/ui/Widgets.h"

namespace editor {

namespace {

constexpr char kErrorTitle[] = "Turfbolt###tb_link_error";

void FeedMouse(CHyperLink& link, bool hovered, bool activated, bool released)
{
    if (hovered && !link.IsHovering())
        link.OnMouseEnter();
    else if (!hovered && link.IsHovering())
        link.OnMouseLeave();
    if (activated)
        link.OnButtonDown();
    // A press anywhere else takes the focus away.
    else if (!hovered && link.IsPressed() && ImGui::IsMouseClicked(ImGuiMouseButton_Left))
        link.OnFocusLost();
    if (released)
        link.OnButtonUp();
}

void DrawText(const CHyperLink& link, ImVec2 at, ImVec2 textSize)
{
    const LinkColor c = link.GetColor();
    const ImU32 color = IM_COL32(c.r, c.g, c.b, 255);
    ImDrawList* draw = ImGui::GetWindowDrawList();
    draw->AddText(at, color, link.GetText().c_str());
    if (link.HasOption(CHyperLink::kUnderline))
        draw->AddLine(ImVec2(at.x, at.y + textSize.y), ImVec2(at.x + textSize.x, at.y + textSize.y), color);
}

void DrawError(CHyperLink& link)
{
    bool wanted = !link.GetError().empty();
    if (BeginWantedModal(kErrorTitle, &wanted)) {
        ImGui::TextUnformatted(link.GetError().c_str());
        OkCloses(&wanted);
        ImGui::EndPopup();
    }
    if (!wanted)
        link.ClearError();
}

}  // namespace

void DrawHyperLink(CHyperLink& link, ImVec2 size)
{
    ImGui::PushID(&link);
    const ImVec2 textSize = ImGui::CalcTextSize(link.GetText().c_str());
    const bool sized = link.HasOption(CHyperLink::kSizeToText) || size.x <= 0 || size.y <= 0;
    const ImVec2 at = ImGui::GetCursorScreenPos();
    // Released over the link: InvisibleButton's click is the button going up.
    const bool released = ImGui::InvisibleButton("##link", sized ? textSize : size);
    const bool hovered = ImGui::IsItemHovered(ImGuiHoveredFlags_AllowWhenBlockedByActiveItem);
    FeedMouse(link, hovered, ImGui::IsItemActivated(), released);
    if (link.IsPressed() && ImGui::IsWindowFocused() && ImGui::IsKeyPressed(ImGui::GetKeyIndex(ImGuiKey_Space)))
        link.OnSpace();
    if (hovered) {
        if (!link.HasOption(CHyperLink::kNoHandCursor))
            ImGui::SetMouseCursor(ImGuiMouseCursor_Hand);
        ImGui::SetTooltip("%s", link.GetTarget().c_str());
    }
    DrawText(link, at, textSize);
    DrawError(link);
    ImGui::PopID();
}

}  // namespace editor
