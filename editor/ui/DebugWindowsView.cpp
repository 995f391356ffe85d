#include "editor/ui/DebugWindowsView.h"

#include "editor/MessageWindow.h"
#include "editor/WatchesWindow.h"
#include "editor/ui/WindowPlacer.h"

#include <imgui.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace editor {

namespace {

constexpr float kWindowWidth = 525;
constexpr float kButtonWidth = 75;

// Opens each window once along the view's right edge, the messages in the upper half,
// the watches in the lower.
void PlaceFirstTime(const ViewRect& view, int half)
{
    const ImVec2 size(std::min(kWindowWidth, view.size.x), std::floor(view.size.y / 2));
    ImGui::SetNextWindowPos(ImVec2(view.origin.x + view.size.x - size.x, view.origin.y + half * size.y), ImGuiCond_FirstUseEver);
    ImGui::SetNextWindowSize(size, ImGuiCond_FirstUseEver);
}

// The rows in a child that fills the window above `below` pixels of controls, the selected
// one highlighted; with scrollToEnd the last row comes into view. ImGui's default font is
// monospaced, so columns of numbers line up. Returns the row clicked, or -1.
int DrawRows(const char* id, const std::vector<std::string>& rows, int selected, bool scrollToEnd, float below)
{
    int clicked = -1;
    if (ImGui::BeginChild(id, ImVec2(0, -below), true, ImGuiWindowFlags_HorizontalScrollbar)) {
        ImGuiListClipper clipper;
        clipper.Begin(static_cast<int>(rows.size()));
        while (clipper.Step())
            for (int i = clipper.DisplayStart; i < clipper.DisplayEnd; ++i) {
                ImGui::PushID(i);
                if (ImGui::Selectable(rows[static_cast<size_t>(i)].c_str(), i == selected))
                    clicked = i;
                ImGui::PopID();
            }
        if (scrollToEnd)
            ImGui::SetScrollHereY(1.0f);
    }
    ImGui::EndChild();
    return clicked;
}

}  // namespace

void MessageWindowView::Draw(const ViewRect& view)
{
    if (!m_window.IsVisible())
        return;
    PlaceFirstTime(view, 0);
    bool open = true;
    if (ImGui::Begin("Messages", &open)) {
        const bool added = m_window.GetRows().size() != m_rowsSeen;
        m_rowsSeen = m_window.GetRows().size();
        const int clicked =
            DrawRows("##messages", m_window.GetRows(), m_window.GetSelected(), added, ImGui::GetFrameHeightWithSpacing());
        if (clicked >= 0)
            m_window.Select(clicked);
        if (ImGui::Button("Clear", ImVec2(kButtonWidth, 0)))
            m_window.Clear();
    }
    ImGui::End();
    if (!open)
        m_window.Hide();
}

void WatchesWindowView::Draw(const ViewRect& view)
{
    if (!m_window.IsVisible())
        return;
    PlaceFirstTime(view, 1);
    bool open = true;
    if (ImGui::Begin("Watches", &open)) {
        DrawGroups();
        DrawRows("##watches", m_window.GetRows(), -1, false, ImGui::GetFrameHeightWithSpacing());
        if (ImGui::Button("Update", ImVec2(kButtonWidth, 0)))
            m_window.Update(false);
        ImGui::SameLine();
        // The label changes; the id stays.
        if (ImGui::Button((std::string(m_window.GetLockLabel()) + "###lock").c_str(), ImVec2(kButtonWidth, 0)))
            m_window.ToggleLock();
        ImGui::SameLine(ImGui::GetWindowContentRegionMax().x - ImGui::CalcTextSize("HUD").x - ImGui::GetFrameHeight() -
                        ImGui::GetStyle().ItemInnerSpacing.x);
        bool hud = m_window.GetHud();
        if (ImGui::Checkbox("HUD", &hud))
            m_window.SetHud(hud);
    }
    ImGui::End();
    if (!open)
        m_window.Hide();
}

void WatchesWindowView::DrawGroups()
{
    const std::vector<std::string> groups = m_window.GetGroups();
    const int current = m_window.GetCurrentGroup();
    const bool known = current >= 0 && current < static_cast<int>(groups.size());
    const float width = ImGui::GetContentRegionAvail().x * 0.45f;
    ImGui::SetCursorPosX(ImGui::GetWindowContentRegionMax().x - width);
    ImGui::SetNextItemWidth(width);
    if (!ImGui::BeginCombo("##group", known ? groups[static_cast<size_t>(current)].c_str() : ""))
        return;
    for (size_t i = 0; i < groups.size(); ++i)
        if (ImGui::Selectable((groups[i] + "##" + std::to_string(i)).c_str(), static_cast<int>(i) == current))
            m_window.SelectGroup(static_cast<int>(i));
    ImGui::EndCombo();
}

}  // namespace editor
