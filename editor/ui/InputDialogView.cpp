#include "editor/ui/InputDialogView.h"

#include "editor/InputDialog.h"
#include "editor/ui/Widgets.h"

#include <imgui.h>

#include <algorithm>
#include <string>

namespace editor {

namespace {

ImU32 Rgb(int r, int g, int b)
{
    return IM_COL32(r, g, b, 255);
}

void DrawGizmo(OrientationControl& gizmo, int id, float w, float h)
{
    const ImVec2 origin = ImGui::GetCursorScreenPos();
    ImGui::PushID(id);
    ImGui::InvisibleButton("##gizmo", ImVec2(w, h));
    ImGui::PopID();
    const ImVec2 mouse = ImGui::GetIO().MousePos;
    const int mx = static_cast<int>(mouse.x - origin.x), my = static_cast<int>(mouse.y - origin.y);
    if (ImGui::IsItemActive() && ImGui::IsMouseDown(0)) {
        if (mx != gizmo.GetLastX() || my != gizmo.GetLastY())
            gizmo.OnMouseMove(mx, my, true);
    } else if (ImGui::IsItemHovered()) {
        gizmo.OnMouseMove(mx, my, false);
    }

    ImDrawList* list = ImGui::GetWindowDrawList();
    const int width = static_cast<int>(w), height = static_cast<int>(h);
    for (int y = 0; y < height; ++y)
        list->AddRectFilled(ImVec2(origin.x, origin.y + y), ImVec2(origin.x + w, origin.y + y + 1),
                            Rgb(0, 0, OrientationControl::BackgroundBlue(y, height)));
    const ImU32 colours[3] = {Rgb(255, 0, 0), Rgb(0, 255, 0), Rgb(0, 0, 255)};
    const char* labels[3] = {"X", "Y", "Z"};
    const ImVec2 centre(origin.x + width / 2, origin.y + height / 2);
    for (int axis = 0; axis < 3; ++axis) {
        const OrientationControl::Point end = gizmo.AxisEnd(axis, width, height);
        list->AddLine(centre, ImVec2(origin.x + end.x, origin.y + end.y), colours[axis], 2.0f);
        for (const auto& s : gizmo.Ring(axis, width, height))
            list->AddLine(ImVec2(origin.x + s.from.x, origin.y + s.from.y), ImVec2(origin.x + s.to.x, origin.y + s.to.y),
                          colours[axis], 1.0f);
        list->AddText(ImVec2(origin.x + end.x - 2, origin.y + end.y - 6), Rgb(0, 0, 0), labels[axis]);
        list->AddText(ImVec2(origin.x + end.x - 4, origin.y + end.y - 8), Rgb(255, 255, 255), labels[axis]);
    }
}

void DrawCombo(DialogControl& c, float width)
{
    ImGui::SetNextItemWidth(width);
    const bool valid = c.selection >= 0 && c.selection < static_cast<int>(c.items.size());
    if (!ImGui::BeginCombo("##combo", valid ? c.items[static_cast<size_t>(c.selection)].c_str() : ""))
        return;
    for (size_t i = 0; i < c.items.size(); ++i)
        if (ImGui::Selectable(c.items[i].c_str(), static_cast<int>(i) == c.selection))
            c.selection = static_cast<int>(i);
    ImGui::EndCombo();
}

}  // namespace

void InputDialogView::Draw(float maxHeight)
{
    if (!m_dialog.IsVisible())
        return;
    const std::string title = m_dialog.GetLabel() + "###" + std::to_string(m_dialog.GetSerial());
    if (m_sizedLayout != m_dialog.GetLayoutSerial()) {
        const float height = std::min(static_cast<float>(m_dialog.GetHeight()), maxHeight);
        ImGui::SetNextWindowSize(ImVec2(static_cast<float>(m_dialog.GetWidth()), height));
        m_sizedLayout = m_dialog.GetLayoutSerial();
    }
    bool open = true;
    ImGui::PushStyleVar(ImGuiStyleVar_WindowPadding, ImVec2(0, 0));
    const bool expanded = ImGui::Begin(title.c_str(), &open,
                                       ImGuiWindowFlags_HorizontalScrollbar | ImGuiWindowFlags_NoSavedSettings);
    ImGui::PopStyleVar();
    if (!open || (ImGui::IsWindowFocused(ImGuiFocusedFlags_RootAndChildWindows) &&
                  ImGui::IsKeyPressed(ImGui::GetKeyIndex(ImGuiKey_Escape)))) {
        m_dialog.OnOkButton();
        ImGui::End();
        return;
    }
    if (expanded) {
        // The click that brings the window back reaches a field only after the refresh.
        if (!m_wasFocused && ImGui::IsMouseClicked(0) && ImGui::IsWindowHovered(ImGuiHoveredFlags_RootAndChildWindows))
            m_dialog.OnSetFocus();
        const ImVec2 size = ImGui::GetWindowSize();
        if (size.x != m_lastWidth || size.y != m_lastHeight) {
            ImGui::SetScrollX(0);
            ImGui::SetScrollY(0);
            m_lastWidth = size.x;
            m_lastHeight = size.y;
        }
        DrawControls(ImGui::GetCursorStartPos().y);
    }
    m_wasFocused = ImGui::IsWindowFocused(ImGuiFocusedFlags_RootAndChildWindows);
    ImGui::End();
}

void InputDialogView::DrawControls(float top)
{
    int command = 0;
    for (const auto& widget : m_dialog.Widgets())
        for (DialogControl& c : widget->Controls())
            if (DrawControl(*widget, c, top))
                command = c.id;
    if (const int pressed = DrawBottomControls(top))
        command = pressed;
    // Room below the bottom buttons, so the content rectangle scrolls as a whole.
    const CInputDialog::Rect content = m_dialog.GetContentRect();
    ImGui::SetCursorPos(ImVec2(static_cast<float>(content.right), top + content.bottom));
    ImGui::Dummy(ImVec2(0, 0));
    // After drawing: a command may rebuild or destroy the widgets being walked.
    if (command)
        m_dialog.OnCommand(command);
}

bool InputDialogView::DrawControl(ParameterInput& widget, DialogControl& c, float top)
{
    ImDrawList* list = ImGui::GetWindowDrawList();
    const float font = ImGui::GetFontSize();
    const float w = static_cast<float>(c.right - c.left), h = static_cast<float>(c.bottom - c.top);
    ImGui::SetCursorPos(ImVec2(static_cast<float>(c.left), top + c.top));
    const ImVec2 at = ImGui::GetCursorScreenPos();
    ImGui::PushClipRect(at, ImVec2(at.x + w, at.y + h), true);
    ImGui::PushID(c.id);
    ImGui::PushStyleVar(ImGuiStyleVar_FramePadding, ImVec2(3, std::max(0.0f, (std::min(h, 20.0f) - font) / 2)));
    bool pressed = false;
    switch (c.kind) {
    case DialogControl::kLabel: ImGui::TextUnformatted(c.text.c_str()); break;
    case DialogControl::kEdit:
        ImGui::SetNextItemWidth(w);
        InputString("##edit", &c.text, ImGuiInputTextFlags_AutoSelectAll);
        break;
    case DialogControl::kCheck: {
        ImGui::TextUnformatted(c.text.c_str());
        ImGui::SetCursorPos(ImVec2(c.right - h - 2, top + c.top));
        ImGui::Checkbox("##check", &c.checked);
        break;
    }
    case DialogControl::kCombo: DrawCombo(c, w); break;
    case DialogControl::kGroup:
        list->AddRect(ImVec2(at.x, at.y + font / 2), ImVec2(at.x + w - 1, at.y + h - 1),
                      ImGui::GetColorU32(ImGuiCol_Border));
        list->AddRectFilled(ImVec2(at.x + 6, at.y), ImVec2(at.x + 10 + ImGui::CalcTextSize(c.text.c_str()).x, at.y + font),
                            ImGui::GetColorU32(ImGuiCol_WindowBg));
        list->AddText(ImVec2(at.x + 8, at.y), ImGui::GetColorU32(ImGuiCol_Text), c.text.c_str());
        break;
    case DialogControl::kButton:
    case DialogControl::kTitle: {
        ImGui::BeginDisabled(!c.enabled);
        pressed = ImGui::Button(c.text.c_str(), ImVec2(w, h));
        ImGui::EndDisabled();
        break;
    }
    case DialogControl::kSlider:
        ImGui::SetNextItemWidth(w);
        ImGui::SliderInt("##slider", &c.position, 0, c.rangeMax, "");
        break;
    case DialogControl::kOrientation:
        if (auto* q = dynamic_cast<ParameterInputQuaternion*>(&widget))
            DrawGizmo(q->Gizmo(), c.id, w, h);
        break;
    case DialogControl::kFrame:
        list->AddRect(at, ImVec2(at.x + w, at.y + h), Rgb(255, 255, 255));
        break;
    }
    ImGui::PopStyleVar();
    ImGui::PopID();
    ImGui::PopClipRect();
    return pressed;
}

int InputDialogView::DrawBottomControls(float top)
{
    const CInputDialog::Rect autoUpdate = m_dialog.GetBottomControl(CInputDialog::kAutoUpdateId);
    ImGui::SetCursorPos(ImVec2(static_cast<float>(autoUpdate.left), top + autoUpdate.top));
    const ImVec2 at = ImGui::GetCursorScreenPos();
    ImGui::PushClipRect(at, ImVec2(at.x + autoUpdate.right - autoUpdate.left, at.y + autoUpdate.bottom - autoUpdate.top), true);
    ImGui::PushStyleVar(ImGuiStyleVar_FramePadding, ImVec2(2, 1));
    ImGui::Checkbox("Auto Update", &m_autoUpdate);
    ImGui::PopStyleVar();
    ImGui::PopClipRect();
    int command = 0;
    for (int id : {CInputDialog::kApplyId, CInputDialog::kOkId}) {
        const CInputDialog::Rect r = m_dialog.GetBottomControl(id);
        ImGui::SetCursorPos(ImVec2(static_cast<float>(r.left), top + r.top));
        if (ImGui::Button(id == CInputDialog::kOkId ? "OK" : "Apply",
                          ImVec2(static_cast<float>(r.right - r.left), static_cast<float>(r.bottom - r.top))))
            command = id;
    }
    return command;
}

}  // namespace editor
