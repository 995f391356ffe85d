#pragma once

// The log capture every layer's tests share: collects the lines logged while it lives and
// gives the previous sink back when it goes.

#include "framework/Debug.h"

#include <mutex>
#include <string>
#include <vector>

class LogCapture : public DebugSink {
public:
    LogCapture() : m_previous(Debug::Instance()->GetSink()) { Debug::Instance()->SetSink(this); }
    ~LogCapture() override { Debug::Instance()->SetSink(m_previous); }
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    // Threads that log at once call in at once.
    void OnLog(const char* text) override
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        lines.emplace_back(text);
    }

    bool Contains(const std::string& part) const { return Count(part) > 0; }
    // Lines holding the part.
    int Count(const std::string& part) const
    {
        int n = 0;
        for (const std::string& line : lines)
            n += line.find(part) != std::string::npos;
        return n;
    }
    // Everything logged, in order.
    std::string Text() const
    {
        std::string text;
        for (const std::string& line : lines)
            text += line;
        return text;
    }
    void Clear() { lines.clear(); }

    std::vector<std::string> lines;

private:
    DebugSink* m_previous;
    std::mutex m_mutex;
};
