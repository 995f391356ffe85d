#pragma once

#include "framework/File.h"

#include <string>
#include <vector>

// A text file stored scrambled, as uppercase hex pairs 64 to a line. Reading decodes the
// whole file and then behaves like a text entry of the archive; writing collects the text
// and stores it on Close, atomically, so an unclosed file leaves the old one in place.
class CryptedStdFile : public File {
public:
    // Null when the file cannot be opened, or when its content is not well-formed hex
    // (reported in the log).
    static File* Open(const char* name, bool write);
    ~CryptedStdFile() override;

    size_t Read(void* buffer, size_t count) override;
    size_t Write(const void* buffer, size_t count) override;
    bool ReadLine(char* buffer, size_t size) override;
    bool IsEof() const override { return m_pos >= m_data.size(); }
    bool Seek(int64_t offset) override;
    int64_t Tell() const override { return static_cast<int64_t>(m_pos); }
    int64_t Size() const override { return static_cast<int64_t>(m_data.size()); }
    bool Close() override;

private:
    CryptedStdFile() = default;

    std::vector<uint8_t> m_data;  // the plain text
    size_t m_pos = 0;
    File* m_out = nullptr;        // the file being written, not yet stored
    bool m_writing = false;
    bool m_closed = false;
    bool m_stored = false;
};
