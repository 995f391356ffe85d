#pragma once

// A tool's log on its standard error: every line, or only errors and warnings. Counts the
// errors and warnings, for tools that fail on any.

#include "framework/Debug.h"

#include <atomic>
#include <cstdio>
#include <cstring>

class ConsoleSink : public DebugSink {
public:
    explicit ConsoleSink(bool onlyProblems = false) : m_onlyProblems(onlyProblems) {}

    void OnLog(const char* text) override
    {
        const bool problem = std::strncmp(text, "***", 3) == 0;
        if (problem)
            ++problems;
        if (problem || !m_onlyProblems)
            std::fputs(text, stderr);
    }

    // Sinks may be called from two threads at once.
    std::atomic<int> problems{0};

private:
    bool m_onlyProblems;
};
