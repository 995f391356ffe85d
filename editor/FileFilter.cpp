#include "editor/FileFilter.h"

#include <cctype>

namespace editor {

std::vector<FilterEntry> ParseFileFilter(const std::string& filter)
{
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= filter.size()) {
        size_t bar = filter.find('|', start);
        if (bar == std::string::npos)
            bar = filter.size();
        parts.push_back(filter.substr(start, bar - start));
        start = bar + 1;
    }
    std::vector<FilterEntry> entries;
    for (size_t i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].empty() && parts[i + 1].empty())
            break;  // the closing "||"
        FilterEntry entry{parts[i], {}};
        size_t from = 0;
        const std::string& patterns = parts[i + 1];
        while (from <= patterns.size()) {
            size_t semi = patterns.find(';', from);
            if (semi == std::string::npos)
                semi = patterns.size();
            if (semi > from)
                entry.patterns.push_back(patterns.substr(from, semi - from));
            from = semi + 1;
        }
        entries.push_back(std::move(entry));
    }
    return entries;
}

bool MatchesPattern(const std::string& name, const std::string& pattern)
{
    size_t n = 0, p = 0, starP = std::string::npos, starN = 0;
    auto same = [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
    };
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || same(pattern[p], name[n]))) {
            ++n;
            ++p;
        } else if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starN = n;
        } else if (starP != std::string::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

}  // namespace editor
