#pragma once

// Frames of a headless ImGui context, with the mouse where the test puts it.

#include "editor/ui/ImGuiHost.h"

#include <imgui.h>

#include <functional>

struct Frames {
    editor::ImGuiHost host;
    explicit Frames(int width = 800, int height = 600) { host.StartHeadless(width, height); }
    void Run(const std::function<void()>& draw, ImVec2 mouse = {-1, -1}, bool down = false, const char* typed = nullptr)
    {
        ImGuiIO& io = ImGui::GetIO();
        io.DeltaTime = 1.0f / 60;
        io.MousePos = mouse;
        io.MouseDown[0] = down;
        if (typed)
            io.AddInputCharactersUTF8(typed);
        host.NewFrame();
        draw();
        host.Render();
    }
    void Click(const std::function<void()>& draw, ImVec2 at)
    {
        Run(draw, at, false);
        Run(draw, at, true);
        Run(draw, at, false);
    }
    // One frame with the key held, one with it let go.
    void Press(const std::function<void()>& draw, ImGuiKey key, ImVec2 mouse = {-1, -1})
    {
        ImGuiIO& io = ImGui::GetIO();
        io.KeysDown[io.KeyMap[key]] = true;
        Run(draw, mouse);
        io.KeysDown[io.KeyMap[key]] = false;
        Run(draw, mouse);
    }
};
