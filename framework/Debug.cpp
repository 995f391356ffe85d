#include "framework/Debug.h"

#include "framework/PlayerFolder.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <utility>

namespace {

constexpr size_t kFormatBufferSize = 8 * 1024;

// Guards the log file, every member of Debug and the list of sink calls under way. Nothing
// outside this file runs under it, so a sink or a watch that logs or waits cannot deadlock.
std::mutex g_logMutex;
using LogLock = std::lock_guard<std::mutex>;
// One pass of UpdateWatches at a time: asking a watch changes what it remembers.
std::mutex g_watchPassMutex;
// One entry per call into a sink under way, so that SetSink can wait for them to end.
// Never destroyed: a static's destructor may log at exit.
struct SinkCalls {
    std::vector<const DebugSink*> underWay;
    std::condition_variable ended;
};
SinkCalls& Calls()
{
    static auto* calls = new SinkCalls;
    return *calls;
}
// The sinks this thread is inside, so that a sink replacing itself does not wait for
// itself. Plain data: it must still work while the thread's objects are destroyed at exit.
constexpr int kMaxNestedSinkCalls = 16;
thread_local const DebugSink* t_sinkCalls[kMaxNestedSinkCalls];
thread_local int t_sinkDepth = 0;
std::atomic<MessageBoxHandler> g_messageBoxHandler{nullptr};
std::atomic<bool> g_inMessageBox{false};

// The log is written directly, not through the file layer: it has to work before anything
// is mounted, and the file layer itself logs.
FILE* OpenLog(const char* mode)
{
    const std::string path = player_folder::LogPath();
    FILE* f = std::fopen(path.c_str(), mode);
    if (!f && errno == ENOENT && player_folder::MakeFolders(player_folder::Get()))
        f = std::fopen(path.c_str(), mode);
    return f;
}

template <typename T>
class ValueWatch : public WatchData {
public:
    ValueWatch(const T* value, const char* format) : m_value(value), m_last(*value), m_format(format) {}

    void GetText(std::string& out) override
    {
        char buffer[64];
        std::snprintf(buffer, sizeof buffer, m_format, *m_value);
        out = buffer;
    }

    bool HasChanged() override
    {
        // Compared bit for bit, so a NaN that stays NaN is no change.
        const T now = *m_value;
        const bool changed = std::memcmp(&now, &m_last, sizeof(T)) != 0;
        m_last = now;
        return changed;
    }

private:
    const T* m_value;
    T m_last;
    const char* m_format;
};

// A call into the sink made after the log's lock is released. It counts as under way from
// its construction, still under the lock, so a SetSink after that waits for it.
class SinkCall {
public:
    SinkCall(DebugSink* sink, std::unique_lock<std::mutex>& lock) : m_sink(sink)
    {
        if (m_sink) {
            Calls().underWay.push_back(m_sink);
            if (t_sinkDepth < kMaxNestedSinkCalls)
                t_sinkCalls[t_sinkDepth] = m_sink;
            ++t_sinkDepth;
        }
        lock.unlock();
    }
    ~SinkCall()
    {
        if (!m_sink)
            return;
        --t_sinkDepth;
        std::vector<const DebugSink*>& underWay = Calls().underWay;
        {
            LogLock lock(g_logMutex);
            underWay.erase(std::find(underWay.begin(), underWay.end(), m_sink));
        }
        Calls().ended.notify_all();
    }
    SinkCall(const SinkCall&) = delete;
    SinkCall& operator=(const SinkCall&) = delete;

    explicit operator bool() const { return m_sink != nullptr; }
    DebugSink* operator->() const { return m_sink; }

private:
    DebugSink* m_sink;
};

template <typename T>
std::shared_ptr<WatchData> MakeWatch(const char* name, const T* value, const char* format)
{
    if (!value) {
        LogError("Debug::AddWatch: no value for watch %s\n", name ? name : "");
        return nullptr;
    }
    auto watch = std::make_shared<ValueWatch<T>>(value, format);
    watch->name = name ? name : "";
    return watch;
}

void VFormat(char (&buffer)[kFormatBufferSize], const char* format, va_list args)
{
    if (!format) {
        buffer[0] = '\0';
        return;
    }
    // vsnprintf truncates at the buffer's end and always terminates.
    if (std::vsnprintf(buffer, sizeof buffer, format, args) < 0)
        buffer[0] = '\0';
}

// Each variadic entry point owns its va_list; this keeps the buffer and the
// formatting rules in one place.
template <typename Use>
void WithFormatted(const char* format, va_list args, Use&& use)
{
    char buffer[kFormatBufferSize];
    VFormat(buffer, format, args);
    use(static_cast<const char*>(buffer));
}

void ShowMessageBox(const char* text)
{
    const MessageBoxHandler handler = g_messageBoxHandler;
    if (handler && !std::getenv("TB_NO_MESSAGE_BOX")) {
        handler("Turfbolt", text);
        return;
    }
    std::fprintf(stderr, "%s\n", text);
    std::fflush(stderr);
}

// The box text also goes to the log, as a line of its own.
void LogBoxText(const char* text)
{
    const size_t n = std::strlen(text);
    if (n > 0 && text[n - 1] == '\n') {
        Debug::Instance()->Log(text);
    } else {
        std::string line(text);
        line += '\n';
        Debug::Instance()->Log(line.c_str());
    }
}

}  // namespace

Debug::Debug() = default;

// Watches still held by a reader go when it lets go; the sink may be gone by now: no notice.
Debug::~Debug() = default;

void Debug::Initialise()
{
    LogLock lock(g_logMutex);
    m_errors = 0;
    m_warnings = 0;
    if (FILE* f = OpenLog("w"))
        std::fclose(f);
    else
        std::fprintf(stderr, "Debug::Initialise: cannot create %s\n", player_folder::LogPath().c_str());
}

void Debug::Append(const char* text, int* counter)
{
    if (!text)
        return;
    std::unique_lock<std::mutex> lock(g_logMutex);
    if (counter)
        ++*counter;
    if (FILE* f = OpenLog("a")) {
        std::fputs(text, f);
        std::fclose(f);
    }
    SinkCall sink(m_sink, lock);
    if (sink)
        sink->OnLog(text);
}

void Debug::Log(const char* text) { Append(text, nullptr); }

void Debug::Error(const char* text) { Append((std::string("***ERROR: ") + (text ? text : "")).c_str(), &m_errors); }

void Debug::Warning(const char* text)
{
    Append((std::string("***WARNING: ") + (text ? text : "")).c_str(), &m_warnings);
}

void Debug::NotifyWatchesChanged()
{
    std::unique_lock<std::mutex> lock(g_logMutex);
    SinkCall sink(m_sink, lock);
    if (sink)
        sink->OnWatchesChanged();
}

int Debug::GroupIndex(const char* group)
{
    const std::string name = group ? group : "";
    for (size_t i = 0; i < m_groups.size(); ++i)
        if (m_groups[i] == name)
            return static_cast<int>(i);
    m_groups.push_back(name);
    return static_cast<int>(m_groups.size() - 1);
}

std::shared_ptr<WatchData> Debug::AddWatch(const char* name, const uint32_t* value, const char* group)
{
    return AddShared(MakeWatch(name, value, "%u"), group);
}

std::shared_ptr<WatchData> Debug::AddWatch(const char* name, const int* value, const char* group)
{
    return AddShared(MakeWatch(name, value, "%d"), group);
}

std::shared_ptr<WatchData> Debug::AddWatch(const char* name, const float* value, const char* group)
{
    return AddShared(MakeWatch(name, value, "%f"), group);
}

void Debug::AddWatchData(WatchData* watch, const char* group) { AddShared(std::shared_ptr<WatchData>(watch), group); }

std::shared_ptr<WatchData> Debug::AddShared(std::shared_ptr<WatchData> watch, const char* group)
{
    if (!watch)
        return nullptr;
    {
        LogLock lock(g_logMutex);
        watch->group = GroupIndex(group);
        m_watches.push_back(watch);
    }
    NotifyWatchesChanged();
    return watch;
}

void Debug::RemoveAllWatches()
{
    // Let go of after the notice and outside the lock: a watch's destructor may log.
    std::vector<std::shared_ptr<WatchData>> removed;
    {
        LogLock lock(g_logMutex);
        removed.swap(m_watches);
        m_groups.clear();
    }
    NotifyWatchesChanged();
}

void Debug::UpdateWatches()
{
    // Locked watches are not asked, so their changes are still pending when unlocked.
    if (watchesLocked)
        return;
    bool changed = false;
    {
        std::lock_guard<std::mutex> pass(g_watchPassMutex);
        for (const auto& watch : GetWatches())
            changed = watch->HasChanged() || changed;  // every watch must be asked
    }
    if (changed)
        NotifyWatchesChanged();
}

void Debug::ClearStatus()
{
    LogLock lock(g_logMutex);
    m_status.clear();
}

void Debug::AppendStatus(const char* text)
{
    LogLock lock(g_logMutex);
    if (text)
        m_status += text;
}

std::string Debug::GetStatus() const
{
    LogLock lock(g_logMutex);
    return m_status;
}

int Debug::GetErrorCount() const
{
    LogLock lock(g_logMutex);
    return m_errors;
}

int Debug::GetWarningCount() const
{
    LogLock lock(g_logMutex);
    return m_warnings;
}

void Debug::SetSink(DebugSink* sink)
{
    std::unique_lock<std::mutex> lock(g_logMutex);
    const DebugSink* previous = std::exchange(m_sink, sink);
    if (!previous || previous == sink)
        return;
    const auto own = std::count(t_sinkCalls, t_sinkCalls + std::min(t_sinkDepth, kMaxNestedSinkCalls), previous);
    const std::vector<const DebugSink*>& underWay = Calls().underWay;
    Calls().ended.wait(lock, [&] { return std::count(underWay.begin(), underWay.end(), previous) == own; });
}

DebugSink* Debug::GetSink() const
{
    LogLock lock(g_logMutex);
    return m_sink;
}

std::vector<std::shared_ptr<WatchData>> Debug::GetWatches() const
{
    LogLock lock(g_logMutex);
    return m_watches;
}

std::vector<std::string> Debug::GetWatchGroups() const
{
    LogLock lock(g_logMutex);
    return m_groups;
}

void LogError(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    WithFormatted(format, args, [](const char* text) { Debug::Instance()->Error(text); });
    va_end(args);
}

void LogWarning(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    WithFormatted(format, args, [](const char* text) { Debug::Instance()->Warning(text); });
    va_end(args);
}

void LogMessage(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    WithFormatted(format, args, [](const char* text) { Debug::Instance()->Log(text); });
    va_end(args);
}

void LogStatus(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    WithFormatted(format, args, [](const char* text) { Debug::Instance()->AppendStatus(text); });
    va_end(args);
}

void LogMessageBox(const char* format, ...)
{
    // A box raised while one is shown (from the handler, or a repaint under it) is dropped.
    if (g_inMessageBox.exchange(true))
        return;
    va_list args;
    va_start(args, format);
    WithFormatted(format, args, [](const char* text) {
        LogBoxText(text);
        ShowMessageBox(text);
    });
    va_end(args);
    g_inMessageBox = false;
}

void LogFatalError(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    WithFormatted(format, args, [](const char* text) {
        Debug::Instance()->Error(text);
        // Inside a box already, the error is logged but no second box is stacked on it.
        if (!g_inMessageBox.exchange(true))
            ShowMessageBox(text);
    });
    va_end(args);
    std::exit(1);
}

void MessageBoxUnlogged(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    WithFormatted(format, args, [](const char* text) { ShowMessageBox(text); });
    va_end(args);
}

void DebugTrace(const char* /*format*/, ...) {}

void SetMessageBoxHandler(MessageBoxHandler handler) { g_messageBoxHandler = handler; }
