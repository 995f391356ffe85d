#pragma once

#include "framework/Singleton.h"

#include <atomic>
#include <cstdarg>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// Where log lines, watches and status text go besides the log file. The editor installs
// one; until then nothing is shown anywhere but the file.
// A sink is called from whichever thread logs, outside the log's lock, so calls from two
// threads may overlap and lines may reach it in another order than the file's: a sink
// that keeps state guards it with a lock of its own. It may log, take its own locks and
// read the watches. It should not wait for the game thread (keep the line and show it on
// the game thread's next pass instead): SetSink waits for calls into the sink it replaces.
class DebugSink {
public:
    virtual ~DebugSink() = default;
    virtual void OnLog(const char* text) = 0;
    virtual void OnWatchesChanged() {}
};

// A watched value: renders itself as text and tells whether it changed since last asked.
class WatchData {
public:
    virtual ~WatchData() = default;
    virtual void GetText(std::string& out) = 0;
    virtual bool HasChanged() = 0;
    std::string name;
    int group = 0;
};

// Every member may be used from any thread: the sound threads log too.
class Debug : public Singleton<Debug> {
public:
    Debug();
    ~Debug() override;

    // Zeroes the counters and empties the log file (player_folder::LogPath).
    void Initialise();
    void Log(const char* text);      // appended as is
    void Error(const char* text);    // "***ERROR: " prefix, error count raised
    void Warning(const char* text);  // "***WARNING: " prefix, warning count raised

    // Null (logged) without a value. The value must outlive the watch.
    std::shared_ptr<WatchData> AddWatch(const char* name, const uint32_t* value, const char* group);
    std::shared_ptr<WatchData> AddWatch(const char* name, const int* value, const char* group);
    std::shared_ptr<WatchData> AddWatch(const char* name, const float* value, const char* group);
    void AddWatchData(WatchData* watch, const char* group);  // takes ownership
    // A watch still held by a caller of GetWatches is deleted when the last holder lets go.
    void RemoveAllWatches();
    void UpdateWatches();  // once per idle pass: notifies the sink when a value changed

    void ClearStatus();
    void AppendStatus(const char* text);
    std::string GetStatus() const;

    int GetErrorCount() const;
    int GetWarningCount() const;

    // Once SetSink returns, no other thread is still inside the previous sink (a sink may
    // replace itself; its own call goes on).
    void SetSink(DebugSink* sink);
    DebugSink* GetSink() const;

    // Shared, so that a watch read here survives a RemoveAllWatches on another thread. Hold
    // them for one pass only: a watch reads its value, which may go once the watch is removed.
    std::vector<std::shared_ptr<WatchData>> GetWatches() const;
    std::vector<std::string> GetWatchGroups() const;

    // Fields the editor's windows use.
    std::atomic<bool> messageWindowShown{false};
    std::atomic<bool> watchesWindowShown{false};
    std::atomic<bool> watchesLocked{false};

private:
    int GroupIndex(const char* group);
    // Writes the line and counts it (counter may be null), then hands it to the sink.
    void Append(const char* text, int* counter);
    void NotifyWatchesChanged();
    // The watch, now listed in the group; null stays null.
    std::shared_ptr<WatchData> AddShared(std::shared_ptr<WatchData> watch, const char* group);

    int m_errors = 0;
    int m_warnings = 0;
    std::string m_status;
    std::vector<std::shared_ptr<WatchData>> m_watches;
    std::vector<std::string> m_groups;
    DebugSink* m_sink = nullptr;
};

#if defined(__GNUC__)
#define TB_PRINTF(fmt, args) __attribute__((format(printf, fmt, args)))
#else
#define TB_PRINTF(fmt, args)
#endif

// Reports and returns normally; the caller decides what to do next.
void LogError(const char* format, ...) TB_PRINTF(1, 2);
void LogWarning(const char* format, ...) TB_PRINTF(1, 2);
// Plain log line, no prefix, no counter.
void LogMessage(const char* format, ...) TB_PRINTF(1, 2);
void LogStatus(const char* format, ...) TB_PRINTF(1, 2);
// Logs and shows a box; returns when it is closed. Without a display, or with the
// environment variable TB_NO_MESSAGE_BOX set, the text only goes to the log.
void LogMessageBox(const char* format, ...) TB_PRINTF(1, 2);
// Shows the box (or writes stderr, as LogMessageBox would) and leaves the log alone: for a
// start that must not touch the log of the program that owns it.
void MessageBoxUnlogged(const char* format, ...) TB_PRINTF(1, 2);
// Logs as an error, shows the box and ends the program with exit code 1.
[[noreturn]] void LogFatalError(const char* format, ...) TB_PRINTF(1, 2);
// Trace output goes nowhere.
void DebugTrace(const char* format, ...) TB_PRINTF(1, 2);

// The platform layer installs the real box; the default writes to stderr.
using MessageBoxHandler = void (*)(const char* title, const char* text);
void SetMessageBoxHandler(MessageBoxHandler handler);
