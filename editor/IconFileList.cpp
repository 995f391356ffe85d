#include "editor/IconFileList.h"

#include "editor/FileFilter.h"
#include "framework/FileSystem.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

void IconFileList::Fill(const std::string& wildcard)
{
    m_names.clear();
    const size_t slash = wildcard.find_last_of("\\/");
    m_directory = slash == std::string::npos ? std::string() : wildcard.substr(0, slash + 1);
    const std::string pattern = slash == std::string::npos ? wildcard : wildcard.substr(slash + 1);
    const std::string folder = m_directory.empty() ? "." : FileSystem::Instance()->ResolveDiskPath(m_directory);

    namespace fs = std::filesystem;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        std::error_code kindError;
        if (it->is_directory(kindError))
            continue;
        const std::string name = it->path().filename().string();
        if (editor::MatchesPattern(name, pattern))
            m_names.push_back(name);
    }
    std::sort(m_names.begin(), m_names.end());
}
