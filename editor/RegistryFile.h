#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

// A key of named binary values kept in one text file, one line per value:
//     Control Panel=0A000000F6FFFFFF...
// the name up to the last "=", then the value's bytes as hex pairs. Lines starting with
// "#" and blank lines are ignored. Every call reads the file anew, so several records
// bound to one file never overwrite each other's values.
class RegistryFile {
public:
    using Values = std::map<std::string, std::vector<uint8_t>>;

    // Binds to the file (a file-layer name); a missing file is an empty key, made by the
    // first SetValue. A file that exists but cannot be read leaves the key closed.
    explicit RegistryFile(std::string path);

    // False when the key could not be opened: every query and change then fails quietly.
    bool IsOpen() const { return m_open; }
    const std::string& GetPath() const { return m_path; }

    // False without the key or without the value.
    bool QueryValue(const std::string& name, std::vector<uint8_t>& bytes) const;
    // Writes the whole file anew through the file layer; false (the old file kept) when
    // the key is closed or the file cannot be written. Names holding a line feed are refused.
    // A file with malformed lines is kept beside itself first (KeepDamagedCopy).
    bool SetValue(const std::string& name, const std::vector<uint8_t>& bytes);

    // The values of a file's text; malformed lines are skipped, each reported once with
    // the file's name (at most a few reports per text) and counted in skipped when given.
    static Values Parse(const char* text, size_t size, const std::string& origin, int* skipped = nullptr);
    static std::string Format(const Values& values);

private:
    // damaged, when given, tells whether any line was skipped.
    bool Read(Values& values, bool* damaged = nullptr) const;

    std::string m_path;
    bool m_open = false;
};
