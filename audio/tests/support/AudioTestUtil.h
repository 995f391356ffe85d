#pragma once

#include "framework/Debug.h"
#include "framework/FileSystem.h"

#include <filesystem>
#include <string>

namespace audiotest {

class LogCapture : public DebugSink {
public:
    LogCapture() { Debug::Instance()->SetSink(this); }
    ~LogCapture() override { Debug::Instance()->SetSink(nullptr); }
    void OnLog(const char* text) override { m_text += text; }
    bool Contains(const std::string& part) const { return m_text.find(part) != std::string::npos; }
    int Count(const std::string& part) const
    {
        int n = 0;
        for (size_t at = m_text.find(part); at != std::string::npos; at = m_text.find(part, at + 1))
            ++n;
        return n;
    }
    const std::string& Text() const { return m_text; }

private:
    std::string m_text;
};

// A fresh file layer over an empty folder "scratch" in the test's working folder.
inline void FreshScratch()
{
    FileSystem::DestroyInstance();
    std::filesystem::remove_all("scratch");
    std::filesystem::remove_all("data");
    std::filesystem::create_directories("scratch");
}

}  // namespace audiotest
