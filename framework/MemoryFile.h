#pragma once

#include "framework/File.h"

#include <vector>

// A read-only file over bytes in memory: an entry of the data archive, a block of a cast
// file, or the decoded text of a scrambled file. In text mode "\r\n" reads as "\n", as
// from a plain file opened in mode "r".
class MemoryFile : public File {
public:
    MemoryFile(std::vector<uint8_t> data, bool text) : m_data(std::move(data)), m_text(text) {}

    size_t Read(void* buffer, size_t count) override;
    size_t Write(const void*, size_t) override { return 0; }
    bool ReadLine(char* buffer, size_t size) override;
    bool IsEof() const override { return m_pos >= m_data.size(); }
    bool Seek(int64_t offset) override;
    int64_t Tell() const override { return static_cast<int64_t>(m_pos); }
    int64_t Size() const override { return static_cast<int64_t>(m_data.size()); }
    bool Close() override { return true; }

    const std::vector<uint8_t>& Data() const { return m_data; }

    // The read rules shared with the scrambled file.
    static size_t ReadBytes(const std::vector<uint8_t>& data, size_t& pos, void* buffer, size_t count, bool text);
    static bool ReadTextLine(const std::vector<uint8_t>& data, size_t& pos, char* buffer, size_t size, bool text);

private:
    std::vector<uint8_t> m_data;
    bool m_text;
    size_t m_pos = 0;
};
