#include "framework/FileSystem.h"

#include "framework/Archive.h"
#include "framework/Debug.h"
#include "framework/MemoryFile.h"
#include "framework/PlayerFolder.h"
#include "framework/StringUtil.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <mutex>
#include <unordered_map>
#include <unordered_set>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The cache key of an operating-system folder.
std::string FolderKey(const std::string& folder)
{
    if (folder.empty())
        return ".";
    if (folder.size() > 1 && folder.back() == '/')
        return folder.substr(0, folder.size() - 1);
    return folder;
}

std::string ChildKey(const std::string& key, const std::string& name)
{
    if (key == ".")
        return name;
    return key == "/" ? key + name : key + '/' + name;
}

bool IsSpecial(const std::string& component)
{
    return component == "." || component == "..";
}

// True for "." + base + ".tmp<pid>_<n>", the name of a temporary of a write to base.
bool IsTemporaryOf(const char* name, const std::string& base)
{
    const std::string prefix = "." + base + ".tmp";
    if (std::strncmp(name, prefix.c_str(), prefix.size()) != 0)
        return false;
    const char* digits = name + prefix.size();
    const char* underscore = digits + std::strspn(digits, "0123456789");
    const char* rest = underscore + 1;
    return underscore != digits && *underscore == '_' && *rest != '\0' && !rest[std::strspn(rest, "0123456789")];
}

// A writer holds a lock on its temporary until it is renamed or removed: a process id can
// be reused (every start in a container may get the same one), a held lock cannot. flock,
// not fcntl: its locks belong to the open file, so this program's own writers see them too.
bool TryLock(int fd)
{
    return flock(fd, LOCK_EX | LOCK_NB) == 0;
}

bool IsNamed(int fd, int dir, const char* name)
{
    struct stat opened {}, named {};
    return fstat(fd, &opened) == 0 && fstatat(dir, name, &named, AT_SYMLINK_NOFOLLOW) == 0 &&
           S_ISREG(opened.st_mode) && opened.st_dev == named.st_dev && opened.st_ino == named.st_ino;
}

// A crash between writing and renaming leaves the temporary behind: one that no writer
// holds is removed. True when any was.
bool RemoveStaleTemporaries(const std::string& folder, const std::string& base)
{
    DIR* dir = opendir(folder.c_str());
    if (!dir)
        return false;
    bool removed = false;
    while (const dirent* entry = readdir(dir)) {
        if (!IsTemporaryOf(entry->d_name, base))
            continue;
        const int fd = openat(dirfd(dir), entry->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            continue;
        // Removed while locked, so that a writer locking it after us finds it nameless.
        if (TryLock(fd) && IsNamed(fd, dirfd(dir), entry->d_name) && unlinkat(dirfd(dir), entry->d_name, 0) == 0)
            removed = true;
        close(fd);
    }
    closedir(dir);
    return removed;
}

// False when a clean-up took the new temporary for stale before its writer could lock it.
// Where the file system has no locks, the write goes on unlocked and nothing is removed.
bool HoldTemporary(int fd)
{
    if (!TryLock(fd))
        return errno != EWOULDBLOCK;
    struct stat st {};
    return fstat(fd, &st) != 0 || st.st_nlink > 0;
}

// A rename is stored only once the folder that holds it is.
void SyncFolder(const std::string& folder)
{
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    if (fsync(fd) != 0 && errno != EINVAL)
        LogWarning("FileSystem: could not sync the folder %s: %s\n", folder.c_str(), std::strerror(errno));
    close(fd);
}

void FoldBackslashes(std::string& text)
{
    size_t w = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && w > 0 && text[w - 1] == '\\')
            continue;
        text[w++] = text[i];
    }
    text.resize(w);
}

thread_local FolderSyncBatch* t_folderSyncBatch = nullptr;
std::atomic<FileSystem::ChangeListener> g_changeListener{nullptr};

// A name made, replaced or removed in the folder: on disk with the folder, and listed anew.
void NoteFolderChanged(const std::string& folder, const std::string& path)
{
    if (!FolderSyncBatch::Defer(folder))
        SyncFolder(folder);
    if (FileSystem::Exists())
        FileSystem::Instance()->InvalidateDiskCache(folder);
    if (const FileSystem::ChangeListener listener = g_changeListener)
        listener(path);
}

// "data\SaveGames", what lies in it and "data\log.txt" (any case) with "data" replaced by
// the player folder; other names as they are.
void IntoPlayerFolder(std::string& expanded)
{
    const size_t first = expanded.find('\\');
    if (first == std::string::npos || !EqualsNoCase(expanded.substr(0, first), "data"))
        return;
    const size_t second = expanded.find('\\', first + 1);
    const std::string next = expanded.substr(first + 1, second == std::string::npos ? second : second - first - 1);
    const bool saves = EqualsNoCase(next, "savegames");
    const bool log = second == std::string::npos && EqualsNoCase(next, "log.txt");
    if (!saves && !log)
        return;
    std::string folder = player_folder::Get();
    // The working folder's own: the name stays as spelt, so that it finds what it always did.
    if (EqualsNoCase(folder, "data"))
        return;
    std::replace(folder.begin(), folder.end(), '/', '\\');
    expanded.replace(0, first, folder);
    FoldBackslashes(expanded);
}

// A file on disk opened for reading. In text mode ("r") a carriage return before a line
// feed is dropped, as the data files were written on a platform that stores line ends so.
class DiskReadFile : public File {
public:
    DiskReadFile(FILE* file, bool text, int64_t size) : m_file(file), m_text(text), m_size(size) {}
    ~DiskReadFile() override { Close(); }

    size_t Read(void* buffer, size_t count) override
    {
        if (!m_file || !buffer)
            return 0;
        uint8_t* out = static_cast<uint8_t*>(buffer);
        size_t total = 0;
        while (total < count) {
            const size_t n = fread(out + total, 1, count - total, m_file);
            if (n == 0)
                break;
            total += m_text ? DropCarriageReturns(out + total, n) : n;
        }
        return total;
    }

    size_t Write(const void*, size_t) override { return 0; }

    bool ReadLine(char* buffer, size_t size) override
    {
        if (!m_file || !buffer || size == 0 || IsEof())
            return false;
        size_t written = 0;
        while (written + 1 < size) {
            int c = getc_unlocked(m_file);
            if (c == EOF)
                break;
            if (c == '\r' && m_text) {
                const int next = getc_unlocked(m_file);
                if (next == '\n')
                    c = '\n';
                else if (next != EOF)
                    ungetc(next, m_file);
            }
            buffer[written++] = static_cast<char>(c);
            if (c == '\n')
                break;
        }
        buffer[written] = '\0';
        return true;
    }

    bool IsEof() const override
    {
        if (!m_file)
            return true;
        const int c = getc(m_file);
        if (c == EOF)
            return true;
        ungetc(c, m_file);
        return false;
    }

    bool Seek(int64_t offset) override { return m_file && offset >= 0 && fseeko(m_file, offset, SEEK_SET) == 0; }
    int64_t Tell() const override { return m_file ? ftello(m_file) : -1; }
    int64_t Size() const override { return m_size; }

    bool Close() override
    {
        if (!m_file)
            return true;
        const bool ok = fclose(m_file) == 0;
        m_file = nullptr;
        return ok;
    }

private:
    // Compacts "\r\n" to "\n" within the n bytes just read; a carriage return at the end
    // of the chunk looks at the next byte of the file.
    size_t DropCarriageReturns(uint8_t* p, size_t n)
    {
        size_t w = 0;
        for (size_t i = 0; i < n; ++i) {
            if (p[i] == '\r') {
                if (i + 1 < n) {
                    if (p[i + 1] == '\n')
                        continue;
                } else {
                    const int next = getc(m_file);
                    if (next != EOF)
                        ungetc(next, m_file);
                    if (next == '\n')
                        continue;
                }
            }
            p[w++] = p[i];
        }
        return w;
    }

    FILE* m_file;
    bool m_text;
    int64_t m_size;
};

// Writes go to a temporary file beside the target, renamed over it by Close, so a crash,
// a full disk or an abandoned file never leaves the target half-written.
class DiskWriteFile : public File {
public:
    static DiskWriteFile* Create(const std::string& target, const std::string& folder)
    {
        static std::atomic<unsigned> counter{0};
        const size_t slash = target.find_last_of('/');
        const std::string dir = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
        const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
        if (RemoveStaleTemporaries(FolderKey(folder), base) && FileSystem::Exists())
            FileSystem::Instance()->InvalidateDiskCache(folder);
        for (int attempt = 0; attempt < 100; ++attempt) {
            const std::string temp = dir + "." + base + ".tmp" + std::to_string(getpid()) + "_" +
                                     std::to_string(counter.fetch_add(1));
            const int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (fd < 0) {
                if (errno == EEXIST)
                    continue;
                LogError("FileSystem::Open: cannot create %s: %s\n", target.c_str(), std::strerror(errno));
                return nullptr;
            }
            if (!HoldTemporary(fd)) {
                close(fd);
                continue;
            }
            struct stat st {};
            if (stat(target.c_str(), &st) == 0 && S_ISREG(st.st_mode))
                (void)fchmod(fd, st.st_mode & 07777);
            FILE* file = fdopen(fd, "wb");
            if (!file) {
                unlink(temp.c_str());
                close(fd);
                LogError("FileSystem::Open: cannot create %s: %s\n", target.c_str(), std::strerror(errno));
                return nullptr;
            }
            return new DiskWriteFile(file, temp, target, FolderKey(folder));
        }
        LogError("FileSystem::Open: cannot create a temporary file for %s\n", target.c_str());
        return nullptr;
    }

    // The temporary goes before its lock does.
    ~DiskWriteFile() override
    {
        if (m_file) {
            unlink(m_temp.c_str());
            fclose(m_file);
        }
    }

    size_t Read(void*, size_t) override { return 0; }

    size_t Write(const void* buffer, size_t count) override
    {
        if (!m_file || !buffer || count == 0)
            return 0;
        const size_t n = fwrite(buffer, 1, count, m_file);
        if (n != count && !m_error)
            m_error = errno ? errno : EIO;
        return n;
    }

    bool ReadLine(char*, size_t) override { return false; }
    bool IsEof() const override { return true; }
    bool Seek(int64_t offset) override { return m_file && offset >= 0 && fseeko(m_file, offset, SEEK_SET) == 0; }
    int64_t Tell() const override { return m_file ? ftello(m_file) : -1; }

    int64_t Size() const override
    {
        struct stat st {};
        if (!m_file || fflush(m_file) != 0 || fstat(fileno(m_file), &st) != 0)
            return -1;
        return st.st_size;
    }

    bool Close() override
    {
        if (!m_file)
            return m_stored;
        int error = m_error;
        if (fflush(m_file) != 0 && !error)
            error = errno;
        if (fsync(fileno(m_file)) != 0 && !error)
            error = errno;
        // Renamed before the close lets go of the lock, or another writer could take the
        // temporary for stale and remove it first.
        if (!error && rename(m_temp.c_str(), m_target.c_str()) != 0)
            error = errno;
        if (error)
            unlink(m_temp.c_str());
        fclose(m_file);
        m_file = nullptr;
        if (error) {
            LogError("FileSystem: could not store %s: %s\n", m_target.c_str(), std::strerror(error));
            return false;
        }
        NoteFolderChanged(m_folder, m_target);
        m_stored = true;
        return true;
    }

private:
    DiskWriteFile(FILE* file, std::string temp, std::string target, std::string folder)
        : m_file(file), m_temp(std::move(temp)), m_target(std::move(target)), m_folder(std::move(folder))
    {
    }

    FILE* m_file;
    std::string m_temp;
    std::string m_target;
    std::string m_folder;
    int m_error = 0;
    bool m_stored = false;
};

bool operator!=(const timespec& a, const timespec& b)
{
    return a.tv_sec != b.tv_sec || a.tv_nsec != b.tv_nsec;
}

// Replaces every occurrence of what (compared without regard to case) by with; lower
// is kept as the lower-case copy of text.
void ReplaceAllNoCase(std::string& text, std::string& lower, const std::string& what,
                      const std::string& lowerWhat, const std::string& with, const std::string& lowerWith)
{
    if (what.empty())
        return;
    size_t pos = 0;
    while ((pos = lower.find(lowerWhat, pos)) != std::string::npos) {
        text.replace(pos, what.size(), with);
        lower.replace(pos, what.size(), lowerWith);
        pos += with.size();
    }
}

}  // namespace

struct FileSystem::Impl {
    struct Alias {
        std::string alias;
        std::string folder;
        std::string lowerAlias;  // for matching without regard to case
        std::string lowerFolder;
    };
    struct DirListing {
        bool exists = false;
        timespec modified{};
        timespec loaded{};
        std::unordered_set<std::string> names;
        // Lower case -> every name on disk spelt so without regard to case, in byte order.
        std::unordered_map<std::string, std::vector<std::string>> lowerNames;
    };

    const Archive::Entry* FindInArchives(const std::string& expanded, const Archive** owner) const;
    // Resolves each component without regard to case; a name that exists is found in
    // whichever of several matching folders holds it. Otherwise, with makeFolders, missing
    // folders on the way to the last component are created. folderOut receives the
    // resolved folder's cache key.
    bool Resolve(const std::string& expanded, bool makeFolders, std::string& pathOut, std::string* folderOut);

    std::vector<Alias> aliases;
    std::vector<std::unique_ptr<Archive>> archives;
    std::mutex cacheMutex;
    // Folder listings by cache key: "." or a path without a trailing slash.
    std::unordered_map<std::string, DirListing> dirCache;

private:
    // The names in the folder that match the component: as spelt first, then the others
    // in byte order. Each stays valid while the folder's listing is not reloaded. The cache
    // mutex must be held, here and below.
    void Matches(const std::string& key, const std::string& component, std::vector<const std::string*>& out);
    // The first existing path for parts[index...] below the folder, trying every match.
    bool Search(const std::vector<std::string>& parts, size_t index, const std::string& resolved,
                const std::string& key, std::string& pathOut, std::string& folderOut);
    // The path through the first match of each component, as spelt where none exists.
    bool Walk(const std::vector<std::string>& parts, bool absolute, bool makeFolders, std::string& pathOut,
              std::string* folderOut);
    static void LoadListing(const std::string& folder, DirListing& listing);
    static bool IsStale(const std::string& key, const DirListing& listing);
};

FileSystem::FileSystem() : m_impl(std::make_unique<Impl>()) {}
FileSystem::~FileSystem() = default;

bool FileSystem::AddDataFile(const char* name, bool cache)
{
    if (!name) {
        LogError("FileSystem::AddDataFile: no name given\n");
        return false;
    }
    const std::string path = ResolveDiskPath(name);
    struct stat st {};
    if (stat(path.c_str(), &st) != 0)
        LogFatalError("FileSystem::AddDataFile: data file not found: %s\n", ShownPath(name).c_str());
    std::string error;
    std::unique_ptr<Archive> archive = Archive::Open(path, cache, error);
    if (!archive) {
        LogError("FileSystem::AddDataFile: cannot use %s: %s\n", name, error.c_str());
        return false;
    }
    m_impl->archives.push_back(std::move(archive));
    return true;
}

void FileSystem::RemoveDataFiles()
{
    m_impl->archives.clear();
}

std::string FileSystem::ExpandAliases(const std::string& name) const
{
    std::string result = name;
    if (!m_impl->aliases.empty()) {
        std::string lower = StringUtil::Lower(name);
        // Newest first, so an alias added again without being removed takes its new folder.
        for (auto it = m_impl->aliases.rbegin(); it != m_impl->aliases.rend(); ++it)
            ReplaceAllNoCase(result, lower, it->alias, it->lowerAlias, it->folder, it->lowerFolder);
    }
    std::replace(result.begin(), result.end(), '/', '\\');
    FoldBackslashes(result);
    IntoPlayerFolder(result);
    return result;
}

std::string FileSystem::CollapseAliases(const std::string& name) const
{
    std::string result = name;
    std::replace(result.begin(), result.end(), '/', '\\');
    FoldBackslashes(result);
    // Longest folder first, so a folder inside another keeps the more specific alias.
    std::vector<std::pair<std::string, const std::string*>> folders;
    for (auto it = m_impl->aliases.rbegin(); it != m_impl->aliases.rend(); ++it) {
        std::string folder = it->folder;
        std::replace(folder.begin(), folder.end(), '/', '\\');
        FoldBackslashes(folder);
        if (!folder.empty())
            folders.emplace_back(folder, &it->alias);
    }
    std::stable_sort(folders.begin(), folders.end(),
                     [](const auto& a, const auto& b) { return a.first.size() > b.first.size(); });
    std::string lower = StringUtil::Lower(result);
    for (const auto& [folder, alias] : folders)
        ReplaceAllNoCase(result, lower, folder, StringUtil::Lower(folder), *alias, StringUtil::Lower(*alias));
    FoldBackslashes(result);
    return result;
}

void FileSystem::AddAlias(const char* alias, const char* folder)
{
    if (!alias || !*alias)
        return;
    Impl::Alias entry{alias, folder ? folder : "", alias, folder ? folder : ""};
    StringUtil::ToLower(entry.lowerAlias);
    StringUtil::ToLower(entry.lowerFolder);
    m_impl->aliases.push_back(std::move(entry));
}

void FileSystem::RemoveAlias(const char* alias)
{
    if (!alias)
        return;
    std::erase_if(m_impl->aliases, [&](const Impl::Alias& a) { return EqualsNoCase(a.alias, alias); });
}

std::string FileSystem::GetAlias(const char* alias) const
{
    if (!alias)
        return std::string();
    for (auto it = m_impl->aliases.rbegin(); it != m_impl->aliases.rend(); ++it) {
        if (EqualsNoCase(it->alias, alias))
            return it->folder;
    }
    return std::string();
}

const Archive::Entry* FileSystem::Impl::FindInArchives(const std::string& expanded, const Archive** owner) const
{
    if (archives.empty())
        return nullptr;
    const std::string key = Archive::NormaliseName(expanded);
    for (const auto& archive : archives) {
        if (const Archive::Entry* entry = archive->Find(key)) {
            if (owner)
                *owner = archive.get();
            return entry;
        }
    }
    return nullptr;
}

File* FileSystem::Open(const char* name, const char* mode)
{
    if (!name || !mode)
        return nullptr;
    const std::string m(mode);
    const bool read = m == "r" || m == "rb";
    if (!read && m != "w" && m != "wb") {
        LogError("FileSystem::Open: unsupported mode \"%s\" for %s\n", mode, name);
        return nullptr;
    }
    const std::string expanded = ExpandAliases(name);

    if (!read) {
        if (expanded.empty() || expanded.back() == '\\') {
            LogError("FileSystem::Open: \"%s\" names no file to write\n", name);
            return nullptr;
        }
        std::string path, folder;
        if (!m_impl->Resolve(expanded, true, path, &folder))
            return nullptr;
        return DiskWriteFile::Create(path, folder);
    }

    const Archive* archive = nullptr;
    if (const Archive::Entry* entry = m_impl->FindInArchives(expanded, &archive)) {
        std::vector<uint8_t> bytes;
        std::string error;
        if (archive->ReadEntry(*entry, bytes, error))
            return new MemoryFile(std::move(bytes), m == "r");
        LogError("FileSystem::Open: %s\n", error.c_str());
    }

    std::string path;
    m_impl->Resolve(expanded, false, path, nullptr);
    FILE* file = fopen(path.c_str(), "rb");
    if (!file)
        return nullptr;
    struct stat st {};
    if (fstat(fileno(file), &st) != 0 || !S_ISREG(st.st_mode)) {
        fclose(file);
        return nullptr;
    }
    return new DiskReadFile(file, m == "r", static_cast<int64_t>(st.st_size));
}

bool FileSystem::Close(File* file)
{
    if (!file)
        return false;
    const bool ok = file->Close();
    delete file;
    return ok;
}

bool FileSystem::FileExists(const char* name) const
{
    return FileSize(name) >= 0;
}

bool FileSystem::ExistsOnDisk(const char* name) const
{
    if (!name)
        return false;
    struct stat st {};
    return stat(ResolveDiskPath(name).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

int64_t FileSystem::FileSize(const char* name) const
{
    if (!name)
        return -1;
    const std::string expanded = ExpandAliases(name);
    if (const Archive::Entry* entry = m_impl->FindInArchives(expanded, nullptr))
        return static_cast<int64_t>(entry->size);
    std::string path;
    m_impl->Resolve(expanded, false, path, nullptr);
    struct stat st {};
    if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return -1;
    return static_cast<int64_t>(st.st_size);
}

bool FileSystem::ReadAll(const char* name, std::vector<uint8_t>& out)
{
    out.clear();
    File* file = Open(name, "rb");
    if (!file)
        return false;
    const int64_t size = file->Size();
    if (size > 0) {
        out.resize(static_cast<size_t>(size));
        out.resize(file->Read(out.data(), out.size()));
    }
    Close(file);
    return true;
}

bool FileSystem::Rename(const char* from, const char* to)
{
    if (!from || !to)
        return false;
    std::string source, target, folder;
    m_impl->Resolve(ExpandAliases(from), false, source, nullptr);
    if (!m_impl->Resolve(ExpandAliases(to), true, target, &folder))
        return false;
    if (rename(source.c_str(), target.c_str()) != 0) {
        LogError("FileSystem::Rename: could not rename %s to %s: %s\n", source.c_str(), target.c_str(),
                 std::strerror(errno));
        return false;
    }
    NoteFolderChanged(FolderKey(folder), target);
    return true;
}

bool FileSystem::Remove(const char* name)
{
    if (!name)
        return false;
    std::string path, folder;
    m_impl->Resolve(ExpandAliases(name), false, path, &folder);
    if (unlink(path.c_str()) != 0) {
        if (errno == ENOENT)
            return true;
        LogError("FileSystem::Remove: could not remove %s: %s\n", path.c_str(), std::strerror(errno));
        return false;
    }
    NoteFolderChanged(FolderKey(folder), path);
    return true;
}

std::string FileSystem::KeepCopy(const char* name, const char* tag)
{
    constexpr int kMaxCopies = 100;
    std::vector<uint8_t> bytes;
    if (!name || !tag || !ExistsOnDisk(name) || !ReadAll(name, bytes)) {
        LogError("FileSystem::KeepCopy: cannot read %s\n", name ? ResolveDiskPath(name).c_str() : "(no name)");
        return {};
    }
    for (int n = 1; n <= kMaxCopies; ++n) {
        const std::string copy = std::string(name) + "." + tag + (n == 1 ? "" : "-" + std::to_string(n));
        std::vector<uint8_t> held;
        if (ExistsOnDisk(copy.c_str()) && ReadAll(copy.c_str(), held) && held == bytes)
            return copy;
        std::error_code error;
        if (std::filesystem::exists(ResolveDiskPath(copy), error))
            continue;
        File* out = OpenWriteBinary(copy.c_str());
        if (!out)
            break;
        const bool written = out->Write(bytes.data(), bytes.size()) == bytes.size();
        // Only a successful Close puts the copy in place.
        if (!written)
            delete out;
        if (written && Close(out))
            return copy;
        break;
    }
    LogError("FileSystem::KeepCopy: could not keep a copy of %s\n", ResolveDiskPath(name).c_str());
    return {};
}

std::string FileSystem::ResolveDiskPath(const std::string& name) const
{
    std::string path;
    m_impl->Resolve(ExpandAliases(name), false, path, nullptr);
    return path;
}

std::string FileSystem::ShownPath(const std::string& name) const
{
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(ResolveDiskPath(name), error);
    return error ? ResolveDiskPath(name) : absolute.lexically_normal().string();
}

void FileSystem::SetChangeListener(ChangeListener listener)
{
    g_changeListener = listener;
}

void FileSystem::InvalidateDiskCache(const std::string& folder)
{
    std::lock_guard<std::mutex> lock(m_impl->cacheMutex);
    if (folder.empty())
        m_impl->dirCache.clear();
    else
        m_impl->dirCache.erase(FolderKey(folder));
}

void FileSystem::Impl::LoadListing(const std::string& folder, DirListing& listing)
{
    listing = DirListing();
    clock_gettime(CLOCK_REALTIME, &listing.loaded);
    struct stat st {};
    if (stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        return;
    listing.modified = st.st_mtim;
    DIR* dir = opendir(folder.c_str());
    if (!dir)
        return;
    listing.exists = true;
    while (const dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        listing.names.insert(name);
        listing.lowerNames[StringUtil::Lower(name)].push_back(name);
    }
    closedir(dir);
    for (auto& [lower, names] : listing.lowerNames)
        std::sort(names.begin(), names.end());
}

bool FileSystem::Impl::IsStale(const std::string& key, const DirListing& listing)
{
    // The folder's time stamp tells of changes made outside the layer, but it is coarse:
    // a listing taken within two seconds of it is not trusted.
    struct stat st {};
    const bool exists = stat(key.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
    return exists != listing.exists || (exists && st.st_mtim != listing.modified) ||
           listing.loaded.tv_sec <= listing.modified.tv_sec + 2;
}

void FileSystem::Impl::Matches(const std::string& key, const std::string& component,
                               std::vector<const std::string*>& out)
{
    auto [it, added] = dirCache.try_emplace(key);
    DirListing& listing = it->second;
    if (added)
        LoadListing(key, listing);
    const std::string lower = StringUtil::Lower(component);
    for (int pass = 0; pass < 2; ++pass) {
        const auto exact = listing.names.find(component);
        if (exact != listing.names.end())
            out.push_back(&*exact);
        const auto spellings = listing.lowerNames.find(lower);
        if (spellings != listing.lowerNames.end()) {
            for (const std::string& name : spellings->second)
                if (name != component)
                    out.push_back(&name);
        }
        // A miss may be a change made outside the layer.
        if (!out.empty() || pass == 1 || !IsStale(key, listing))
            return;
        LoadListing(key, listing);
    }
}

bool FileSystem::Impl::Search(const std::vector<std::string>& parts, size_t index, const std::string& resolved,
                              const std::string& key, std::string& pathOut, std::string& folderOut)
{
    const std::string& part = parts[index];
    std::vector<const std::string*> names;
    if (IsSpecial(part))
        names.push_back(&part);
    else
        Matches(key, part, names);
    const bool last = index + 1 == parts.size();
    for (const std::string* name : names) {
        if (last) {
            pathOut = resolved + *name;
            folderOut = key;
            return true;
        }
        if (Search(parts, index + 1, resolved + *name + "/", ChildKey(key, *name), pathOut, folderOut))
            return true;
    }
    return false;
}

bool FileSystem::Impl::Walk(const std::vector<std::string>& parts, bool absolute, bool makeFolders,
                            std::string& pathOut, std::string* folderOut)
{
    std::string resolved = absolute ? "/" : "";  // always ends in "/" unless empty
    std::string key = absolute ? "/" : ".";       // the folder resolved so far, as a cache key
    std::string folderKey = key;
    bool searching = true;  // false once a folder on the way does not exist
    std::vector<const std::string*> names;
    for (size_t i = 0; i < parts.size(); ++i) {
        const std::string& part = parts[i];
        const bool last = i + 1 == parts.size();
        folderKey = key;
        names.clear();
        if (!IsSpecial(part) && searching) {
            Matches(key, part, names);
            if (names.empty() && makeFolders && !last) {
                const std::string made = resolved + part;
                if (mkdir(made.c_str(), 0777) != 0 && errno != EEXIST) {
                    LogError("FileSystem::Open: cannot create folder %s: %s\n", made.c_str(), std::strerror(errno));
                    return false;
                }
                dirCache.erase(key);
            } else if (names.empty()) {
                searching = false;
            }
        }
        const std::string& name = names.empty() ? part : *names.front();
        resolved += name;
        key = ChildKey(key, name);
        if (!last)
            resolved += '/';
    }
    pathOut = resolved;
    if (folderOut)
        *folderOut = folderKey;
    return true;
}

bool FileSystem::Impl::Resolve(const std::string& expanded, bool makeFolders, std::string& pathOut,
                               std::string* folderOut)
{
    const bool absolute = !expanded.empty() && (expanded[0] == '\\' || expanded[0] == '/');
    std::vector<std::string> parts;
    size_t pos = 0;
    while (pos < expanded.size()) {
        size_t end = expanded.find_first_of("\\/", pos);
        if (end == std::string::npos)
            end = expanded.size();
        if (end > pos)  // leading, doubled and trailing separators name nothing
            parts.emplace_back(expanded, pos, end - pos);
        pos = end + 1;
    }
    std::lock_guard<std::mutex> lock(cacheMutex);
    std::string folder;
    if (!parts.empty() && Search(parts, 0, absolute ? "/" : "", absolute ? "/" : ".", pathOut, folder)) {
        if (folderOut)
            *folderOut = folder;
        return true;
    }
    return Walk(parts, absolute, makeFolders, pathOut, folderOut);
}

namespace FileUtil {

int64_t FileLength(const char* name)
{
    const int64_t size = FileSystem::Instance()->FileSize(name);
    if (size < 0) {
        LogError("FileUtil::FileLength: file not found: %s\n", name ? name : "(null)");
        return 0;
    }
    return size;
}

}  // namespace FileUtil

FolderSyncBatch::FolderSyncBatch() : m_outer(t_folderSyncBatch)
{
    t_folderSyncBatch = this;
}

FolderSyncBatch::~FolderSyncBatch()
{
    t_folderSyncBatch = m_outer;
    for (const std::string& folder : m_folders)
        SyncFolder(folder);
}

bool FolderSyncBatch::Defer(const std::string& folder)
{
    FolderSyncBatch* batch = t_folderSyncBatch;
    if (!batch)
        return false;
    if (std::find(batch->m_folders.begin(), batch->m_folders.end(), folder) == batch->m_folders.end())
        batch->m_folders.push_back(folder);
    return true;
}
