#pragma once

#include <imgui.h>

class WindowPosition;

namespace editor {

// The game view in ImGui's coordinates: below the menu bar, the size of the game's frame.
struct ViewRect {
    ImVec2 origin;
    ImVec2 size;
};

// Keeps one ImGui window where its record says: placed once, when it first opens, and
// stored again whenever a move ends. The record must outlive the placer.
class WindowPlacer {
public:
    explicit WindowPlacer(WindowPosition& record) : m_record(record) {}

    // Before ImGui::Begin, every frame the window is drawn. size is the window's size as
    // it opens (its fixed or first size).
    void BeforeBegin(const ViewRect& view, ImVec2 size);
    // Between ImGui::Begin and ImGui::End: a finished move (the mouse let go at a new
    // place) is Set and Saved.
    void AfterBegin(const ViewRect& view);

private:
    WindowPosition& m_record;
    bool m_placed = false;
    ImVec2 m_stored{0, 0};  // the place last stored or restored, relative to the view
};

}  // namespace editor
