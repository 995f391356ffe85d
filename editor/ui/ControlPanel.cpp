#include "editor/ui/ControlPanel.h"

#include <imgui.h>

#include <cmath>
#include <cstdio>

namespace {
// The edit box holds what its original held: at most 99 characters.
constexpr size_t kSpeedTextSize = 100;
// As the window opens: two buttons, the speed and the check box.
const ImVec2 kPanelSize(330, 76);
}  // namespace

CControlPanel::CControlPanel(const std::string& positions) : m_position(kTitle, positions)
{
    OnInitDialog();
}

void CControlPanel::OnInitDialog()
{
    m_playPauseText = "Pause";
    m_speedText = "1.0";
    m_stepEnabled = false;
    m_physics = true;
    m_speed = 1.0f;
    m_paused = false;
    m_stepRequested = false;
}

void CControlPanel::OnPlayPause()
{
    m_paused = !m_paused;
    m_playPauseText = m_paused ? "Play" : "Pause";
    m_stepEnabled = m_paused;
}

float CControlPanel::GetSpeed()
{
    float speed = 0.0f;
    // "%f" also reads "nan" and "inf", which would turn every position into NaN.
    if (std::sscanf(m_speedText.substr(0, kSpeedTextSize - 1).c_str(), "%f", &speed) == 1 &&
        std::isfinite(speed) && speed >= 0.0f)
        m_speed = speed;
    return m_speed;
}

void CControlPanel::Draw(const editor::ViewRect& view)
{
    if (!m_shown)
        return;
    m_placer.BeforeBegin(view, kPanelSize);
    if (!ImGui::Begin(kTitle, &m_shown, ImGuiWindowFlags_AlwaysAutoResize | ImGuiWindowFlags_NoSavedSettings)) {
        ImGui::End();
        return;
    }
    m_placer.AfterBegin(view);
    const ImVec2 button(75, 0);
    // The label changes, the button does not: the id after "###" keeps it one widget.
    if (ImGui::Button((std::string(m_playPauseText) + "###playpause").c_str(), button))
        OnPlayPause();
    ImGui::SameLine();
    ImGui::BeginDisabled(!m_stepEnabled);
    if (ImGui::Button("Step", button))
        OnStep();
    ImGui::EndDisabled();
    ImGui::SameLine();
    ImGui::TextUnformatted("Speed:");
    ImGui::SameLine();
    char text[kSpeedTextSize];
    std::snprintf(text, sizeof text, "%s", m_speedText.c_str());
    ImGui::SetNextItemWidth(60);
    // A click selects the old speed, so that typing replaces it.
    if (ImGui::InputText("##speed", text, sizeof text, ImGuiInputTextFlags_AutoSelectAll))
        m_speedText = text;
    ImGui::Checkbox("Physics Simulation", &m_physics);
    ImGui::End();
}
