#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

// The data archive: a header, the entries' bytes and a directory of named entries, all
// little-endian.
//   header (24 bytes): "TBDA", u32 version (1), u32 entry count, u32 flags (0),
//                      u64 directory offset
//   directory: per entry u16 name length, the name, u64 offset, u64 size, u32 flags
// Names are relative paths with backslashes; lookups ignore letter case. Entries flagged
// as text are stored scrambled.
class Archive {
public:
    struct Entry {
        std::string name;
        uint64_t offset = 0;
        uint64_t size = 0;
        uint32_t flags = 0;
    };
    static constexpr uint32_t kTextEntry = 1;
    static constexpr uint32_t kVersion = 1;
    static constexpr size_t kHeaderSize = 24;

    ~Archive();

    // Mounts the archive at an operating-system path; with cache set the whole file is
    // kept in memory, otherwise entries are read from disk when opened. Null with the
    // reason in error when the file is unreadable, truncated or not an archive.
    static std::unique_ptr<Archive> Open(const std::string& path, bool cache, std::string& error);
    static std::unique_ptr<Archive> FromMemory(std::vector<uint8_t> bytes, std::string& error);

    // The entry of that name (normalised as by NormaliseName), or null.
    const Entry* Find(const std::string& name) const;
    // The entry's bytes, unscrambled. False with the reason when they cannot be read.
    bool ReadEntry(const Entry& entry, std::vector<uint8_t>& out, std::string& error) const;

    const std::vector<Entry>& Entries() const { return m_entries; }
    const std::string& Path() const { return m_path; }

    // The lookup key of a name: "/" -> "\", doubled backslashes folded, leading ".\"
    // dropped, lower case.
    static std::string NormaliseName(const std::string& name);
    // ".txt", ".csv" and ".xml" entries are text.
    static bool IsTextName(const std::string& name);

    // Packs every file under rootDir into the archive outName (written through the file
    // layer, so atomically); names are relative to rootDir. False with the reason in error.
    static bool Pack(const std::string& outName, const std::string& rootDir, std::string& error);

private:
    Archive() = default;
    bool Parse(const uint8_t* header, const uint8_t* directory, uint64_t directorySize,
               uint64_t fileSize, std::string& error);

    std::string m_path;
    int m_fd = -1;                 // read on demand
    std::vector<uint8_t> m_bytes;  // or cached whole
    std::vector<Entry> m_entries;
    std::unordered_map<std::string, size_t> m_index;
};
