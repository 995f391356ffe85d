#include "framework/MemoryFile.h"

#include <algorithm>
#include <cstring>

size_t MemoryFile::ReadBytes(const std::vector<uint8_t>& data, size_t& pos, void* buffer, size_t count)
{
    if (pos >= data.size() || count == 0)
        return 0;
    const size_t n = std::min(count, data.size() - pos);
    std::memcpy(buffer, data.data() + pos, n);
    pos += n;
    return n;
}

bool MemoryFile::ReadTextLine(const std::vector<uint8_t>& data, size_t& pos, char* buffer, size_t size)
{
    if (!buffer || size == 0 || pos >= data.size())
        return false;
    size_t written = 0;
    while (pos < data.size()) {
        const char c = static_cast<char>(data[pos]);
        if (c == '\n') {
            ++pos;
            break;
        }
        if (c == '\r') {
            ++pos;
            continue;
        }
        if (written + 1 >= size)
            break;  // the rest of the line comes with the next call
        buffer[written++] = c;
        ++pos;
    }
    buffer[written] = '\0';
    return true;
}

size_t MemoryFile::Read(void* buffer, size_t count)
{
    return ReadBytes(m_data, m_pos, buffer, count);
}

bool MemoryFile::ReadLine(char* buffer, size_t size)
{
    return ReadTextLine(m_data, m_pos, buffer, size);
}

bool MemoryFile::Seek(int64_t offset)
{
    if (offset < 0 || static_cast<uint64_t>(offset) > m_data.size())
        return false;
    m_pos = static_cast<size_t>(offset);
    return true;
}
