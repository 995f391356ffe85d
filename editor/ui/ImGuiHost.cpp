#include "editor/ui/ImGuiHost.h"

#include "engine/core/RwImage.h"
#include "framework/Debug.h"
#include "platform/Window.h"

#include <SDL.h>
#include <epoxy/gl.h>
#include <imgui.h>
#include <backends/imgui_impl_opengl3.h>
#include <backends/imgui_impl_sdl.h>

#include <vector>

namespace editor {

ImGuiHost::~ImGuiHost()
{
    Stop();
}

bool ImGuiHost::Start(platform::Window& window)
{
    Stop();
    IMGUI_CHECKVERSION();
    ImGui::CreateContext();
    ImGui::GetIO().IniFilename = nullptr;
    ImGui::StyleColorsClassic();
    window.MakeCurrent();
    if (!ImGui_ImplSDL2_InitForOpenGL(window.GetSDLWindow(), window.GetGLContext())) {
        LogError("ImGuiHost::Start: the SDL backend refused the window\n");
        ImGui::DestroyContext();
        return false;
    }
    if (!ImGui_ImplOpenGL3_Init("#version 330 core")) {
        LogError("ImGuiHost::Start: the OpenGL backend did not start\n");
        ImGui_ImplSDL2_Shutdown();
        ImGui::DestroyContext();
        return false;
    }
    m_window = &window;
    m_headless = false;
    m_started = true;
    return true;
}

bool ImGuiHost::StartHeadless(int width, int height)
{
    Stop();
    ImGui::CreateContext();
    ImGuiIO& io = ImGui::GetIO();
    io.IniFilename = nullptr;
    io.DisplaySize = ImVec2(static_cast<float>(width), static_cast<float>(height));
    // Each named key is its own slot in KeysDown, so a caller presses ImGuiKey_Escape directly.
    for (int key = 0; key < ImGuiKey_COUNT; ++key)
        io.KeyMap[key] = key;
    unsigned char* pixels = nullptr;
    int w = 0, h = 0;
    io.Fonts->GetTexDataAsRGBA32(&pixels, &w, &h);
    ImGui::StyleColorsClassic();
    m_headless = true;
    m_started = true;
    return true;
}

void ImGuiHost::Stop()
{
    if (!m_started)
        return;
    if (!m_headless) {
        ImGui_ImplOpenGL3_Shutdown();
        ImGui_ImplSDL2_Shutdown();
    }
    ImGui::DestroyContext();
    m_started = false;
    m_window = nullptr;
}

bool ImGuiHost::ProcessEvent(const platform::Event& event)
{
    if (!m_started || m_headless)
        return false;
    ImGui_ImplSDL2_ProcessEvent(&event);
    TrackPointer(event);
    if (event.type == SDL_MOUSEBUTTONDOWN || event.type == SDL_MOUSEBUTTONUP) {
        // ImGui counts left, right, middle; SDL left, middle, right.
        const int index = event.button.button == SDL_BUTTON_LEFT    ? 0
                          : event.button.button == SDL_BUTTON_RIGHT ? 1
                          : event.button.button == SDL_BUTTON_MIDDLE ? 2
                                                                     : -1;
        if (index >= 0)
            m_held[index] = event.type == SDL_MOUSEBUTTONDOWN;
    }
    const ImGuiIO& io = ImGui::GetIO();
    switch (event.type) {
    case SDL_MOUSEMOTION:
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
    case SDL_MOUSEWHEEL: return io.WantCaptureMouse;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
    case SDL_TEXTINPUT: return io.WantCaptureKeyboard;
    default: return false;
    }
}

void ImGuiHost::TrackPointer(const platform::Event& event)
{
    const auto place = [this](int x, int y) {
        m_pointerKnown = true;
        m_pointerX = static_cast<float>(x);
        m_pointerY = static_cast<float>(y);
    };
    switch (event.type) {
    case SDL_MOUSEMOTION:
        place(event.motion.x, event.motion.y);
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        place(event.button.x, event.button.y);
        break;
    case SDL_WINDOWEVENT:
        // Gone from the window with no button held: the backend's "no pointer" stands.
        if (event.window.event == SDL_WINDOWEVENT_LEAVE && !(m_held[0] || m_held[1] || m_held[2]))
            m_pointerKnown = false;
        break;
    default:
        break;
    }
}

void ImGuiHost::NewFrame()
{
    if (!m_started)
        return;
    if (!m_headless) {
        ImGui_ImplOpenGL3_NewFrame();
        ImGui_ImplSDL2_NewFrame();
        // Under the offscreen driver the window never has focus and the backend leaves the
        // mouse alone; the pointer SDL knows is still the one events moved.
        SDL_Window* sdl = m_window->GetSDLWindow();
        if (SDL_GetKeyboardFocus() != sdl && SDL_GetMouseFocus() != sdl) {
            int x = 0, y = 0;
            const Uint32 buttons = SDL_GetMouseState(&x, &y);
            ImGuiIO& io = ImGui::GetIO();
            io.MousePos = ImVec2(static_cast<float>(x), static_cast<float>(y));
            io.MouseDown[0] = io.MouseDown[0] || (buttons & SDL_BUTTON(SDL_BUTTON_LEFT)) != 0;
        }
        // Events that SDL's own state never saw (pushed ones) hold a button too, for a drag.
        for (int i = 0; i < kHeldButtons; ++i)
            ImGui::GetIO().MouseDown[i] = ImGui::GetIO().MouseDown[i] || m_held[i];
        // The backend asks SDL for the pointer, whose global position an X server leaves where
        // a button went down for as long as the button is held; the events keep moving.
        if (m_pointerKnown)
            ImGui::GetIO().MousePos = ImVec2(m_pointerX, m_pointerY);
    }
    ImGui::NewFrame();
}

void ImGuiHost::Render()
{
    EndFrame();
    DrawFrame();
}

void ImGuiHost::EndFrame()
{
    if (m_started)
        ImGui::Render();
}

void ImGuiHost::DrawFrame()
{
    ImDrawData* data = m_started && !m_headless ? ImGui::GetDrawData() : nullptr;
    if (!data)
        return;
    // The engine caches these; what it set must still hold when it draws next.
    GLint viewport[4] = {}, draw = 0;
    glGetIntegerv(GL_VIEWPORT, viewport);
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &draw);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    int width = 0, height = 0;
    m_window->GetDrawableSize(width, height);
    glViewport(0, 0, width, height);
    ImGui_ImplOpenGL3_RenderDrawData(data);
    glViewport(viewport[0], viewport[1], viewport[2], viewport[3]);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, static_cast<GLuint>(draw));
}

bool ImGuiHost::CapturePng(const std::string& path) const
{
    if (!m_started || m_headless) {
        LogError("ImGuiHost::CapturePng: nothing drawn to capture for %s\n", path.c_str());
        return false;
    }
    int width = 0, height = 0;
    m_window->GetDrawableSize(width, height);
    std::vector<unsigned char> rows(static_cast<size_t>(width) * height * 4);
    // The engine may have left its own target bound for reading.
    GLint read = 0;
    glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &read);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rows.data());
    glBindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(read));
    RwImage* image = RwImageCreate(width, height, 32);
    if (!image || !RwImageAllocatePixels(image)) {
        if (image)
            RwImageDestroy(image);
        LogError("ImGuiHost::CapturePng: no image for %s\n", path.c_str());
        return false;
    }
    // GL rows run bottom up.
    for (int y = 0; y < height; ++y) {
        unsigned char* out = image->pixels + static_cast<size_t>(y) * image->stride;
        const unsigned char* in = rows.data() + static_cast<size_t>(height - 1 - y) * width * 4;
        for (int x = 0; x < width; ++x) {
            out[x * 4 + 0] = in[x * 4 + 0];
            out[x * 4 + 1] = in[x * 4 + 1];
            out[x * 4 + 2] = in[x * 4 + 2];
            out[x * 4 + 3] = 255;
        }
    }
    const bool ok = RtPngImageWrite(image, path.c_str());
    RwImageDestroy(image);
    if (!ok)
        LogError("ImGuiHost::CapturePng: cannot write %s\n", path.c_str());
    return ok;
}

}  // namespace editor
