#include "editor/WatchesWindow.h"

#include "framework/Debug.h"
#include "framework/StringUtil.h"

namespace {

std::vector<std::string> NonEmptyLines(const std::string& text)
{
    std::vector<std::string> lines;
    for (StringTokenizer tokens(text, "\n"); tokens.HasMoreTokens();)
        lines.push_back(tokens.NextToken());
    return lines;
}

}  // namespace

void CWatchesWindow::Update(bool force)
{
    if (force) {
        m_rows.clear();
        m_shown.clear();
    }
    std::vector<Shown> shown;
    size_t row = 0;
    for (const std::shared_ptr<WatchData>& watch : Debug::Instance()->GetWatches()) {
        if (watch->group != m_currentGroup)
            continue;
        std::string text;
        watch->GetText(text);
        // A watch's text is its value alone; shown without its name it would mean nothing.
        if (!watch->name.empty())
            text.insert(0, watch->name + ": ");
        // Watches are only ever appended or all removed, so the n-th watch shown is the
        // n-th of the last pass while it is still the same watch.
        const size_t index = shown.size();
        if (index < m_shown.size() && m_shown[index].watch.lock() != watch) {
            m_shown.resize(index);
            m_rows.resize(row);
        }
        const bool known = index < m_shown.size();
        size_t rows = known ? m_shown[index].rows : 0;
        if (!known || m_shown[index].text != text) {
            const std::vector<std::string> lines = NonEmptyLines(text);
            WriteRows(row, rows, lines);
            rows = lines.size();
        }
        row += rows;
        if (m_hud)
            LogStatus("%s\n", text.c_str());
        shown.push_back({watch, std::move(text), rows});
    }
    m_rows.resize(row);
    m_shown = std::move(shown);
}

void CWatchesWindow::WriteRows(size_t row, size_t oldRows, const std::vector<std::string>& lines)
{
    const auto at = m_rows.begin() + static_cast<std::ptrdiff_t>(row);
    m_rows.erase(at, at + static_cast<std::ptrdiff_t>(oldRows));
    m_rows.insert(m_rows.begin() + static_cast<std::ptrdiff_t>(row), lines.begin(), lines.end());
}

void CWatchesWindow::OnIdle()
{
    if (!Debug::Instance()->watchesLocked)
        Update(false);
}

std::vector<std::string> CWatchesWindow::GetGroups() const
{
    return Debug::Instance()->GetWatchGroups();
}

void CWatchesWindow::SelectGroup(int index)
{
    m_currentGroup = index;
    Update(true);
}

void CWatchesWindow::ToggleLock()
{
    Debug::Instance()->watchesLocked = !Debug::Instance()->watchesLocked;
}

const char* CWatchesWindow::GetLockLabel() const
{
    return Debug::Instance()->watchesLocked ? "Unlock" : "Lock";
}

void CWatchesWindow::Show()
{
    m_visible = true;
    Debug::Instance()->watchesWindowShown = true;
}

void CWatchesWindow::Hide()
{
    m_visible = false;
    Debug::Instance()->watchesWindowShown = false;
}
