#include "editor/DebugWindows.h"

DebugWindows::DebugWindows() : m_previous(Debug::Instance()->GetSink())
{
    Debug::Instance()->SetSink(this);
}

DebugWindows::~DebugWindows()
{
    Debug::Instance()->SetSink(m_previous);
}

void DebugWindows::OnIdle()
{
    Debug::Instance()->UpdateWatches();
    m_messages.TakeMessages();
    m_watches.OnIdle();
}

void DebugWindows::OnLog(const char* text)
{
    m_messages.AddMessage(text);
    // The console of a tool run, or a test's capture, still sees every line.
    if (m_previous)
        m_previous->OnLog(text);
}
