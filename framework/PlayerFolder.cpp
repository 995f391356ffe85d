#include "framework/PlayerFolder.h"

#include "framework/Debug.h"
#include "framework/FileSystem.h"
#include "framework/StringUtil.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <system_error>
#include <vector>

namespace player_folder {

namespace {

namespace fs = std::filesystem;

constexpr const char* kDefaultFolder = "data";
constexpr const char* kGameFolder = "turfbolt";
constexpr const char* kSaveFolder = "SaveGames";
constexpr const char* kLockFile = "turfbolt.lock";

// Guards the folder only: the log asks for it under its own lock, so nothing here may log
// while holding it.
std::mutex g_mutex;
std::string g_folder = kDefaultFolder;

// The claim lasts as long as the descriptor stays open: to the end of the process.
int g_claimFd = -1;
std::string g_claimed;

std::string Variable(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

// Entries of the folder whose name matches without regard to case, in name order.
std::vector<fs::path> FoldersNamed(const fs::path& folder, const std::string& name)
{
    std::vector<fs::path> found;
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, error))
        if (entry.is_directory(error) && EqualsNoCase(entry.path().filename().string(), name))
            found.push_back(entry.path());
    std::sort(found.begin(), found.end());
    return found;
}

bool SameFolder(const fs::path& a, const fs::path& b)
{
    std::error_code error;
    return fs::equivalent(a, b, error);
}

// The player's files of the old place, first spelling first; temporaries left by a crash
// are no files of his.
std::vector<fs::path> OldFiles(const std::vector<fs::path>& folders)
{
    std::vector<fs::path> files;
    std::error_code error;
    for (const fs::path& folder : folders)
        for (const fs::directory_entry& entry : fs::directory_iterator(folder, error))
            if (entry.is_regular_file(error) && entry.path().filename().string()[0] != '.')
                files.push_back(entry.path());
    return files;
}

// Into a folder beside the target that takes the target's name last.
bool CopyAll(const std::vector<fs::path>& files, const fs::path& target, int& copied)
{
    const fs::path taking = fs::path(target).concat(".taking");
    std::error_code error;
    fs::remove_all(taking, error);
    if (!fs::create_directories(taking, error))
        return false;
    for (const fs::path& file : files) {
        const fs::path to = taking / file.filename();
        if (fs::exists(to, error))
            continue;
        if (!fs::copy_file(file, to, error))
            break;
        ++copied;
    }
    if (!error)
        fs::rename(taking, target, error);
    if (!error)
        return true;
    fs::remove_all(taking, error);
    return false;
}

}  // namespace

std::string Get()
{
    std::lock_guard<std::mutex> lock(g_mutex);
    return g_folder;
}

void Use(const std::string& folder)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    g_folder = folder.empty() ? kDefaultFolder : folder;
}

std::string ForThisUser()
{
    if (const std::string chosen = Variable(kVariable); !chosen.empty())
        return chosen;
    // The XDG rule: a relative value is to be ignored.
    if (const std::string data = Variable("XDG_DATA_HOME"); !data.empty() && data[0] == '/')
        return data + "/" + kGameFolder;
    if (const std::string home = Variable("HOME"); !home.empty())
        return home + "/.local/share/" + kGameFolder;
    return kDefaultFolder;
}

void KeepInWorkingFolder()
{
    const std::string chosen = Variable(kVariable);
    std::error_code error;
    const std::string folder = fs::absolute(chosen.empty() ? kDefaultFolder : chosen, error).string();
    setenv(kVariable, folder.c_str(), 1);
    Use(folder);
}

std::string LogPath()
{
    return Get() + "/log.txt";
}

bool MakeFolders(const std::string& folder)
{
    std::error_code error;
    fs::create_directories(folder, error);
    return fs::is_directory(folder, error);
}

bool Claim()
{
    const std::string folder = Get();
    std::error_code error;
    const std::string key = fs::weakly_canonical(fs::absolute(folder, error), error).string();
    if (g_claimFd >= 0 && key == g_claimed)
        return true;
    if (!MakeFolders(folder))
        return true;
    const std::string path = folder + "/" + kLockFile;
    const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0)
        return true;
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const bool busy = errno == EWOULDBLOCK;
        close(fd);
        return !busy;
    }
    if (g_claimFd >= 0)
        close(g_claimFd);
    g_claimFd = fd;
    g_claimed = key;
    return true;
}

int TakeOverOldFiles()
{
    // As the file layer finds it: "data" may be spelt "Data" on disk.
    const fs::path folder = FileSystem::Instance()->ResolveDiskPath(Get());
    std::error_code error;
    if (!FoldersNamed(folder, kSaveFolder).empty())
        return 0;
    std::vector<fs::path> old;
    for (const fs::path& data : FoldersNamed(".", kDefaultFolder)) {
        if (SameFolder(data, folder))
            return 0;
        for (const fs::path& saves : FoldersNamed(data, kSaveFolder))
            old.push_back(saves);
    }
    const std::vector<fs::path> files = OldFiles(old);
    if (files.empty())
        return 0;
    const fs::path target = folder / kSaveFolder;
    const std::string from = fs::absolute(old.front(), error).lexically_normal().string();
    int copied = 0;
    if (!CopyAll(files, target, copied)) {
        LogError("player_folder::TakeOverOldFiles: could not copy the saves of %s into %s; they stay where they "
                 "are\n",
                 from.c_str(), target.c_str());
        return -1;
    }
    LogMessage("player_folder::TakeOverOldFiles: %d file(s) of %s copied into %s\n", copied, from.c_str(),
               target.c_str());
    return copied;
}

}  // namespace player_folder
