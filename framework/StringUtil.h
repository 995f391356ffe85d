#pragma once

#include "framework/Debug.h"  // TB_PRINTF

#include <cstddef>
#include <string>
#include <vector>

// Compares lower-cased copies.
bool EqualsNoCase(const std::string& a, const std::string& b);
// Replaces the first occurrence of search at or after start, compared without regard to
// case. Returns the position of the replacement, -1 when there was none.
int ReplaceNoCase(std::string& text, const std::string& search, const std::string& replacement,
                  size_t start = 0);
// Removes leading and trailing blanks, tabs and line feeds in place (carriage returns stay).
void Trim(std::string& text);

// printf-style formatting into a new string of any length.
std::string FormatString(const char* format, ...) TB_PRINTF(1, 2);
std::string IntToString(int value);
std::string FloatToString(float value);  // "%f"

namespace StringUtil {
void ToLower(std::string& text);  // in place, ASCII only
void ToUpper(std::string& text);
std::string Lower(const std::string& text);  // lower-cased copy
// The first / last n characters (the whole text when it is shorter; nothing for n <= 0).
std::string Left(const std::string& text, int n);
std::string Right(const std::string& text, int n);
}  // namespace StringUtil

// Splits a text at any of the delimiter characters, skipping runs of them, so there are
// no empty tokens. Reads past the last token give an empty string, 0 or 0.0.
class StringTokenizer {
public:
    StringTokenizer() = default;
    StringTokenizer(const std::string& text, const std::string& delimiters);

    void Tokenize(const std::string& text, const std::string& delimiters);

    std::string NextToken();
    int NextInt();      // the next token read as "%d"; 0 when it is not a number
    float NextFloat();  // the next token read as "%f"; 0 when it is not a number

    int CountRemaining() const { return static_cast<int>(m_tokens.size() - m_next); }
    int CountTokens() const { return static_cast<int>(m_tokens.size()); }
    bool HasMoreTokens() const { return m_next < m_tokens.size(); }

private:
    std::vector<std::string> m_tokens;
    size_t m_next = 0;
};
