#include "framework/Archive.h"

#include "framework/FileSystem.h"
#include "framework/Scramble.h"
#include "framework/StringUtil.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr char kMagic[4] = {'T', 'B', 'D', 'A'};
// u16 name length, u64 offset, u64 size, u32 flags around the name.
constexpr uint64_t kMinDirectoryEntry = 2 + 8 + 8 + 4;

uint16_t Get16(const uint8_t* p)
{
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

uint32_t Get32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

uint64_t Get64(const uint8_t* p)
{
    return static_cast<uint64_t>(Get32(p)) | (static_cast<uint64_t>(Get32(p + 4)) << 32);
}

void Put16(std::vector<uint8_t>& out, uint16_t v)
{
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

void Put32(std::vector<uint8_t>& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void Put64(std::vector<uint8_t>& out, uint64_t v)
{
    for (int i = 0; i < 8; ++i)
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

std::vector<uint8_t> Header(uint32_t count, uint64_t directoryOffset)
{
    std::vector<uint8_t> h(kMagic, kMagic + 4);
    Put32(h, Archive::kVersion);
    Put32(h, count);
    Put32(h, 0);
    Put64(h, directoryOffset);
    return h;
}

// Reads exactly size bytes at offset; false on a short read.
bool ReadAt(int fd, uint64_t offset, void* buffer, uint64_t size)
{
    uint8_t* p = static_cast<uint8_t*>(buffer);
    while (size > 0) {
        const ssize_t n = pread(fd, p, static_cast<size_t>(size), static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        p += n;
        offset += static_cast<uint64_t>(n);
        size -= static_cast<uint64_t>(n);
    }
    return true;
}

std::string U64(uint64_t v)
{
    return std::to_string(v);
}

}  // namespace

Archive::~Archive()
{
    if (m_fd >= 0)
        close(m_fd);
}

std::string Archive::NormaliseName(const std::string& name)
{
    std::string key;
    key.reserve(name.size());
    for (char c : name) {
        if (c == '/')
            c = '\\';
        if (c == '\\' && !key.empty() && key.back() == '\\')
            continue;
        key.push_back(c);
    }
    while (key.size() >= 2 && key[0] == '.' && key[1] == '\\')
        key.erase(0, 2);
    StringUtil::ToLower(key);
    return key;
}

bool Archive::IsTextName(const std::string& name)
{
    const std::string lower = StringUtil::Lower(name);
    for (const char* ext : {".txt", ".csv", ".xml"}) {
        if (lower.size() >= 4 && lower.compare(lower.size() - 4, 4, ext) == 0)
            return true;
    }
    return false;
}

bool Archive::Parse(const uint8_t* header, const uint8_t* directory, uint64_t directorySize,
                    uint64_t fileSize, std::string& error)
{
    if (std::memcmp(header, kMagic, 4) != 0) {
        error = "not a data archive (bad magic)";
        return false;
    }
    const uint32_t version = Get32(header + 4);
    if (version != kVersion) {
        error = "unsupported version " + std::to_string(version);
        return false;
    }
    const uint32_t count = Get32(header + 8);
    const uint64_t directoryOffset = Get64(header + 16);
    if (count > directorySize / kMinDirectoryEntry) {
        error = std::to_string(count) + " entries cannot fit in a directory of " + U64(directorySize) +
                " bytes (truncated?)";
        return false;
    }
    m_entries.clear();
    m_entries.reserve(count);
    uint64_t pos = 0;
    for (uint32_t i = 0; i < count; ++i) {
        if (directorySize - pos < 2) {
            error = "directory truncated at entry " + std::to_string(i);
            return false;
        }
        const uint16_t nameLength = Get16(directory + pos);
        pos += 2;
        if (nameLength == 0) {
            error = "entry " + std::to_string(i) + " has an empty name";
            return false;
        }
        if (directorySize - pos < nameLength + uint64_t(8 + 8 + 4)) {
            error = "directory truncated at entry " + std::to_string(i);
            return false;
        }
        Entry e;
        e.name.assign(reinterpret_cast<const char*>(directory + pos), nameLength);
        pos += nameLength;
        e.offset = Get64(directory + pos);
        e.size = Get64(directory + pos + 8);
        e.flags = Get32(directory + pos + 16);
        pos += 20;
        if (e.offset < kHeaderSize || e.offset > directoryOffset || e.size > directoryOffset - e.offset) {
            error = "entry \"" + e.name + "\" lies outside the data (offset " + U64(e.offset) + ", size " +
                    U64(e.size) + ", data ends at " + U64(directoryOffset) + ")";
            return false;
        }
        m_index.emplace(NormaliseName(e.name), m_entries.size());  // the first of equal names wins
        m_entries.push_back(std::move(e));
    }
    (void)fileSize;
    return true;
}

std::unique_ptr<Archive> Archive::FromMemory(std::vector<uint8_t> bytes, std::string& error)
{
    const uint64_t fileSize = bytes.size();
    if (fileSize < kHeaderSize) {
        error = "file too short for the header (" + U64(fileSize) + " bytes)";
        return nullptr;
    }
    const uint64_t directoryOffset = Get64(bytes.data() + 16);
    if (directoryOffset < kHeaderSize || directoryOffset > fileSize) {
        if (std::memcmp(bytes.data(), kMagic, 4) != 0)
            error = "not a data archive (bad magic)";
        else
            error = "directory offset " + U64(directoryOffset) + " lies outside the file of " + U64(fileSize) +
                    " bytes (truncated?)";
        return nullptr;
    }
    std::unique_ptr<Archive> archive(new Archive());
    if (!archive->Parse(bytes.data(), bytes.data() + directoryOffset, fileSize - directoryOffset, fileSize,
                        error))
        return nullptr;
    archive->m_bytes = std::move(bytes);
    return archive;
}

std::unique_ptr<Archive> Archive::Open(const std::string& path, bool cache, std::string& error)
{
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        error = std::string("cannot open: ") + std::strerror(errno);
        return nullptr;
    }
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        error = "not a regular file";
        close(fd);
        return nullptr;
    }
    const uint64_t fileSize = static_cast<uint64_t>(st.st_size);
    std::unique_ptr<Archive> archive;
    if (cache) {
        std::vector<uint8_t> bytes(fileSize);
        const bool ok = ReadAt(fd, 0, bytes.data(), fileSize);
        close(fd);
        if (!ok) {
            error = "read error";
            return nullptr;
        }
        archive = FromMemory(std::move(bytes), error);
    } else {
        uint8_t header[kHeaderSize];
        if (fileSize < kHeaderSize || !ReadAt(fd, 0, header, kHeaderSize)) {
            error = "file too short for the header (" + U64(fileSize) + " bytes)";
            close(fd);
            return nullptr;
        }
        const uint64_t directoryOffset = Get64(header + 16);
        if (std::memcmp(header, kMagic, 4) != 0) {
            error = "not a data archive (bad magic)";
            close(fd);
            return nullptr;
        }
        if (directoryOffset < kHeaderSize || directoryOffset > fileSize) {
            error = "directory offset " + U64(directoryOffset) + " lies outside the file of " + U64(fileSize) +
                    " bytes (truncated?)";
            close(fd);
            return nullptr;
        }
        std::vector<uint8_t> directory(fileSize - directoryOffset);
        if (!ReadAt(fd, directoryOffset, directory.data(), directory.size())) {
            error = "read error in the directory";
            close(fd);
            return nullptr;
        }
        archive.reset(new Archive());
        if (!archive->Parse(header, directory.data(), directory.size(), fileSize, error)) {
            close(fd);
            return nullptr;
        }
        archive->m_fd = fd;
    }
    if (archive)
        archive->m_path = path;
    return archive;
}

const Archive::Entry* Archive::Find(const std::string& name) const
{
    const auto it = m_index.find(NormaliseName(name));
    return it == m_index.end() ? nullptr : &m_entries[it->second];
}

bool Archive::ReadEntry(const Entry& entry, std::vector<uint8_t>& out, std::string& error) const
{
    out.clear();
    if (m_fd < 0) {
        // Parse checked offset and size against the data the directory follows.
        out.assign(m_bytes.begin() + static_cast<ptrdiff_t>(entry.offset),
                   m_bytes.begin() + static_cast<ptrdiff_t>(entry.offset + entry.size));
    } else {
        out.resize(entry.size);
        if (!ReadAt(m_fd, entry.offset, out.data(), entry.size)) {
            out.clear();
            error = "cannot read \"" + entry.name + "\" from " + m_path + " (file changed or truncated?)";
            return false;
        }
    }
    if (entry.flags & kTextEntry)
        Scramble::Apply(out.data(), out.size());
    return true;
}

bool Archive::Pack(const std::string& outName, const std::string& rootDir, std::string& error)
{
    namespace fs = std::filesystem;
    FileSystem* fileSystem = FileSystem::Instance();
    const fs::path root = fileSystem->ResolveDiskPath(rootDir);
    std::error_code ec;
    if (!fs::is_directory(root, ec)) {
        error = "not a folder: " + rootDir;
        return false;
    }
    const fs::path outPath = fileSystem->ResolveDiskPath(outName);

    struct Source {
        std::string name;
        fs::path path;
    };
    std::vector<Source> sources;
    for (fs::recursive_directory_iterator it(root, fs::directory_options::skip_permission_denied, ec), end;
         !ec && it != end; it.increment(ec)) {
        if (!it->is_regular_file(ec))
            continue;
        if (fs::equivalent(it->path(), outPath, ec))
            continue;
        std::string name = it->path().lexically_relative(root).generic_string();
        std::replace(name.begin(), name.end(), '/', '\\');
        sources.push_back({name, it->path()});
    }
    if (ec) {
        error = "cannot list " + rootDir + ": " + ec.message();
        return false;
    }
    std::sort(sources.begin(), sources.end(), [](const Source& a, const Source& b) { return a.name < b.name; });

    File* out = fileSystem->OpenWriteBinary(outName.c_str());
    if (!out) {
        error = "cannot create " + outName;
        return false;
    }
    std::vector<uint8_t> header = Header(0, 0);
    bool ok = out->Write(header.data(), header.size()) == header.size();
    std::vector<uint8_t> directory;
    uint64_t offset = kHeaderSize;
    for (const Source& source : sources) {
        if (!ok)
            break;
        if (source.name.size() > 0xFFFF) {
            error = "name too long: " + source.name;
            ok = false;
            break;
        }
        std::vector<uint8_t> bytes;
        FILE* in = std::fopen(source.path.c_str(), "rb");
        bool readOk = in != nullptr;
        if (in) {
            uint8_t chunk[65536];
            size_t n;
            while ((n = std::fread(chunk, 1, sizeof chunk, in)) > 0)
                bytes.insert(bytes.end(), chunk, chunk + n);
            readOk = !std::ferror(in);
            std::fclose(in);
        }
        if (!readOk) {
            error = "cannot read " + source.path.string();
            ok = false;
            break;
        }
        const bool text = IsTextName(source.name);
        if (text)
            Scramble::Apply(bytes.data(), bytes.size());
        if (out->Write(bytes.data(), bytes.size()) != bytes.size()) {
            ok = false;
            break;
        }
        Put16(directory, static_cast<uint16_t>(source.name.size()));
        directory.insert(directory.end(), source.name.begin(), source.name.end());
        Put64(directory, offset);
        Put64(directory, bytes.size());
        Put32(directory, text ? kTextEntry : 0);
        offset += bytes.size();
    }
    if (ok) {
        header = Header(static_cast<uint32_t>(sources.size()), offset);
        ok = out->Write(directory.data(), directory.size()) == directory.size() && out->Seek(0) &&
             out->Write(header.data(), header.size()) == header.size();
    }
    if (!ok) {
        delete out;  // never closed: the old archive, if any, stays as it was
        if (error.empty())
            error = "cannot write " + outName;
        return false;
    }
    if (!fileSystem->Close(out)) {
        error = "cannot store " + outName;
        return false;
    }
    return true;
}
