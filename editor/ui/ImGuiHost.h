#pragma once

#include "platform/Handles.h"

#include <string>

namespace platform {
class Window;
}

namespace editor {

// The editor's ImGui context. Over a platform window it draws with OpenGL into that window;
// headless it only lays out and takes input, for tests. One host at a time.
class ImGuiHost {
public:
    ImGuiHost() = default;
    ~ImGuiHost();
    ImGuiHost(const ImGuiHost&) = delete;
    ImGuiHost& operator=(const ImGuiHost&) = delete;

    // False (logged) when a backend refuses; the host is then unusable.
    bool Start(platform::Window& window);
    // No backend: the caller feeds io.MousePos and friends and calls Render, which only ends the frame.
    bool StartHeadless(int width, int height);
    // Shuts ImGui down; nothing when not started. Start and the destructor call it.
    void Stop();

    // The event goes to ImGui too; true when ImGui wants it kept from the game.
    bool ProcessEvent(const platform::Event& event);
    // Nothing until started.
    void NewFrame();
    // Ends the frame and, over a window, draws it over what the game drew.
    void Render();
    // Render in two halves: the frame ends (widgets done) and, later, is drawn into the
    // window's framebuffer, leaving the viewport and framebuffer bindings as found.
    void EndFrame();
    void DrawFrame();
    // The window's framebuffer as an opaque PNG; false (logged) on failure.
    bool CapturePng(const std::string& path) const;

    bool IsStarted() const { return m_started; }

private:
    // Keeps the pointer's place from the mouse events.
    void TrackPointer(const platform::Event& event);

    platform::Window* m_window = nullptr;
    bool m_started = false;
    bool m_headless = false;
    // Left, right and middle as the button events left them.
    static constexpr int kHeldButtons = 3;
    bool m_held[kHeldButtons] = {};
    // Where the last mouse event put the pointer, in window units, while it is over the
    // window or a button holds it.
    bool m_pointerKnown = false;
    float m_pointerX = 0.0f, m_pointerY = 0.0f;
};

}  // namespace editor
