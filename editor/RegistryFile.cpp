#include "editor/RegistryFile.h"

#include "framework/Cast.h"
#include "framework/Debug.h"
#include "framework/FileSystem.h"
#include "framework/Scramble.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace {

constexpr int kMaxReportedLines = 3;

// One line without its line feed: true when it holds a value or nothing at all.
bool ParseLine(std::string line, RegistryFile::Values& values)
{
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    if (line.empty() || line[0] == '#')
        return true;
    const size_t equals = line.rfind('=');
    std::vector<uint8_t> bytes;
    if (equals == std::string::npos || equals == 0 ||
        !Scramble::DecodeHex(line.data() + equals + 1, line.size() - equals - 1, bytes))
        return false;
    values[line.substr(0, equals)] = std::move(bytes);
    return true;
}

}  // namespace

RegistryFile::RegistryFile(std::string path) : m_path(std::move(path))
{
    Values values;
    m_open = Read(values);
}

bool RegistryFile::Read(Values& values, bool* damaged) const
{
    values.clear();
    FileSystem* files = FileSystem::Instance();
    const std::filesystem::path disk = files->ResolveDiskPath(m_path);
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(disk, error);
    if (status.type() == std::filesystem::file_type::not_found)
        return true;  // an empty key, made by the first SetValue
    std::vector<uint8_t> bytes;
    if (error || status.type() != std::filesystem::file_type::regular || !files->ReadAll(m_path.c_str(), bytes))
        return false;
    int skipped = 0;
    values = Parse(reinterpret_cast<const char*>(bytes.data()), bytes.size(), m_path, &skipped);
    if (damaged)
        *damaged = skipped > 0;
    return true;
}

bool RegistryFile::QueryValue(const std::string& name, std::vector<uint8_t>& bytes) const
{
    Values values;
    if (!m_open || !Read(values))
        return false;
    const auto found = values.find(name);
    if (found == values.end())
        return false;
    bytes = found->second;
    return true;
}

bool RegistryFile::SetValue(const std::string& name, const std::vector<uint8_t>& bytes)
{
    Values values;
    bool damaged = false;
    if (!m_open || name.empty() || name.find_first_of("\r\n") != std::string::npos || !Read(values, &damaged))
        return false;
    // The lines skipped would be gone with the write.
    if (damaged && KeepDamagedCopy(m_path.c_str()).empty())
        return false;
    values[name] = bytes;
    const std::string text = Format(values);
    FileSystem* files = FileSystem::Instance();
    File* out = files->OpenWrite(m_path.c_str());
    if (!out)
        return false;
    const bool written = out->Write(text.data(), text.size()) == text.size();
    // Only a successful Close puts the new file in place.
    if (!written) {
        delete out;
        return false;
    }
    return files->Close(out);
}

RegistryFile::Values RegistryFile::Parse(const char* text, size_t size, const std::string& origin, int* skipped)
{
    Values values;
    int reported = 0;
    size_t start = 0, lineNumber = 0;
    while (start < size) {
        size_t end = start;
        while (end < size && text[end] != '\n')
            ++end;
        ++lineNumber;
        if (!ParseLine(std::string(text + start, end - start), values)) {
            if (skipped)
                ++*skipped;
            if (reported++ < kMaxReportedLines)
                LogWarning("RegistryFile::Parse: line %zu of %s is no value; skipped\n", lineNumber, origin.c_str());
        }
        start = end + 1;
    }
    return values;
}

std::string RegistryFile::Format(const Values& values)
{
    std::string text;
    for (const auto& [name, bytes] : values) {
        text += name;
        text += '=';
        std::string hex = Scramble::EncodeHex(bytes.data(), bytes.size());
        hex.erase(std::remove(hex.begin(), hex.end(), '\n'), hex.end());
        text += hex;
        text += '\n';
    }
    return text;
}
