#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

// Writes the input to a scratch file for targets whose reader takes a file name; false when
// the file cannot be written whole.
inline bool FuzzWriteScratch(const char* path, const uint8_t* data, size_t size)
{
    FILE* f = std::fopen(path, "wb");
    if (!f)
        return false;
    const bool ok = std::fwrite(data, 1, size, f) == size;
    return std::fclose(f) == 0 && ok;
}
