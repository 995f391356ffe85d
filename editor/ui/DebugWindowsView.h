#pragma once

#include <cstddef>

class CMessageWindow;
class CWatchesWindow;

namespace editor {

struct ViewRect;

// The "Messages" window, drawn while it is shown: the rows through a list clipper in
// ImGui's monospaced default font, filling the window above "Clear"; new rows scroll
// into view. The model must outlive the view.
class MessageWindowView {
public:
    explicit MessageWindowView(CMessageWindow& window) : m_window(window) {}
    void Draw(const ViewRect& view);

private:
    CMessageWindow& m_window;
    size_t m_rowsSeen = 0;
};

// The "Watches" window, drawn while it is shown: the group list, the rows, "Update",
// "Lock" and "HUD".
class WatchesWindowView {
public:
    explicit WatchesWindowView(CWatchesWindow& window) : m_window(window) {}
    void Draw(const ViewRect& view);

private:
    void DrawGroups();

    CWatchesWindow& m_window;
};

}  // namespace editor
