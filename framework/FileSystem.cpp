#include "framework/FileSystem.h"

#include "framework/Debug.h"
#include "framework/MemoryFile.h"
#include "framework/StringUtil.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
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
            struct stat st {};
            if (stat(target.c_str(), &st) == 0 && S_ISREG(st.st_mode))
                (void)fchmod(fd, st.st_mode & 07777);
            FILE* file = fdopen(fd, "wb");
            if (!file) {
                close(fd);
                unlink(temp.c_str());
                LogError("FileSystem::Open: cannot create %s: %s\n", target.c_str(), std::strerror(errno));
                return nullptr;
            }
            return new DiskWriteFile(file, temp, target, FolderKey(folder));
        }
        LogError("FileSystem::Open: cannot create a temporary file for %s\n", target.c_str());
        return nullptr;
    }

    ~DiskWriteFile() override
    {
        if (m_file) {
            fclose(m_file);
            unlink(m_temp.c_str());
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
        if (fclose(m_file) != 0 && !error)
            error = errno;
        m_file = nullptr;
        if (!error && rename(m_temp.c_str(), m_target.c_str()) != 0)
            error = errno;
        if (error) {
            unlink(m_temp.c_str());
            LogError("FileSystem: could not store %s: %s\n", m_target.c_str(), std::strerror(error));
            return false;
        }
        if (FileSystem::Exists())
            FileSystem::Instance()->InvalidateDiskCache(m_folder);
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

FileSystem::FileSystem() = default;
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
        LogFatalError("FileSystem::AddDataFile: data file not found: %s\n", name);
    std::string error;
    std::unique_ptr<Archive> archive = Archive::Open(path, cache, error);
    if (!archive) {
        LogError("FileSystem::AddDataFile: cannot use %s: %s\n", name, error.c_str());
        return false;
    }
    m_archives.push_back(std::move(archive));
    return true;
}

void FileSystem::RemoveDataFiles()
{
    m_archives.clear();
}

std::string FileSystem::ExpandAliases(const std::string& name) const
{
    std::string result = name;
    if (!m_aliases.empty()) {
        std::string lower = StringUtil::Lower(name);
        // Newest first, so an alias added again without being removed takes its new folder.
        for (auto it = m_aliases.rbegin(); it != m_aliases.rend(); ++it)
            ReplaceAllNoCase(result, lower, it->alias, it->lowerAlias, it->folder, it->lowerFolder);
    }
    std::replace(result.begin(), result.end(), '/', '\\');
    FoldBackslashes(result);
    return result;
}

std::string FileSystem::CollapseAliases(const std::string& name) const
{
    std::string result = name;
    std::replace(result.begin(), result.end(), '/', '\\');
    FoldBackslashes(result);
    // Longest folder first, so a folder inside another keeps the more specific alias.
    std::vector<std::pair<std::string, const std::string*>> folders;
    for (auto it = m_aliases.rbegin(); it != m_aliases.rend(); ++it) {
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
    Alias entry{alias, folder ? folder : "", alias, folder ? folder : ""};
    StringUtil::ToLower(entry.lowerAlias);
    StringUtil::ToLower(entry.lowerFolder);
    m_aliases.push_back(std::move(entry));
}

void FileSystem::RemoveAlias(const char* alias)
{
    if (!alias)
        return;
    std::erase_if(m_aliases, [&](const Alias& a) { return EqualsNoCase(a.alias, alias); });
}

std::string FileSystem::GetAlias(const char* alias) const
{
    if (!alias)
        return std::string();
    for (auto it = m_aliases.rbegin(); it != m_aliases.rend(); ++it) {
        if (EqualsNoCase(it->alias, alias))
            return it->folder;
    }
    return std::string();
}

const Archive::Entry* FileSystem::FindInArchives(const std::string& expanded, const Archive** owner) const
{
    if (m_archives.empty())
        return nullptr;
    const std::string key = Archive::NormaliseName(expanded);
    for (const auto& archive : m_archives) {
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
        if (!Resolve(expanded, true, path, &folder))
            return nullptr;
        return DiskWriteFile::Create(path, folder);
    }

    const Archive* archive = nullptr;
    if (const Archive::Entry* entry = FindInArchives(expanded, &archive)) {
        std::vector<uint8_t> bytes;
        std::string error;
        if (archive->ReadEntry(*entry, bytes, error))
            return new MemoryFile(std::move(bytes));
        LogError("FileSystem::Open: %s\n", error.c_str());
    }

    std::string path;
    Resolve(expanded, false, path, nullptr);
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
    if (const Archive::Entry* entry = FindInArchives(expanded, nullptr))
        return static_cast<int64_t>(entry->size);
    std::string path;
    Resolve(expanded, false, path, nullptr);
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

std::string FileSystem::ResolveDiskPath(const std::string& name) const
{
    std::string path;
    Resolve(ExpandAliases(name), false, path, nullptr);
    return path;
}

void FileSystem::InvalidateDiskCache(const std::string& folder)
{
    std::lock_guard<std::mutex> lock(m_cacheMutex);
    if (folder.empty())
        m_dirCache.clear();
    else
        m_dirCache.erase(FolderKey(folder));
}

void FileSystem::LoadListing(const std::string& folder, DirListing& listing)
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
        auto [it, added] = listing.lowerNames.emplace(StringUtil::Lower(name), name);
        if (!added && name < it->second)
            it->second = name;  // of names differing only in case, always the same one
    }
    closedir(dir);
}

const std::string* FileSystem::MatchInFolder(const std::string& key, const std::string& component,
                                             const std::string& lowerComponent) const
{
    auto [it, added] = m_dirCache.try_emplace(key);
    DirListing& listing = it->second;
    if (added)
        LoadListing(key, listing);
    for (int pass = 0; pass < 2; ++pass) {
        const auto exact = listing.names.find(component);
        if (exact != listing.names.end())
            return &*exact;
        const auto match = listing.lowerNames.find(lowerComponent);
        if (match != listing.lowerNames.end())
            return &match->second;
        if (pass == 1)
            break;
        // A miss may be a change made outside the layer. The folder's time stamp tells,
        // but it is coarse: a listing taken within two seconds of it is not trusted.
        struct stat st {};
        const bool exists = stat(key.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
        const bool changed = exists != listing.exists || (exists && st.st_mtim != listing.modified) ||
                             listing.loaded.tv_sec <= listing.modified.tv_sec + 2;
        if (!changed)
            break;
        LoadListing(key, listing);
    }
    return nullptr;
}

bool FileSystem::Resolve(const std::string& expanded, bool makeFolders, std::string& pathOut,
                         std::string* folderOut) const
{
    const bool absolute = !expanded.empty() && (expanded[0] == '\\' || expanded[0] == '/');
    std::string resolved = absolute ? "/" : "";  // always ends in "/" unless empty
    std::string key = absolute ? "/" : ".";       // the folder resolved so far, as a cache key
    std::string folderKey = key;
    std::string component, lower;
    bool searching = true;  // false once a folder on the way does not exist
    std::lock_guard<std::mutex> lock(m_cacheMutex);
    size_t pos = 0;
    while (pos < expanded.size()) {
        size_t end = expanded.find_first_of("\\/", pos);
        const bool last = end == std::string::npos;
        if (last)
            end = expanded.size();
        component.assign(expanded, pos, end - pos);
        pos = end + 1;
        if (component.empty())
            continue;  // leading, doubled or trailing separators
        folderKey = key;
        const bool special = component == "." || component == "..";
        const std::string* actual = nullptr;
        if (!special && searching) {
            lower = component;
            StringUtil::ToLower(lower);
            actual = MatchInFolder(key, component, lower);
        }
        if (!actual && !special) {
            if (makeFolders && !last) {
                const std::string made = resolved + component;
                if (mkdir(made.c_str(), 0777) != 0 && errno != EEXIST) {
                    LogError("FileSystem::Open: cannot create folder %s: %s\n", made.c_str(), std::strerror(errno));
                    return false;
                }
                m_dirCache.erase(key);
            } else {
                searching = false;
            }
        }
        const std::string& name = actual ? *actual : component;
        resolved += name;
        if (key == ".")
            key = name;
        else {
            if (key != "/")
                key += '/';
            key += name;
        }
        if (!last)
            resolved += '/';
    }
    pathOut = resolved;
    if (folderOut)
        *folderOut = folderKey;
    return true;
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
