#include "tests/support/OffscreenEngine.h"

#include "platform/Platform.h"
#include "platform/Window.h"
#include "tests/support/ScopedEnv.h"

#include <memory>

namespace {

std::unique_ptr<platform::Window>& SharedWindow()
{
    static std::unique_ptr<platform::Window> window;
    return window;
}

}  // namespace

platform::Window* OffscreenWindow(int width, int height)
{
    std::unique_ptr<platform::Window>& window = SharedWindow();
    if (window)
        return window.get();
    UseOffscreenDriverUnlessSet();
    if (!platform::Init())
        return nullptr;
    platform::WindowSettings settings;
    settings.title = "test";
    settings.width = width;
    settings.height = height;
    settings.swapInterval = 0;
    window = platform::Window::Create(settings);
    return window.get();
}

void CloseOffscreenWindow()
{
    if (!SharedWindow())
        return;
    SharedWindow().reset();
    platform::Shutdown();
}

ScopedEngine::ScopedEngine(RwDeviceKind device, RwBool (*attach)())
{
    void* display = nullptr;
    if (device == rwDeviceGL) {
        platform::Window* window = OffscreenWindow();
        if (!window)
            return;
        display = window->GetSDLWindow();
    }
    m_open = RwEngineStartUp(device, display, attach);
}

ScopedEngine::~ScopedEngine()
{
    if (m_open)
        RwEngineShutDown();
}
