#pragma once

#include <imgui.h>

#include <string>

namespace editor {

// An edit over a std::string that grows as the user types.
bool InputString(const char* label, std::string* text, ImGuiInputTextFlags flags = 0);

}  // namespace editor

inline ImVec2 operator*(const ImVec2& v, float s) { return ImVec2(v.x * s, v.y * s); }
inline ImVec2 operator+(const ImVec2& a, const ImVec2& b) { return ImVec2(a.x + b.x, a.y + b.y); }
