#include "platform/Window.h"

#include "framework/Debug.h"
#include "platform/Platform.h"

#include <epoxy/gl.h>

#include <algorithm>

#if defined(__SANITIZE_ADDRESS__)
#define TB_LEAK_CHECKED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TB_LEAK_CHECKED 1
#endif
#endif

#if TB_LEAK_CHECKED
#include <dlfcn.h>
#include <link.h>

#include <cstring>
#include <string>
#include <vector>
#endif

namespace platform {

namespace {

constexpr int kFallbackWidth = 800;
constexpr int kFallbackHeight = 600;
constexpr int kMaxSide = 16384;

bool ValidSize(int width, int height)
{
    return width > 0 && height > 0 && width <= kMaxSide && height <= kMaxSide;
}

// The largest framebuffer the current context renders to, each side; the fixed bound where
// GL does not say.
void MaxDrawableSize(int& width, int& height)
{
    GLint viewport[2] = {0, 0}, renderbuffer = 0, texture = 0;
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, viewport);
    glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &renderbuffer);
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &texture);
    width = height = kMaxSide;
    const auto lower = [](int& side, GLint limit) {
        if (limit > 0)
            side = std::min(side, static_cast<int>(limit));
    };
    for (int* side : {&width, &height}) {
        lower(*side, renderbuffer);
        lower(*side, texture);
    }
    lower(width, viewport[0]);
    lower(height, viewport[1]);
}

void RequestContextAttributes()
{
    SDL_GL_ResetAttributes();
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
}

#if TB_LEAK_CHECKED
// The GL driver keeps caches in its own globals and is unloaded when SDL ends EGL or
// GLX; the leak checker then finds those blocks unreferenced and fails every test that
// made a context. Keeping the driver loaded keeps them reachable.
void KeepGLDriverLoaded()
{
    std::vector<std::string> drivers;
    dl_iterate_phdr(
        [](dl_phdr_info* info, size_t, void* out) {
            const char* name = info->dlpi_name;
            if (name && (std::strstr(name, "_dri.so") || std::strstr(name, "libgallium")))
                static_cast<std::vector<std::string>*>(out)->push_back(name);
            return 0;
        },
        &drivers);
    // Outside the iteration, which holds the loader's lock.
    for (const std::string& name : drivers)
        dlopen(name.c_str(), RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
}
#endif

}  // namespace

std::unique_ptr<Window> Window::Create(const WindowSettings& settings)
{
    if (!IsInitialised()) {
        LogError("Window::Create: platform::Init has not run\n");
        return nullptr;
    }
    int width = settings.width;
    int height = settings.height;
    if (!ValidSize(width, height)) {
        LogWarning("Window::Create: bad size %d x %d, using %d x %d\n", width, height,
                   kFallbackWidth, kFallbackHeight);
        width = kFallbackWidth;
        height = kFallbackHeight;
    }

    RequestContextAttributes();
    std::unique_ptr<Window> window(new Window());
    window->m_refreshRate = settings.refreshRate > 0 ? settings.refreshRate : 0;
    // Hidden until full screen is set up, so a full-screen start never flashes a window.
    const Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN |
                         (settings.fullscreen ? 0 : SDL_WINDOW_RESIZABLE);
    window->m_window = SDL_CreateWindow(settings.title.c_str(), SDL_WINDOWPOS_CENTERED,
                                        SDL_WINDOWPOS_CENTERED, width, height, flags);
    if (!window->m_window) {
        LogError("Window::Create: %s\n", SDL_GetError());
        return nullptr;
    }
    window->m_context = SDL_GL_CreateContext(window->m_window);
    if (!window->m_context) {
        LogError("Window::Create: no OpenGL 3.3 core context: %s\n", SDL_GetError());
        return nullptr;
    }
    const int version = epoxy_gl_version();
    if (!epoxy_is_desktop_gl() || version < 33) {
        LogError("Window::Create: OpenGL %d.%d is too old, 3.3 core is needed\n", version / 10,
                 version % 10);
        return nullptr;
    }
#if TB_LEAK_CHECKED
    KeepGLDriverLoaded();
#endif
    LogMessage("Window::Create: OpenGL %s on %s\n",
               reinterpret_cast<const char*>(glGetString(GL_VERSION)),
               reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
    int mostWidth = 0, mostHeight = 0;
    MaxDrawableSize(mostWidth, mostHeight);
    if (width > mostWidth || height > mostHeight) {
        const int fitWidth = std::min(width, mostWidth), fitHeight = std::min(height, mostHeight);
        LogWarning("Window::Create: OpenGL draws at most %d x %d; %d x %d becomes %d x %d\n", mostWidth, mostHeight,
                   width, height, fitWidth, fitHeight);
        width = fitWidth;
        height = fitHeight;
        SDL_SetWindowSize(window->m_window, width, height);
    }

    window->SetSwapInterval(settings.swapInterval.value_or(IsHeadless() ? 0 : 1));
    if (settings.fullscreen && !window->EnterFullscreen(width, height)) {
        LogWarning("Window::Create: staying in a window\n");
        SDL_SetWindowResizable(window->m_window, SDL_TRUE);
    }
    SDL_ShowWindow(window->m_window);
    return window;
}

Window::~Window()
{
    if (m_context)
        SDL_GL_DeleteContext(m_context);
    if (m_window)
        SDL_DestroyWindow(m_window);
}

void Window::GetSize(int& width, int& height) const
{
    SDL_GetWindowSize(m_window, &width, &height);
}

void Window::GetDrawableSize(int& width, int& height) const
{
    SDL_GL_GetDrawableSize(m_window, &width, &height);
}

bool Window::SetSize(int width, int height)
{
    int mostWidth = 0, mostHeight = 0;
    MaxDrawableSize(mostWidth, mostHeight);
    if (!ValidSize(width, height) || width > mostWidth || height > mostHeight) {
        LogError("Window::SetSize: bad size %d x %d, size unchanged\n", width, height);
        return false;
    }
    if (IsFullscreen())
        return EnterFullscreen(width, height);
    SDL_SetWindowSize(m_window, width, height);
    return true;
}

void Window::SetTitle(const std::string& title)
{
    SDL_SetWindowTitle(m_window, title.c_str());
}

bool Window::IsFullscreen() const
{
    return (SDL_GetWindowFlags(m_window) & SDL_WINDOW_FULLSCREEN) != 0;
}

bool Window::SetFullscreen(bool fullscreen)
{
    if (fullscreen == IsFullscreen())
        return true;
    if (fullscreen) {
        int width = 0;
        int height = 0;
        GetSize(width, height);
        return EnterFullscreen(width, height);
    }
    if (SDL_SetWindowFullscreen(m_window, 0) != 0) {
        LogError("Window::SetFullscreen: cannot leave full screen: %s\n", SDL_GetError());
        return false;
    }
    SDL_SetWindowResizable(m_window, SDL_TRUE);
    if (m_windowedWidth > 0)
        SDL_SetWindowSize(m_window, m_windowedWidth, m_windowedHeight);
    return true;
}

bool Window::EnterFullscreen(int width, int height)
{
    const bool wasFullscreen = IsFullscreen();
    int display = SDL_GetWindowDisplayIndex(m_window);
    if (display < 0)
        display = 0;
    const SDL_DisplayMode wanted = {0, width, height, m_refreshRate, nullptr};
    SDL_DisplayMode mode;
    Uint32 flags = SDL_WINDOW_FULLSCREEN;
    if (SDL_GetClosestDisplayMode(display, &wanted, &mode)) {
        if (mode.w != width || mode.h != height)
            LogWarning("Window::SetFullscreen: no mode %d x %d, using %d x %d\n", width, height,
                       mode.w, mode.h);
        if (SDL_SetWindowDisplayMode(m_window, &mode) != 0) {
            LogError("Window::SetFullscreen: %s\n", SDL_GetError());
            return false;
        }
    } else {
        LogWarning("Window::SetFullscreen: no mode near %d x %d, using the desktop\n", width,
                   height);
        flags = SDL_WINDOW_FULLSCREEN_DESKTOP;
    }
    if (!wasFullscreen)
        GetSize(m_windowedWidth, m_windowedHeight);
    SDL_SetWindowSize(m_window, width, height);
    if (!wasFullscreen && SDL_SetWindowFullscreen(m_window, flags) != 0) {
        LogError("Window::SetFullscreen: %s\n", SDL_GetError());
        SDL_SetWindowSize(m_window, m_windowedWidth, m_windowedHeight);
        return false;
    }
    return true;
}

bool Window::IsMinimised() const
{
    return (SDL_GetWindowFlags(m_window) & SDL_WINDOW_MINIMIZED) != 0;
}

bool Window::IsVisible() const
{
    return (SDL_GetWindowFlags(m_window) & SDL_WINDOW_SHOWN) != 0;
}

int Window::GetRefreshRate() const
{
    // In a window the display keeps its own mode; the window's mode is for full screen.
    SDL_DisplayMode mode{};
    const int display = SDL_GetWindowDisplayIndex(m_window);
    const int got = IsFullscreen() ? SDL_GetWindowDisplayMode(m_window, &mode)
                    : display >= 0 ? SDL_GetCurrentDisplayMode(display, &mode)
                                   : -1;
    return got == 0 && mode.refresh_rate > 0 ? mode.refresh_rate : 0;
}

bool Window::MakeCurrent()
{
    if (SDL_GL_MakeCurrent(m_window, m_context) != 0) {
        LogError("Window::MakeCurrent: %s\n", SDL_GetError());
        return false;
    }
    return true;
}

void Window::Swap()
{
    DisplayWork display;
    SDL_GL_SwapWindow(m_window);
}

bool Window::SetSwapInterval(int interval)
{
    if (interval < -1) {
        LogWarning("Window::SetSwapInterval: bad interval %d, using 0\n", interval);
        SetSwapInterval(0);
        return false;
    }
    if (SDL_GL_SetSwapInterval(interval) != 0) {
        LogWarning("Window::SetSwapInterval: %d refused (%s), using 0\n", interval,
                   SDL_GetError());
        SDL_GL_SetSwapInterval(0);
        m_swapInterval = 0;
        return false;
    }
    m_swapInterval = interval;
    return true;
}

namespace {
PresentHook* s_presentHook = nullptr;
}  // namespace

void SetPresentHook(PresentHook* hook)
{
    s_presentHook = hook;
}

PresentHook* GetPresentHook()
{
    return s_presentHook;
}

}  // namespace platform
