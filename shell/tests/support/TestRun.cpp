#include "support/TestRun.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace testrun {

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteFile(const std::string& path, const std::string& text)
{
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

void ExpectInOrder(const std::string& log, const std::vector<std::string>& lines)
{
    size_t from = 0;
    for (const std::string& line : lines) {
        const size_t at = log.find(line, from);
        if (at == std::string::npos) {
            ADD_FAILURE() << "\"" << line << "\" missing or out of order in the log:\n" << log;
            return;
        }
        from = at + line.size();
    }
}

std::string MakeFolder(const std::string& name)
{
    const std::filesystem::path folder = std::filesystem::current_path() / name;
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder / "data");
    return folder.string();
}

}  // namespace testrun
