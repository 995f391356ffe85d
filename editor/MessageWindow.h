#pragma once

#include <mutex>
#include <string>
#include <vector>

// The "Messages" window's model: every log line, error and warning as a row. Lines may
// arrive from any thread; they become rows at the game thread's next TakeMessages, so
// that the view reads the rows without a lock.
class CMessageWindow {
public:
    static constexpr size_t kMaxMessageLength = 4095;

    // Any thread. At most kMaxMessageLength characters are kept, less one trailing line feed.
    void AddMessage(const char* text);
    // Game thread: moves the lines added since into the rows and selects the last row.
    void TakeMessages();

    // "Clear": removes every row, including lines not yet taken.
    void Clear();

    // Game thread.
    const std::vector<std::string>& GetRows() const { return m_rows; }
    // The selected row, the last one added; -1 without rows.
    int GetSelected() const { return m_selected; }
    void Select(int row) { m_selected = row; }

    // Shown sets the Debug flag message-window-shown; the close box hides and clears it.
    // Hidden, the window keeps its rows.
    void Show();
    void Hide();
    bool IsVisible() const { return m_visible; }

private:
    std::mutex m_pendingLock;  // guards m_pending
    std::vector<std::string> m_pending;
    std::vector<std::string> m_rows;
    int m_selected = -1;
    bool m_visible = false;
};
