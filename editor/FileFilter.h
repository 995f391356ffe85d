#pragma once

#include <string>
#include <vector>

namespace editor {

struct FilterEntry {
    std::string description;
    std::vector<std::string> patterns;  // from "*.bmp;*.png"
};

// The pairs of a "desc|pattern|desc|pattern||" filter, in order; an incomplete last pair
// is dropped.
std::vector<FilterEntry> ParseFileFilter(const std::string& filter);
// "*" and "?" wildcards, letters compared without regard to case.
bool MatchesPattern(const std::string& name, const std::string& pattern);

}  // namespace editor
