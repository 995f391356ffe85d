#pragma once

// What every tool that draws without a screen sets up first: the platform layer, one hidden
// window with its GL 3.3 context and, unless the tool starts the engine some other way, the
// engine on the GL device over that window.
//
//     tools::OffscreenSession session("text_demo", 800, 600);
//     if (!session.Start(tools::OffscreenSession::kStartEngine))
//         return 1;                      // already reported on stderr
//     ...draw...                         // the destructor takes everything down

#include "engine/core/RwEngine.h"
#include "engine/core/RwTypes.h"

#include <memory>
#include <string>

namespace platform {
class Window;
}

namespace tools {

class OffscreenSession {
public:
    enum Engine { kWindowOnly, kStartEngine };

    // Nothing starts before Start. The offscreen video driver is used unless the caller's
    // environment chose another.
    OffscreenSession(std::string toolName, int width, int height);
    // Stops the engine if this session started it, then closes the window and the platform.
    ~OffscreenSession();
    OffscreenSession(const OffscreenSession&) = delete;
    OffscreenSession& operator=(const OffscreenSession&) = delete;

    // False, with the step that failed on stderr, when the platform, the window or the engine
    // does not come up; what did come up is taken down again. attach (may be null) attaches
    // the engine's plugins before it opens.
    bool Start(Engine engine, RwBool (*attach)() = nullptr);

    // Null before a successful Start. Valid until the session is destroyed.
    platform::Window* GetWindow() const { return m_window.get(); }
    bool EngineStarted() const { return m_engineStarted; }

private:
    void Stop();

    std::string m_toolName;
    int m_width, m_height;
    bool m_platformUp = false;
    bool m_engineStarted = false;
    std::unique_ptr<platform::Window> m_window;
};

// The renderer on the given device at the given size over the window. A game harness starts
// one of its own size only when none runs, so a tool that wants its own size starts it first.
bool StartRenderer(platform::Window* window, RwDeviceKind device, int width, int height);

}  // namespace tools
