#include "framework/StringUtil.h"

#include <cerrno>
#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>

namespace {

char LowerChar(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

char UpperChar(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

}  // namespace

bool EqualsNoCase(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (LowerChar(a[i]) != LowerChar(b[i]))
            return false;
    }
    return true;
}

int ReplaceNoCase(std::string& text, const std::string& search, const std::string& replacement,
                  size_t start)
{
    if (search.empty() || start > text.size())
        return -1;
    const size_t pos = StringUtil::Lower(text).find(StringUtil::Lower(search), start);
    if (pos == std::string::npos || pos > static_cast<size_t>(INT_MAX))
        return -1;
    text.replace(pos, search.size(), replacement);
    return static_cast<int>(pos);
}

void Trim(std::string& text)
{
    const char* blanks = " \t\n";
    const size_t first = text.find_first_not_of(blanks);
    if (first == std::string::npos) {
        text.clear();
        return;
    }
    const size_t last = text.find_last_not_of(blanks);
    text = text.substr(first, last - first + 1);
}

std::string FormatString(const char* format, ...)
{
    if (!format)
        return std::string();
    char small[512];
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    const int needed = vsnprintf(small, sizeof small, format, args);
    va_end(args);
    std::string result;
    if (needed < 0) {
        va_end(copy);
        return result;
    }
    if (static_cast<size_t>(needed) < sizeof small) {
        result.assign(small, static_cast<size_t>(needed));
    } else {
        result.resize(static_cast<size_t>(needed));
        vsnprintf(result.data(), result.size() + 1, format, copy);
    }
    va_end(copy);
    return result;
}

std::string IntToString(int value)
{
    return FormatString("%d", value);
}

std::string FloatToString(float value)
{
    return FormatString("%f", static_cast<double>(value));
}

namespace StringUtil {

void ToLower(std::string& text)
{
    for (char& c : text)
        c = LowerChar(c);
}

void ToUpper(std::string& text)
{
    for (char& c : text)
        c = UpperChar(c);
}

std::string Lower(const std::string& text)
{
    std::string copy(text);
    ToLower(copy);
    return copy;
}

std::string Left(const std::string& text, int n)
{
    if (n <= 0)
        return std::string();
    return text.substr(0, static_cast<size_t>(n));
}

std::string Right(const std::string& text, int n)
{
    if (n <= 0)
        return std::string();
    const size_t count = static_cast<size_t>(n);
    return count >= text.size() ? text : text.substr(text.size() - count);
}

}  // namespace StringUtil

StringTokenizer::StringTokenizer(const std::string& text, const std::string& delimiters)
{
    Tokenize(text, delimiters);
}

void StringTokenizer::Tokenize(const std::string& text, const std::string& delimiters)
{
    m_tokens.clear();
    m_next = 0;
    size_t pos = text.find_first_not_of(delimiters);
    while (pos != std::string::npos) {
        const size_t end = text.find_first_of(delimiters, pos);
        m_tokens.push_back(text.substr(pos, end == std::string::npos ? std::string::npos : end - pos));
        pos = end == std::string::npos ? end : text.find_first_not_of(delimiters, end);
    }
}

std::string StringTokenizer::NextToken()
{
    if (m_next >= m_tokens.size())
        return std::string();
    return m_tokens[m_next++];
}

int StringTokenizer::NextInt()
{
    const std::string token = NextToken();
    errno = 0;
    char* end = nullptr;
    const long value = std::strtol(token.c_str(), &end, 10);
    if (end == token.c_str())
        return 0;
    // "%d" has no defined result for out-of-range text; clamp rather than wrap.
    if (value > INT_MAX)
        return INT_MAX;
    if (value < INT_MIN)
        return INT_MIN;
    return static_cast<int>(value);
}

float StringTokenizer::NextFloat()
{
    const std::string token = NextToken();
    char* end = nullptr;
    const float value = std::strtof(token.c_str(), &end);
    return end == token.c_str() ? 0.0f : value;
}
