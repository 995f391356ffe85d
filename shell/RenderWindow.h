#pragma once

#include "platform/Events.h"
#include "platform/Window.h"

#include <cstdint>

namespace platform {
class Window;
}

// What the frame tick asks of the outside world; tests drive the tick with their own.
class TickHost {
public:
    virtual ~TickHost() = default;
    virtual uint64_t Counter();
    virtual uint64_t Frequency();
    // Of the render window; a tick without a window sees it shown and restored.
    virtual bool IsMinimised(const platform::Window* window);
    virtual bool IsVisible(const platform::Window* window);
    virtual void Sleep(uint32_t milliseconds);
};

// Keeps a loop that vsync does not pace from spinning a core: passes start one period
// apart, on a schedule that does not drift, and after a refused tick the loop waits a little.
class FrameLimiter {
public:
    static constexpr double kMinPass = 0.005;
    static constexpr int kFallbackRefreshRate = 60;
    static constexpr uint32_t kIdleWaitMs = 10;

    // The period for a loop without vsync: the shortest tick under the headless drivers,
    // which show nothing; else one refresh of the display (0: unknown, taken as 60 Hz),
    // since a frame drawn between two refreshes is never seen.
    static double PeriodFor(bool headless, int refreshRate);

    // Sleeps through the host until the next pass may start. A pass that ran late starts
    // the schedule afresh, so slow passes are not followed by a burst of quick ones.
    void Pace(TickHost& host, bool ticked, double period = kMinPass);

private:
    uint64_t m_next = 0;
    bool m_first = true;
};

// The render window's state and its message handling: focus, size, close, paint, keys,
// mouse and wheel arrive as platform events; Tick runs one frame.
class RenderWindow : public platform::EventHandler {
public:
    RenderWindow();

    // The render window of the given size on the platform window; the renderer and the
    // sample manager start on it. A renderer that cannot start is fatal.
    bool Create(platform::Window* window);
    // One frame; false when the window is minimised, hidden, unfocused or inactive.
    bool Tick();
    // Shuts the renderer down; the platform window is left to its owner.
    bool Destroy();

    // Borrowed from its owner; null before Create.
    platform::Window* GetHandle() const { return m_window; }
    void SetFocus();
    void Invalidate() { m_invalid = true; }
    bool NeedsPaint() const { return m_invalid; }
    void Paint();

    // The game's part of the window, in window units: all of it unless the editor shares it.
    platform::Rect GetView() const;

    // Borrowed: the host must outlive the window or be replaced first; null restores the
    // window's own.
    void SetTickHost(TickHost* host) { m_host = host ? host : &m_defaultHost; }
    TickHost* GetTickHost() const { return m_host; }
    // The last tick's step, in seconds.
    float GetDeltaTime() const { return m_dt; }
    bool HasFocus() const { return m_hasFocus; }
    bool IsActive() const { return m_active; }

    // Platform events, as the window's messages.
    void OnQuit() override;
    void OnResized(int width, int height) override;
    void OnFocus(bool gained) override;
    void OnExposed() override { Invalidate(); }
    void OnKeyDown(const platform::KeyEvent& key) override;
    void OnKeyUp(const platform::KeyEvent& key) override;
    void OnMouseMotion(const platform::MouseMotionEvent& motion) override;
    void OnMouseButton(const platform::MouseButtonEvent& button) override;
    void OnMouseWheel(int x, int y) override;
    void OnJoystickButton(const platform::JoystickButtonEvent& button) override;

    void OnActivate(bool active);
    void OnSetFocus();
    void OnKillFocus();

private:
    platform::Window* m_window = nullptr;
    TickHost m_defaultHost;
    TickHost* m_host = &m_defaultHost;

    bool m_hasFocus = true;
    bool m_active = false;
    bool m_focusLostOnce = false;
    bool m_mouseWasHidden = false;
    bool m_invalid = false;

    bool m_firstTick = true;
    uint64_t m_frequency = 0;
    uint64_t m_lastCounter = 0;
    float m_dt = 0.0f;
    float m_fps = 0.0f;
};

// Asks the render window to close: the same path as closing it by hand.
void CloseRenderWindow();
