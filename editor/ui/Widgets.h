#pragma once

#include <imgui.h>

#include <string>

namespace editor {

// An edit over a std::string that grows as the user types.
bool InputString(const char* label, std::string* text, ImGuiInputTextFlags flags = 0);

// A modal window that a flag asks for: opened on the first frame the flag is set, centred
// on the display. True while it shows: draw it, then ImGui::EndPopup. Its close box, if
// it has one, clears *wanted; so does the caller when it closes the modal itself.
bool BeginWantedModal(const char* title, bool* wanted, ImGuiWindowFlags flags = ImGuiWindowFlags_AlwaysAutoResize);
// "OK", Enter or Escape, in a modal: closes it and clears *wanted.
bool OkCloses(bool* wanted);

}  // namespace editor

inline ImVec2 operator*(const ImVec2& v, float s) { return ImVec2(v.x * s, v.y * s); }
inline ImVec2 operator+(const ImVec2& a, const ImVec2& b) { return ImVec2(a.x + b.x, a.y + b.y); }
