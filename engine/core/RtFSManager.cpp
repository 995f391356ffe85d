#include "engine/core/RtFSManager.h"

#include "framework/Debug.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace {

class StdioFile : public RtFile {
public:
    explicit StdioFile(std::FILE* f) : m_file(f) {}
    ~StdioFile() override { Close(); }
    RwUInt32 Read(void* buffer, RwUInt32 length) override
    {
        return m_file ? RwUInt32(std::fread(buffer, 1, length, m_file)) : 0;
    }
    RwUInt32 Write(const void* buffer, RwUInt32 length) override
    {
        return m_file ? RwUInt32(std::fwrite(buffer, 1, length, m_file)) : 0;
    }
    bool Seek(int64_t offset) override { return m_file && std::fseek(m_file, long(offset), SEEK_SET) == 0; }
    int64_t Tell() const override { return m_file ? std::ftell(m_file) : -1; }
    int64_t Size() const override
    {
        if (!m_file)
            return -1;
        const long here = std::ftell(m_file);
        std::fseek(m_file, 0, SEEK_END);
        const long size = std::ftell(m_file);
        std::fseek(m_file, here, SEEK_SET);
        return size;
    }
    bool Close() override
    {
        if (!m_file)
            return true;
        const bool ok = std::fclose(m_file) == 0;
        m_file = nullptr;
        return ok;
    }

private:
    std::FILE* m_file;
};

class StdioFileSystem : public RtFileSystem {
public:
    const char* GetName() const override { return "stdio"; }
    RtFile* Open(const char* name, RwStreamAccessType access) override
    {
        const char* mode = access == rwStreamRead ? "rb" : access == rwStreamAppend ? "ab" : "wb";
        // Data files name their folders with backslashes.
        std::string path = name;
        std::replace(path.begin(), path.end(), '\\', '/');
        std::FILE* f = std::fopen(path.c_str(), mode);
        return f ? new StdioFile(f) : nullptr;
    }
};

struct Manager {
    bool open = false;
    RwInt32 max = -1;
    std::vector<RtFileSystem*> systems;
};

Manager& M()
{
    static Manager m;
    return m;
}

}  // namespace

RwBool RtFSManagerOpen(RwInt32 maxFileSystems)
{
    M().open = true;
    M().max = maxFileSystems;
    return true;
}

void RtFSManagerClose()
{
    M() = Manager{};
}

RwBool RtFSManagerRegister(RtFileSystem* fs)
{
    Manager& m = M();
    if (!m.open || !fs) {
        LogError("RtFSManagerRegister: the file-system manager is not open\n");
        return false;
    }
    if (std::find(m.systems.begin(), m.systems.end(), fs) != m.systems.end())
        return false;
    if (m.max >= 0 && RwInt32(m.systems.size()) >= m.max) {
        LogError("RtFSManagerRegister: no room for file system %s\n", fs->GetName());
        return false;
    }
    m.systems.push_back(fs);
    return true;
}

void RtFSManagerUnregister(RtFileSystem* fs)
{
    auto& v = M().systems;
    v.erase(std::remove(v.begin(), v.end(), fs), v.end());
}

RtFileSystem* RtFSManagerGetFileSystemFromName(const char* name)
{
    for (RtFileSystem* fs : M().systems) {
        if (std::string_view(fs->GetName()) == name)
            return fs;
    }
    return nullptr;
}

void RtFSManagerPollFiles()
{
    for (RtFileSystem* fs : M().systems)
        fs->PollFiles();
}

RtFile* RtFSManagerOpenFile(const char* name, RwStreamAccessType access)
{
    if (!name || !*name)
        return nullptr;
    if (M().systems.empty())
        return RtFSManagerGetDefaultFileSystem()->Open(name, access);
    for (RtFileSystem* fs : M().systems) {
        if (RtFile* f = fs->Open(name, access))
            return f;
    }
    return nullptr;
}

RtFileSystem* RtFSManagerGetDefaultFileSystem()
{
    static StdioFileSystem fs;
    return &fs;
}
