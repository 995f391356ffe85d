#pragma once

// Files in memory for the property-table tests.

#include "framework/MemoryFile.h"

#include <algorithm>
#include <cstdint>
#include <string>

// Collects what is written; past room, writes fail.
struct StringFile : MemoryFile {
    StringFile() : MemoryFile({}, true) {}
    size_t Write(const void* buffer, size_t count) override
    {
        count = std::min(count, room);
        text.append(static_cast<const char*>(buffer), count);
        room -= count;
        return count;
    }
    std::string text;
    size_t room = SIZE_MAX;
};

inline MemoryFile TextFile(const std::string& text, bool textMode = true)
{
    return MemoryFile(std::vector<uint8_t>(text.begin(), text.end()), textMode);
}
