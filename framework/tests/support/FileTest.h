#pragma once

// A fresh file layer and an empty scratch folder per test, and disk access that bypasses
// the layer under test.

#include "framework/FileSystem.h"
#include "framework/Settings.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>
#include <sys/resource.h>

inline void WriteRaw(const std::filesystem::path& path, const std::string& bytes)
{
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

inline std::string ReadRaw(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// The disk is "full" past the given size for the life of a scope.
class DiskFullAfter {
public:
    explicit DiskFullAfter(rlim_t bytes) : m_handler(std::signal(SIGXFSZ, SIG_IGN))
    {
        getrlimit(RLIMIT_FSIZE, &m_saved);
        rlimit limited = m_saved;
        limited.rlim_cur = bytes;
        EXPECT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    }
    ~DiskFullAfter()
    {
        setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_handler);
    }

private:
    void (*m_handler)(int);
    rlimit m_saved{};
};

// The scratch folder is "scratch/<suite>.<test>".
class FileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        FileSystem::DestroyInstance();
        SettingsManager::DestroyInstance();
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        m_name = std::string(info->test_suite_name()) + "." + info->name();
        m_dir = std::filesystem::path("scratch") / m_name;
        std::filesystem::remove_all(m_dir);
        std::filesystem::create_directories(m_dir);
    }
    void TearDown() override
    {
        FileSystem::DestroyInstance();
        SettingsManager::DestroyInstance();
    }
    // The scratch folder in the game's spelling, ending in a backslash, with name after it.
    std::string Dir(const std::string& name = {}) const { return "scratch\\" + m_name + "\\" + name; }
    std::filesystem::path Path(const std::string& relative) const { return m_dir / relative; }
    FileSystem* fs() const { return FileSystem::Instance(); }
    // "<missing>" when the layer cannot open the name.
    std::string ReadThroughLayer(const std::string& name)
    {
        std::vector<uint8_t> bytes;
        return fs()->ReadAll(name.c_str(), bytes) ? std::string(bytes.begin(), bytes.end()) : "<missing>";
    }
    bool WriteThroughLayer(const std::string& name, const std::string& text)
    {
        File* file = fs()->OpenWrite(name.c_str());
        if (!file)
            return false;
        file->Write(text.data(), text.size());
        return fs()->Close(file);
    }
    std::string m_name;
    std::filesystem::path m_dir;
};
