#include "editor/ui/WindowPlacer.h"

#include "editor/WindowPosition.h"

#include <cmath>

namespace editor {

void WindowPlacer::BeforeBegin(const ViewRect& view, ImVec2 size)
{
    if (m_placed)
        return;
    WindowPlace place;
    m_record.Restore(static_cast<int>(size.x), static_cast<int>(size.y), static_cast<int>(view.size.x),
                     static_cast<int>(view.size.y), static_cast<int>(ImGui::GetFrameHeight()), place);
    m_stored = ImVec2(static_cast<float>(place.x), static_cast<float>(place.y));
    ImGui::SetNextWindowPos(ImVec2(view.origin.x + m_stored.x, view.origin.y + m_stored.y), ImGuiCond_Always);
    m_placed = true;
}

void WindowPlacer::AfterBegin(const ViewRect& view)
{
    // A drag is one move: stored once the mouse lets go, not on every frame of it.
    if (ImGui::IsMouseDown(ImGuiMouseButton_Left))
        return;
    const ImVec2 pos = ImGui::GetWindowPos();
    const ImVec2 place(std::round(pos.x - view.origin.x), std::round(pos.y - view.origin.y));
    if (place.x == m_stored.x && place.y == m_stored.y)
        return;
    m_stored = place;
    const ImVec2 size = ImGui::GetWindowSize();
    m_record.Set(static_cast<int>(place.x), static_cast<int>(place.y), static_cast<int>(size.x), static_cast<int>(size.y));
    m_record.Save();
}

}  // namespace editor
