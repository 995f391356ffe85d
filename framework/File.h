#pragma once

#include <cstddef>
#include <cstdint>

// An open file: a plain file on disk, an entry of the data archive, or a scrambled file.
class File {
public:
    virtual ~File() = default;

    // Returns the number of bytes read; fewer than asked at the end of the file.
    virtual size_t Read(void* buffer, size_t count) = 0;
    // Returns the number of bytes written; fewer than asked on failure.
    virtual size_t Write(const void* buffer, size_t count) = 0;
    // One line of at most size - 1 characters with its line feed, always terminated. Text
    // (mode "r", scrambled files) reads "\r\n" as "\n", here as in Read, wherever the file
    // lies. At the end of the file the buffer is left as it was and false returned.
    virtual bool ReadLine(char* buffer, size_t size) = 0;
    virtual bool IsEof() const = 0;
    virtual bool Seek(int64_t offset) = 0;  // from the start
    virtual int64_t Tell() const = 0;
    virtual int64_t Size() const = 0;
    // Flushes and closes; false when anything written was not stored.
    virtual bool Close() = 0;
};
