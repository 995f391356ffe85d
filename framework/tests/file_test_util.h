#pragma once

// Helpers shared by the file-layer tests: a clean scratch folder, raw disk access that
// bypasses the layer under test, and a capture of the log.

#include "framework/Debug.h"
#include "framework/FileSystem.h"
#include "framework/Settings.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace filetest {

class LogCapture : public DebugSink {
public:
    LogCapture() { Debug::Instance()->SetSink(this); }
    ~LogCapture() override { Debug::Instance()->SetSink(nullptr); }
    void OnLog(const char* text) override { m_text += text; }
    bool Contains(const std::string& part) const { return m_text.find(part) != std::string::npos; }
    const std::string& Text() const { return m_text; }
    void Clear() { m_text.clear(); }

private:
    std::string m_text;
};

inline void WriteRaw(const std::filesystem::path& path, const std::string& bytes)
{
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

inline std::string ReadRaw(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// Every test starts with a fresh file layer and an empty scratch folder "scratch/<test>".
class FileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        FileSystem::DestroyInstance();
        SettingsManager::DestroyInstance();
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        m_dir = std::filesystem::path("scratch") / (std::string(info->test_suite_name()) + "." + info->name());
        std::filesystem::remove_all(m_dir);
        std::filesystem::create_directories(m_dir);
    }

    void TearDown() override
    {
        FileSystem::DestroyInstance();
        SettingsManager::DestroyInstance();
    }

    // The scratch folder in the game's spelling, ending in a backslash.
    std::string Dir() const
    {
        std::string s = m_dir.string() + "/";
        for (char& c : s)
            if (c == '/')
                c = '\\';
        return s;
    }
    std::filesystem::path Path(const std::string& relative) const { return m_dir / relative; }

    FileSystem* fs() const { return FileSystem::Instance(); }

    std::string ReadThroughLayer(const std::string& name)
    {
        std::vector<uint8_t> bytes;
        if (!fs()->ReadAll(name.c_str(), bytes))
            return "<missing>";
        return std::string(bytes.begin(), bytes.end());
    }

    bool WriteThroughLayer(const std::string& name, const std::string& text)
    {
        File* file = fs()->OpenWrite(name.c_str());
        if (!file)
            return false;
        file->Write(text.data(), text.size());
        return fs()->Close(file);
    }

    std::filesystem::path m_dir;
};

}  // namespace filetest
