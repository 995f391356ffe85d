#include "framework/CryptedStdFile.h"

#include "framework/Debug.h"
#include "framework/FileSystem.h"
#include "framework/MemoryFile.h"
#include "framework/Scramble.h"

#include <cstring>

File* CryptedStdFile::Open(const char* name, bool write)
{
    if (!name)
        return nullptr;
    FileSystem* fileSystem = FileSystem::Instance();
    if (write) {
        File* out = fileSystem->OpenWrite(name);
        if (!out)
            return nullptr;
        CryptedStdFile* file = new CryptedStdFile();
        file->m_out = out;
        file->m_writing = true;
        return file;
    }
    std::vector<uint8_t> stored;
    if (!fileSystem->ReadAll(name, stored))
        return nullptr;
    CryptedStdFile* file = new CryptedStdFile();
    size_t bad = 0;
    if (!Scramble::DecodeHex(reinterpret_cast<const char*>(stored.data()), stored.size(), file->m_data, &bad)) {
        LogError("CryptedStdFile::Open: %s is not a scrambled text file (bad hex at byte %zu)\n", name, bad);
        delete file;
        return nullptr;
    }
    Scramble::Apply(file->m_data.data(), file->m_data.size());
    return file;
}

CryptedStdFile::~CryptedStdFile()
{
    // Deleting the unclosed target discards its temporary file.
    delete m_out;
}

size_t CryptedStdFile::Read(void* buffer, size_t count)
{
    if (m_writing || !buffer)
        return 0;
    return MemoryFile::ReadBytes(m_data, m_pos, buffer, count, true);
}

size_t CryptedStdFile::Write(const void* buffer, size_t count)
{
    if (!m_writing || m_closed || (!buffer && count > 0))
        return 0;
    const uint8_t* bytes = static_cast<const uint8_t*>(buffer);
    m_data.insert(m_data.end(), bytes, bytes + count);
    return count;
}

bool CryptedStdFile::ReadLine(char* buffer, size_t size)
{
    if (m_writing)
        return false;
    return MemoryFile::ReadTextLine(m_data, m_pos, buffer, size, true);
}

bool CryptedStdFile::Seek(int64_t offset)
{
    if (m_writing || offset < 0 || static_cast<uint64_t>(offset) > m_data.size())
        return false;
    m_pos = static_cast<size_t>(offset);
    return true;
}

bool CryptedStdFile::Close()
{
    if (!m_writing || m_closed)
        return !m_writing || m_stored;
    m_closed = true;
    std::vector<uint8_t> scrambled(m_data);
    Scramble::Apply(scrambled.data(), scrambled.size());
    const std::string hex = Scramble::EncodeHex(scrambled.data(), scrambled.size());
    File* out = m_out;
    m_out = nullptr;
    out->Write(hex.data(), hex.size());
    m_stored = out->Close();  // reports a failed write and then leaves the old file as it was
    delete out;
    return m_stored;
}
