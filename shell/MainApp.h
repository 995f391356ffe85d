#pragma once

#include "editor/ui/MainFrame.h"
#include "platform/Events.h"
#include "shell/RenderWindow.h"

#include <memory>
#include <string>

class CControlPanel;
class DebugWindows;

namespace platform {
class Window;
}

// Full-screen sizes selected by the "Resolution" game parameter.
struct Resolution {
    int width;
    int height;
};
inline constexpr Resolution kResolutions[3] = {{800, 600}, {1024, 768}, {1280, 960}};
// The table entry for an index, clamped into the table with a warning.
Resolution SelectResolution(int index);

// The application: start-up, the idle-driven frame loop and shutdown. In a window the
// editor frame surrounds the game view; full screen runs the game alone.
class CMainApp : public FrameHost, public platform::EventFilter {
public:
    static constexpr int kExitCode = 123;

    // Start-up in order; false when the program cannot run (logged).
    bool InitInstance();
    // One idle pass: watches, the control panel, one tick (none while an editor modal waits),
    // then a paint is due.
    bool OnIdle(long count);
    // Start-up, the message loop and shutdown; the process's exit code.
    int Run();

    // The two halves of shutdown, run when the render window closes.
    void ShutdownGame();
    void Exit2();
    // Ends the message loop after this pass.
    void PostQuitMessage(int exitCode);
    bool QuitPosted() const { return m_quitPosted; }

    RenderWindow& GetRenderWindow() { return m_renderWindow; }
    const std::string& GetStartDirectory() const { return m_startDirectory; }

    // Borrowed: the panel must be replaced or cleared (null) before it goes. Without a panel
    // the game runs unpaused at speed 1 again.
    void SetControlPanel(CControlPanel* panel);
    // The tick advanced the game: a single step asked of the panel is spent.
    void GameUpdated();
    // Null in full screen and after shutdown.
    CMainFrame* GetMainFrame() const { return m_frame.get(); }

    // The frame's needs.
    bool CreateRenderWindow(platform::Window& window) override;
    void CloseMainWindow() override;
    // Events pass the frame, while there is one, before the render window.
    bool Filter(platform::Event& event) override;
    bool IsPaused() const { return m_paused; }
    float GetTimeScale() const { return m_timeScale; }
    // Copied from the control panel's physics switch; nothing reads it yet.
    bool GetPhysics() const { return m_physics; }

private:
    bool CreateMainWindow(bool fullScreen, int width, int height);

    RenderWindow m_renderWindow;
    // Declared after the window it draws in, so that it goes first.
    std::unique_ptr<platform::Window> m_mainWnd;
    std::unique_ptr<CMainFrame> m_frame;
    // The Messages and Watches models, full screen too; Debug's sink while they live.
    std::unique_ptr<DebugWindows> m_debugWindows;
    CControlPanel* m_controlPanel = nullptr;
    std::string m_startDirectory;
    bool m_fullScreen = false;
    bool m_paused = false;
    float m_timeScale = 1.0f;
    bool m_physics = true;
    bool m_ticked = false;
    bool m_quitPosted = false;
    int m_exitCode = 0;
};

extern CMainApp theApp;
