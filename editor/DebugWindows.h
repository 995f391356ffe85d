#pragma once

#include "editor/MessageWindow.h"
#include "editor/WatchesWindow.h"
#include "framework/Debug.h"

// The Messages and Watches windows' models as Debug's sink: every log line goes to the
// messages. Installed for its whole life; the sink it replaced comes back when it goes.
// Exists in full screen too, where nothing draws it.
class DebugWindows : public DebugSink {
public:
    DebugWindows();
    ~DebugWindows() override;
    DebugWindows(const DebugWindows&) = delete;
    DebugWindows& operator=(const DebugWindows&) = delete;

    // Once per idle pass on the game thread: Debug::UpdateWatches, the lines logged since
    // the last pass into the messages, then the watches' pass.
    void OnIdle();

    CMessageWindow& Messages() { return m_messages; }
    CWatchesWindow& Watches() { return m_watches; }

    void OnLog(const char* text) override;

private:
    CMessageWindow m_messages;
    CWatchesWindow m_watches;
    DebugSink* m_previous;
};
