#pragma once

#include "editor/WindowPosition.h"
#include "editor/ui/WindowPlacer.h"

#include <string>

// The editor's tool window for the game clock: pause, single steps, a time scale and the
// physics switch. The idle loop reads it every pass; the panel never calls into the game.
class CControlPanel {
public:
    static constexpr const char* kTitle = "Control Panel";

    // position names the file of the window positions; the panel's record is "Control Panel".
    explicit CControlPanel(const std::string& positions = kWindowPositionsFile);

    // The opening state: running, "Pause", Step disabled, speed "1.0", physics on; the
    // window opens where it was left.
    void OnInitDialog();
    // Running becomes paused and back; the button and Step follow.
    void OnPlayPause();
    void OnStep() { m_stepRequested = true; }
    // The "pause game" key: the state flips, the button keeps its label.
    void SetPaused(bool paused) { m_paused = paused; }

    // Paused with no step waiting. Reading does not spend the step: SpendStep does, once
    // the game has really been advanced by a step.
    bool IsPaused() const { return m_paused && !m_stepRequested; }
    void SpendStep() { m_stepRequested = false; }
    // The speed text read as a number. A text that is not a finite number of at least 0
    // keeps the last valid speed.
    float GetSpeed();
    bool IsPhysicsSimulationOn() const { return m_physics; }

    const std::string& GetSpeedText() const { return m_speedText; }
    void SetSpeedText(const std::string& text) { m_speedText = text; }
    void SetPhysicsSimulation(bool on) { m_physics = on; }
    const char* GetPlayPauseText() const { return m_playPauseText; }
    bool IsStepEnabled() const { return m_stepEnabled; }

    // Closing only hides it.
    void Show() { m_shown = true; }
    bool IsShown() const { return m_shown; }
    // The window, when shown, in the current ImGui frame; a finished move is saved.
    void Draw(const editor::ViewRect& view);

private:
    WindowPosition m_position;
    editor::WindowPlacer m_placer{m_position};
    std::string m_speedText;
    const char* m_playPauseText = "Pause";
    float m_speed = 1.0f;
    bool m_paused = false;
    bool m_stepRequested = false;
    bool m_stepEnabled = false;
    bool m_physics = true;
    bool m_shown = false;
};
