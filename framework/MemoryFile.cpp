#include "framework/MemoryFile.h"

#include <algorithm>
#include <cstring>

namespace {

bool DroppedReturn(const std::vector<uint8_t>& data, size_t pos, bool text)
{
    return text && data[pos] == '\r' && pos + 1 < data.size() && data[pos + 1] == '\n';
}

}  // namespace

size_t MemoryFile::ReadBytes(const std::vector<uint8_t>& data, size_t& pos, void* buffer, size_t count, bool text)
{
    if (!buffer || pos >= data.size() || count == 0)
        return 0;
    uint8_t* out = static_cast<uint8_t*>(buffer);
    if (!text) {
        const size_t n = std::min(count, data.size() - pos);
        std::memcpy(out, data.data() + pos, n);
        pos += n;
        return n;
    }
    size_t written = 0;
    for (; pos < data.size() && written < count; ++pos) {
        if (!DroppedReturn(data, pos, text))
            out[written++] = data[pos];
    }
    return written;
}

bool MemoryFile::ReadTextLine(const std::vector<uint8_t>& data, size_t& pos, char* buffer, size_t size, bool text)
{
    if (!buffer || size == 0 || pos >= data.size())
        return false;
    size_t written = 0;
    // The line feed is kept, as from a plain file: without it a caller could not tell a
    // line that fills the buffer from one cut by it.
    while (pos < data.size() && written + 1 < size) {
        if (DroppedReturn(data, pos, text)) {
            ++pos;
            continue;
        }
        const char c = static_cast<char>(data[pos++]);
        buffer[written++] = c;
        if (c == '\n')
            break;
    }
    buffer[written] = '\0';
    return true;
}

size_t MemoryFile::Read(void* buffer, size_t count)
{
    return ReadBytes(m_data, m_pos, buffer, count, m_text);
}

bool MemoryFile::ReadLine(char* buffer, size_t size)
{
    return ReadTextLine(m_data, m_pos, buffer, size, m_text);
}

bool MemoryFile::Seek(int64_t offset)
{
    if (offset < 0 || static_cast<uint64_t>(offset) > m_data.size())
        return false;
    m_pos = static_cast<size_t>(offset);
    return true;
}
