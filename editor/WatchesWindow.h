#pragma once

#include <memory>
#include <string>
#include <vector>

class WatchData;

// The "Watches" window's model: the lines of every watch of one group as rows, with the
// group list, "Update", "Lock" and "HUD". The watches and their groups are Debug's: the
// group list shows Debug's groups in order of first use. Game thread only.
class CWatchesWindow {
public:
    // Rewrites the rows of the shown group's watches whose text changed since the last
    // pass (every row with force) and keeps the others; each watch takes as many rows as
    // its text, "name: " first when it has a name, has non-empty lines. With "HUD" ticked
    // each watch's text also goes to the on-screen status text.
    void Update(bool force);
    // Once per idle pass, after Debug::UpdateWatches: Update unless the watches are locked.
    void OnIdle();

    // The group list as Debug has it.
    std::vector<std::string> GetGroups() const;
    int GetCurrentGroup() const { return m_currentGroup; }
    // The group picked in the list: shown at once (a forced Update).
    void SelectGroup(int index);

    // "Lock" and "Unlock": toggles Debug's watches-locked flag.
    void ToggleLock();
    const char* GetLockLabel() const;

    bool GetHud() const { return m_hud; }
    void SetHud(bool on) { m_hud = on; }

    const std::vector<std::string>& GetRows() const { return m_rows; }

    // Shown sets the Debug flag watches-window-shown; the close box hides and clears it.
    void Show();
    void Hide();
    bool IsVisible() const { return m_visible; }

private:
    // A watch as it stands in the rows: its text then and how many rows it took.
    struct Shown {
        std::weak_ptr<WatchData> watch;
        std::string text;
        size_t rows = 0;
    };
    // Puts the watch's lines at row, replacing the rows it had (none when new).
    void WriteRows(size_t row, size_t oldRows, const std::vector<std::string>& lines);

    std::vector<std::string> m_rows;
    std::vector<Shown> m_shown;
    int m_currentGroup = 0;
    bool m_hud = false;
    bool m_visible = false;
};
