#include "shell/RenderWindow.h"

#include "framework/Debug.h"
#include "framework/MainProgram.h"
#include "framework/TimeInfo.h"
#include "platform/Cursor.h"
#include "platform/Platform.h"
#include "platform/Window.h"
#include "scene/Camera.h"
#include "scene/RwGraphics.h"
#include "shell/MainApp.h"
#include "shell/ShellAudio.h"
#include "shell/ShellInput.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {
constexpr double kMinTick = 0.005;
constexpr double kMaxTick = 0.3;
}  // namespace

uint64_t TickHost::Counter()
{
    return platform::PerformanceCounter();
}

uint64_t TickHost::Frequency()
{
    return platform::PerformanceFrequency();
}

bool TickHost::IsMinimised(const platform::Window* window)
{
    return window && window->IsMinimised();
}

bool TickHost::IsVisible(const platform::Window* window)
{
    return !window || window->IsVisible();
}

void TickHost::Sleep(uint32_t milliseconds)
{
    platform::Sleep(milliseconds);
}

double FrameLimiter::PeriodFor(bool headless, int refreshRate)
{
    if (headless)
        return kMinPass;
    return 1.0 / static_cast<double>(refreshRate > 0 ? refreshRate : kFallbackRefreshRate);
}

void FrameLimiter::Pace(TickHost& host, bool ticked, double period)
{
    if (!ticked) {
        host.Sleep(kIdleWaitMs);
        m_first = true;
        return;
    }
    const uint64_t frequency = host.Frequency();
    const auto step = static_cast<uint64_t>(std::max(period, 0.0) * static_cast<double>(frequency));
    const uint64_t now = host.Counter();
    // m_next is the slot of the pass about to start. The first pass, one more than a period
    // late and a counter that went backwards start the schedule anew, at once.
    if (m_first || now >= m_next + step || m_next > now + step)
        m_next = now;
    else if (now < m_next && frequency > 0)
        host.Sleep(static_cast<uint32_t>(
            std::ceil(static_cast<double>(m_next - now) * 1000.0 / static_cast<double>(frequency))));
    m_next += step;
    m_first = false;
}

RenderWindow::RenderWindow() = default;

bool RenderWindow::Create(platform::Window* window)
{
    m_window = window;
    // A new window is the one in front, whatever an earlier run's window went through; with
    // no window manager (an off-screen run) no focus event ever comes to say so.
    m_hasFocus = true;
    m_active = true;
    m_firstTick = true;
    RwGraphics* graphics = RwGraphics::Instance();
    // The view gets the renderer's size; what else the window holds (the editor's bar) adds.
    int width = 0, height = 0;
    window->GetSize(width, height);
    const platform::Rect view = GetView();
    window->SetSize(graphics->GetWidth() + width - view.width, graphics->GetHeight() + height - view.height);
    // The window may not get the size asked for: the game renders at the size it got.
    const platform::Rect got = GetView();
    if (got.width != graphics->GetWidth() || got.height != graphics->GetHeight()) {
        LogWarning("RenderWindow::Create: the view is %d x %d, not %d x %d; the game renders at its size\n", got.width,
                   got.height, graphics->GetWidth(), graphics->GetHeight());
        graphics->SetScreenSize(got.width, got.height);
    }
    SetFocus();

    Debug::Instance()->AddWatch("fps", &m_fps, "Statistics");
    Debug::Instance()->AddWatch("delta time ms", &m_dt, "Statistics");

    if (!graphics->Initialise(window)) {
        // Nothing can be shown without a renderer.
        LogFatalError("RenderWindow::Create: the renderer failed to start.\n");
    }
    if (!shell_audio::Init())
        LogWarning("DX3Application::Create: Failed to initialize SampleManager!\n");
    return true;
}

bool RenderWindow::Tick()
{
    if (!RwGraphics::Instance()->IsFullScreen())
        m_active = true;
    if (m_host->IsMinimised(m_window) || !m_host->IsVisible(m_window) || !m_hasFocus || !m_active)
        return false;

    if (m_firstTick) {
        m_frequency = m_host->Frequency();
        if (m_frequency == 0) {
            LogMessageBox("No Performance Counter!");
            std::abort();
        }
        m_lastCounter = m_host->Counter();
        m_firstTick = false;
    }
    const uint64_t now = m_host->Counter();
    // A counter that went backwards counts as no time.
    const long double elapsed =
        now > m_lastCounter ? (long double)(now - m_lastCounter) / (long double)m_frequency : 0.0L;
    float dt = float(elapsed);
    // Time keeps accumulating until the next call.
    if (dt < kMinTick)
        return true;
    // The rest of a long stall is dropped.
    if (dt > kMaxTick)
        dt = float(kMaxTick);
    m_lastCounter = now;
    m_dt = dt;
    m_fps = 1.0f / dt;

    Debug::Instance()->ClearStatus();
    TimeInfo::Instance()->AddFrame(dt);

    const bool cursorHidden = shell_input::IsCursorHidden();
    const platform::Rect view = GetView();
    if (cursorHidden && m_window) {
        int x = 0, y = 0;
        platform::GetCursorPosition(x, y);
        shell_input::MousePosition(x - view.x, y - view.y);
    }
    shell_input::Update(dt);
    if (cursorHidden && m_window) {
        platform::WarpCursor(*m_window, view.x + view.width / 2, view.y + view.height / 2);
        shell_input::ResetMousePosition(view.width / 2, view.height / 2);
    }

    MainProgram::Instance()->Update(theApp.IsPaused() ? 0.0f : theApp.GetTimeScale() * dt);
    theApp.GameUpdated();
    Invalidate();
    return true;
}

platform::Rect RenderWindow::GetView() const
{
    int width = 0, height = 0;
    if (m_window)
        m_window->GetSize(width, height);
    const platform::PresentHook* hook = platform::GetPresentHook();
    return hook ? hook->GetView(width, height) : platform::Rect{0, 0, width, height};
}

bool RenderWindow::Destroy()
{
    LogMessage("RenderWindow Destroy\n");
    LogMessage("RwGraphics::Instance()->Exit()\n");
    RwGraphics::Instance()->Destroy();
    LogMessage("RwGraphics::Instance()->Exit() ok\n");
    return true;
}

void RenderWindow::SetFocus()
{
    if (m_window)
        SDL_RaiseWindow(m_window->GetSDLWindow());
}

void RenderWindow::Paint()
{
    m_invalid = false;
    MainProgram* program = MainProgram::Instance();
    if (program->HasCurrentState()) {
        program->Render();
        return;
    }
    // No state to draw: the window shows black.
    RwGraphics* graphics = RwGraphics::Instance();
    PrimaryCamera* camera = graphics->GetPrimaryCamera();
    if (!camera)
        return;
    static const float kBlack[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    graphics->BeginRender();
    camera->Clear(kBlack, 3);
    graphics->Render();
}

void RenderWindow::OnQuit()
{
    // A second request (another signal) finds everything shut down already.
    if (theApp.QuitPosted())
        return;
    LogMessage("RenderWindow: Exit\n");
    theApp.ShutdownGame();
    LogMessage("RenderWindow: Exit 2\n");
    theApp.Exit2();
    m_window = nullptr;
    LogMessage("AfxPostQuitMesage\n");
    theApp.PostQuitMessage(CMainApp::kExitCode);
    LogMessage("AfxPostQuitMesage ok\n");
}

void RenderWindow::OnResized(int width, int height)
{
    if (PrimaryCamera* camera = RwGraphics::Instance()->GetPrimaryCamera())
        camera->SetSize(uint32_t(width), uint32_t(height));
    Invalidate();
}

void RenderWindow::OnFocus(bool gained)
{
    if (gained) {
        OnActivate(true);
        OnSetFocus();
    } else {
        OnActivate(false);
        OnKillFocus();
    }
}

void RenderWindow::OnActivate(bool active)
{
    if (active) {
        m_active = true;
        MainProgram::Instance()->HandleEvent("got focus", 0, 0);
    } else {
        MainProgram::Instance()->HandleEvent("lost focus", 0, 0);
        m_active = false;
    }
}

void RenderWindow::OnSetFocus()
{
    m_hasFocus = true;
    if (m_focusLostOnce && m_mouseWasHidden)
        shell_input::HideCursor(true);
    if (m_window)
        platform::ShowCursor(false);
}

void RenderWindow::OnKillFocus()
{
    m_hasFocus = false;
    m_mouseWasHidden = shell_input::IsCursorHidden();
    if (m_mouseWasHidden)
        shell_input::HideCursor(false);
    m_focusLostOnce = true;
    if (m_window)
        platform::ShowCursor(true);
}

void RenderWindow::OnKeyDown(const platform::KeyEvent& key)
{
    shell_input::KeyDown(key.scancode);
}

void RenderWindow::OnKeyUp(const platform::KeyEvent& key)
{
    shell_input::KeyUp(key.scancode);
}

void RenderWindow::OnMouseMotion(const platform::MouseMotionEvent& motion)
{
    if (m_hasFocus)
        shell_input::MouseState(motion.x, motion.y, motion.buttons, !shell_input::IsCursorHidden());
}

void RenderWindow::OnMouseButton(const platform::MouseButtonEvent& button)
{
    // Only the left and right buttons are messages of their own.
    if (!m_hasFocus || (button.button != SDL_BUTTON_LEFT && button.button != SDL_BUTTON_RIGHT))
        return;
    shell_input::MouseState(button.x, button.y, button.buttons, !shell_input::IsCursorHidden());
}

void RenderWindow::OnMouseWheel(int /*x*/, int y)
{
    shell_input::MouseWheel(y);
}

void RenderWindow::OnJoystickButton(const platform::JoystickButtonEvent& button)
{
    // Only the press matters: the poll reads the release from the device.
    if (button.down)
        shell_input::JoystickButtonDown(button.instanceId, button.button);
}

void CloseRenderWindow()
{
    LogMessage("CloseRenderWindow\n");
    platform::RequestQuit();
}
