#include "editor/MessageWindow.h"

#include "framework/Debug.h"

#include <cstring>

void CMessageWindow::AddMessage(const char* text)
{
    if (!text)
        return;
    std::string line(text, strnlen(text, kMaxMessageLength));
    if (!line.empty() && line.back() == '\n')
        line.pop_back();
    std::lock_guard<std::mutex> lock(m_pendingLock);
    m_pending.push_back(std::move(line));
}

void CMessageWindow::TakeMessages()
{
    std::vector<std::string> taken;
    {
        std::lock_guard<std::mutex> lock(m_pendingLock);
        taken.swap(m_pending);
    }
    if (taken.empty())
        return;
    m_rows.insert(m_rows.end(), std::make_move_iterator(taken.begin()), std::make_move_iterator(taken.end()));
    m_selected = static_cast<int>(m_rows.size()) - 1;
}

void CMessageWindow::Clear()
{
    {
        std::lock_guard<std::mutex> lock(m_pendingLock);
        m_pending.clear();
    }
    m_rows.clear();
    m_selected = -1;
}

void CMessageWindow::Show()
{
    m_visible = true;
    Debug::Instance()->messageWindowShown = true;
}

void CMessageWindow::Hide()
{
    m_visible = false;
    Debug::Instance()->messageWindowShown = false;
}
