#pragma once

#include <SDL.h>

#include <memory>
#include <optional>
#include <string>

namespace platform {

struct WindowSettings {
    std::string title = "Turfbolt";
    int width = 800;
    int height = 600;
    bool fullscreen = false;
    // Wanted full-screen refresh rate in Hz; 0 lets the display choose.
    int refreshRate = 0;
    // Unset: 1 where vsync exists, 0 under the headless drivers.
    std::optional<int> swapInterval;
};

// The one render window with its OpenGL 3.3 core context (depth 24, stencil 8, double
// buffered), loaded through libepoxy. After Create the context is current on this
// thread and every GL call may be made directly:
//     auto window = platform::Window::Create(settings);   // null (logged) on failure
//     glViewport(0, 0, w, h); ... window->Swap();
// A windowed window can be resized by the user; the event pump reports it.
class Window {
public:
    static std::unique_ptr<Window> Create(const WindowSettings& settings);
    ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    SDL_Window* GetSDLWindow() const { return m_window; }
    SDL_GLContext GetGLContext() const { return m_context; }

    // Size in window units, and in pixels of the GL framebuffer (they differ only on
    // high-density displays).
    void GetSize(int& width, int& height) const;
    void GetDrawableSize(int& width, int& height) const;
    // In full screen the display switches to the closest mode it offers.
    bool SetSize(int width, int height);
    void SetTitle(const std::string& title);

    bool IsFullscreen() const;
    // Full screen takes the display mode closest to the window's size (and the wanted
    // refresh rate); back in a window the size from before returns.
    bool SetFullscreen(bool fullscreen);
    bool ToggleFullscreen() { return SetFullscreen(!IsFullscreen()); }

    bool IsMinimised() const;
    bool IsVisible() const;
    // Hz of the display mode the window is shown in; 0 when the display does not say.
    int GetRefreshRate() const;

    bool MakeCurrent();
    void Swap();
    // 0 off, 1 vsync, -1 adaptive; where the driver refuses, 0 is kept (logged). The
    // headless drivers accept any value but never wait, so a frame limiter should look
    // at IsHeadless() as well as at GetSwapInterval() == 0.
    bool SetSwapInterval(int interval);
    int GetSwapInterval() const { return m_swapInterval; }

private:
    Window() = default;
    bool EnterFullscreen(int width, int height);

    SDL_Window* m_window = nullptr;
    SDL_GLContext m_context = nullptr;
    int m_refreshRate = 0;
    int m_swapInterval = 0;
    int m_windowedWidth = 0;
    int m_windowedHeight = 0;
};

// A rectangle in window pixels from the top-left corner.
struct Rect {
    int x = 0, y = 0, width = 0, height = 0;
};

// Lets another picture share the window with the game's: the renderer shows its frame in
// the view and the hook draws over the whole window before the one swap. The editor frame
// installs one; without it the game's frame fills the window.
class PresentHook {
public:
    virtual ~PresentHook() = default;
    // Where the game's frame goes in a window of this many pixels.
    virtual Rect GetView(int width, int height) const = 0;
    // After the game's frame is in place, before the swap; GL state is left as found.
    virtual void BeforeSwap() = 0;
};
// Null removes it. The hook must stay valid until removed.
void SetPresentHook(PresentHook* hook);
PresentHook* GetPresentHook();

}  // namespace platform
