#include "text/TextManager.h"

#include "framework/Debug.h"
#include "framework/FileSystem.h"

#include <algorithm>
#include <climits>

namespace {

bool IsLineEnd(char c)
{
    return c == '\r' || c == '\n';
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\v' || c == '\f';
}

// The number at the start of a record, read as "%d" would (leading blanks, a sign, digits,
// anything after them ignored); out-of-range values clamp. False when no digit is there.
bool ReadNumber(const std::string& line, int32_t& number)
{
    size_t i = 0;
    while (i < line.size() && IsBlank(line[i]))
        ++i;
    bool negative = false;
    if (i < line.size() && (line[i] == '-' || line[i] == '+'))
        negative = line[i++] == '-';
    if (i >= line.size() || line[i] < '0' || line[i] > '9')
        return false;
    long long value = 0;
    for (; i < line.size() && line[i] >= '0' && line[i] <= '9'; ++i)
        value = std::min(value * 10 + (line[i] - '0'), static_cast<long long>(INT_MAX) + 1);
    value = negative ? -value : std::min(value, static_cast<long long>(INT_MAX));
    number = static_cast<int32_t>(value);
    return true;
}

// The second field: behind the first ';', up to the next ';' outside quotes. A quote toggles
// quoting and is dropped; two quotes in a row give one.
std::string ReadTextField(const std::string& line)
{
    std::string text;
    size_t i = line.find(';');
    if (i == std::string::npos)
        return text;
    bool quoted = false;
    for (++i; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '"') {
            if (i + 1 < line.size() && line[i + 1] == '"') {
                text += '"';
                ++i;
            } else {
                quoted = !quoted;
            }
        } else if (c == ';' && !quoted) {
            break;
        } else {
            text += c;
        }
    }
    return text;
}

}  // namespace

void TextManager::LoadTextFile(const char* fileName)
{
    std::vector<uint8_t> bytes;
    if (!fileName || !FileSystem::Instance()->FileExists(fileName) ||
        !FileSystem::Instance()->ReadAll(fileName, bytes)) {
        LogError("could not open text file: %s\n", fileName ? fileName : "(null)");
        return;
    }
    m_files.emplace_back(fileName);
    LoadText(reinterpret_cast<const char*>(bytes.data()), bytes.size(), fileName);
}

void TextManager::LoadText(const char* data, size_t size, const char* name)
{
    size_t cut = 0;
    size_t i = 0;
    std::string line;
    while (i < size) {
        // A line ends at CR or LF alike, so CRLF, LF-only and CR-only files read the same.
        const size_t start = i;
        while (i < size && !IsLineEnd(data[i]))
            ++i;
        const size_t length = i - start;
        if (length > kMaxLineLength)
            ++cut;
        line.assign(data + start, std::min(length, kMaxLineLength));
        while (i < size && IsLineEnd(data[i]))
            ++i;
        if (!line.empty() && line[0] != '#')
            AddRecord(line);
    }
    if (cut)
        LogWarning("TextManager::LoadText: %zu line(s) of %s longer than %zu characters were cut\n", cut,
                   name ? name : "(text)", kMaxLineLength);
}

void TextManager::AddRecord(const std::string& line)
{
    int32_t number = 0;
    if (!ReadNumber(line, number))
        return;
    m_texts.emplace(number, ReadTextField(line));
}

std::string TextManager::GetText(int32_t number, int line) const
{
    auto [it, end] = m_texts.equal_range(number);
    for (int n = 0; it != end && n < line; ++n)
        ++it;
    if (it == end) {
        LogError("Could not find Text #%d, line %d\n", number, line);
        return kNotFound;
    }
    return it->second;
}

bool TextManager::HasText(int32_t number, int line) const
{
    return m_texts.count(number) >= static_cast<size_t>(std::max(line, 0)) + 1;
}

std::vector<int32_t> TextManager::GetTextNumbers() const
{
    std::vector<int32_t> numbers;
    for (auto it = m_texts.begin(); it != m_texts.end(); it = m_texts.upper_bound(it->first))
        numbers.push_back(it->first);
    return numbers;
}

bool TextManager::Clear()
{
    m_texts.clear();
    m_files.clear();
    return true;
}
