#include "tools/common/OffscreenSession.h"

#include "engine/core/RwEngine.h"
#include "platform/Platform.h"
#include "platform/Window.h"
#include "scene/RwGraphics.h"

#include <cstdio>
#include <cstdlib>
#include <utility>

namespace tools {

OffscreenSession::OffscreenSession(std::string toolName, int width, int height)
    : m_toolName(std::move(toolName)), m_width(width), m_height(height)
{
}

OffscreenSession::~OffscreenSession()
{
    Stop();
}

bool OffscreenSession::Start(Engine engine, RwBool (*attach)())
{
    Stop();
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    m_platformUp = platform::Init();
    if (!m_platformUp) {
        std::fprintf(stderr, "%s: the platform layer does not start\n", m_toolName.c_str());
        return false;
    }
    platform::WindowSettings settings;
    settings.title = m_toolName;
    settings.width = m_width;
    settings.height = m_height;
    settings.swapInterval = 0;
    m_window = platform::Window::Create(settings);
    if (!m_window) {
        std::fprintf(stderr, "%s: no window of %d x %d with OpenGL 3.3\n", m_toolName.c_str(), m_width, m_height);
        Stop();
        return false;
    }
    if (engine == kWindowOnly)
        return true;
    m_engineStarted = RwEngineStartUp(rwDeviceGL, m_window->GetSDLWindow(), attach);
    if (!m_engineStarted) {
        std::fprintf(stderr, "%s: the engine does not start on GL\n", m_toolName.c_str());
        Stop();
        return false;
    }
    return true;
}

void OffscreenSession::Stop()
{
    if (m_engineStarted)
        RwEngineShutDown();
    m_engineStarted = false;
    // The context goes before the platform that made it.
    m_window.reset();
    if (m_platformUp)
        platform::Shutdown();
    m_platformUp = false;
}

bool StartRenderer(platform::Window* window, RwDeviceKind device, int width, int height)
{
    RwGraphics* graphics = RwGraphics::Instance();
    graphics->SetDeviceKind(device);
    graphics->SetScreenSize(width, height);
    return graphics->Initialise(window);
}

}  // namespace tools
