#include "framework/Settings.h"

#include "framework/Debug.h"
#include "framework/FileSystem.h"
#include "framework/StringUtil.h"

#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

// Settings files come from any editor, so carriage returns count as blanks here.
std::string TrimBlanks(const char* begin, const char* end)
{
    while (begin < end && IsBlank(*begin))
        ++begin;
    while (end > begin && IsBlank(end[-1]))
        --end;
    return std::string(begin, end);
}

std::string FirstToken(const std::string& value)
{
    size_t end = 0;
    while (end < value.size() && !IsBlank(value[end]))
        ++end;
    return value.substr(0, end);
}

// 0 when the text is no number. strtof takes "nan" and "inf" too: refused aloud.
float ToFloat(const std::string& text, const char* caller, const char* key)
{
    char* end = nullptr;
    const float value = std::strtof(text.c_str(), &end);
    if (end == text.c_str())
        return 0.0f;
    if (!std::isfinite(value)) {
        LogWarning("%s: \"%s\" is not a finite number: \"%s\"; 0 used\n", caller, key, text.c_str());
        return 0.0f;
    }
    return value;
}

// atoi without its undefined overflow.
int ToInt(const std::string& text)
{
    const long value = std::strtol(text.c_str(), nullptr, 10);
    return value > INT_MAX ? INT_MAX : value < INT_MIN ? INT_MIN : static_cast<int>(value);
}

}  // namespace

bool Settings::Load(const char* file)
{
    Clear();
    std::vector<uint8_t> bytes;
    if (!file || !FileSystem::Instance()->ReadAll(file, bytes)) {
        LogError("Settings::Load could not open file <%s>\n", file ? file : "(null)");
        return false;
    }
    Parse(reinterpret_cast<const char*>(bytes.data()), bytes.size(), file);
    return true;
}

void Settings::Clear()
{
    m_fileName.clear();
    m_entries.clear();
}

void Settings::Parse(const char* text, size_t size, const char* name)
{
    m_entries.clear();
    m_fileName = name ? name : "";
    if (!text)
        return;
    std::string section;
    bool inSection = false;
    const char* const end = text + size;
    int lineNumber = 0;
    for (const char* line = text; line < end;) {
        const char* lineEnd = static_cast<const char*>(std::memchr(line, '\n', static_cast<size_t>(end - line)));
        if (!lineEnd)
            lineEnd = end;
        ++lineNumber;
        const std::string content = TrimBlanks(line, lineEnd);
        line = lineEnd + 1;
        if (content.empty() || content[0] == '#' || content.compare(0, 2, "//") == 0)
            continue;
        const std::string key = FirstToken(content);
        const std::string value = TrimBlanks(content.c_str() + key.size(), content.c_str() + content.size());
        if (key == "SECTION") {
            if (value.empty())
                LogWarning("Settings: %s line %d: SECTION without a name\n", m_fileName.c_str(), lineNumber);
            else if (inSection)
                LogWarning("Settings: %s line %d: SECTION %s inside %s (ENDSECTION missing)\n", m_fileName.c_str(),
                           lineNumber, value.c_str(), section.c_str());
            section = value;
            inSection = !value.empty();
            continue;
        }
        if (key == "ENDSECTION") {
            if (!inSection)
                LogWarning("Settings: %s line %d: ENDSECTION without SECTION\n", m_fileName.c_str(), lineNumber);
            section.clear();
            inSection = false;
            continue;
        }
        m_entries.push_back({section, key, value});
    }
    if (inSection)
        LogWarning("Settings: %s: SECTION %s not closed by ENDSECTION\n", m_fileName.c_str(), section.c_str());
}

const std::string* Settings::GetRaw(const char* key, int index, const char* section) const
{
    if (!key || index < 0)
        return nullptr;
    for (const Entry& entry : m_entries) {
        if (entry.key != key || (section && entry.section != section))
            continue;
        if (index-- == 0)
            return &entry.value;
    }
    return nullptr;
}

std::string Settings::GetString(const char* key, int index, const char* section) const
{
    const std::string* value = GetRaw(key, index, section);
    return value ? FirstToken(*value) : std::string();
}

float Settings::GetFloat(const char* key, int index, const char* section) const
{
    return ToFloat(GetString(key, index, section), "Settings::GetFloat", key);
}

bool Settings::FindValue(std::string& out, const char* key, int index, const char* section) const
{
    const std::string* value = GetRaw(key, index, section);
    if (!value)
        return false;
    out = *value;
    return true;
}

bool SettingsManager::LoadSettings(const char* file)
{
    auto settings = std::make_unique<Settings>();
    if (!settings->Load(file)) {
        LogError("SettingsManager::LoadSettings: could not load settings <%s>\n", file ? file : "(null)");
        return false;
    }
    FileSystem* fileSystem = FileSystem::Instance();
    const std::string key = StringUtil::Lower(fileSystem->ExpandAliases(file));
    for (auto& loaded : m_files) {
        if (StringUtil::Lower(fileSystem->ExpandAliases(loaded->GetFileName())) == key) {
            loaded = std::move(settings);
            return true;
        }
    }
    m_files.push_back(std::move(settings));
    return true;
}

void SettingsManager::UnloadAll()
{
    m_files.clear();
}

const std::string* SettingsManager::Find(const char* key, const char* section) const
{
    for (const auto& settings : m_files) {
        if (const std::string* value = settings->GetRaw(key, 0, section))
            return value;
    }
    return nullptr;
}

std::string SettingsManager::GetString(const char* key, const char* section)
{
    const std::string* value = Find(key, section);
    return value ? *value : std::string();
}

int SettingsManager::GetInt(const char* key, const char* section)
{
    const std::string* value = Find(key, section);
    return value ? ToInt(*value) : 0;
}

bool SettingsManager::GetBool(const char* key, const char* section)
{
    const std::string* value = Find(key, section);
    if (!value)
        return false;
    const std::string word = FirstToken(*value);
    if (EqualsNoCase(word, "true"))
        return true;
    if (EqualsNoCase(word, "false"))
        return false;
    return ToInt(word) != 0;
}

float SettingsManager::GetFloat(const char* key, const char* section)
{
    const std::string* value = Find(key, section);
    return value ? ToFloat(*value, "SettingsManager::GetFloat", key) : 0.0f;
}
