#pragma once

// Helpers every engine layer's tests use; header-only so that other layers' tests can take
// them without building the core's test support.

#include "framework/Debug.h"

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

// Collects log lines while alive.
class LogCapture : public DebugSink {
public:
    LogCapture() : m_previous(Debug::Instance()->GetSink()) { Debug::Instance()->SetSink(this); }
    ~LogCapture() override { Debug::Instance()->SetSink(m_previous); }
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    void OnLog(const char* text) override { lines.push_back(text); }
    bool Contains(const std::string& part) const
    {
        for (const std::string& l : lines) {
            if (l.find(part) != std::string::npos)
                return true;
        }
        return false;
    }
    std::vector<std::string> lines;

private:
    DebugSink* m_previous;
};

inline std::vector<unsigned char> ReadFileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline bool WriteFileBytes(const std::string& path, const std::vector<unsigned char>& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return bool(out);
}
