#include "engine/bridge/EngineBridge.h"

#include "framework/Debug.h"
#include "framework/FileSystem.h"

namespace {

class FrameworkFile : public RtFile {
public:
    explicit FrameworkFile(File* file) : m_file(file) {}
    ~FrameworkFile() override { Close(); }
    RwUInt32 Read(void* buffer, RwUInt32 length) override
    {
        return m_file ? RwUInt32(m_file->Read(buffer, length)) : 0;
    }
    RwUInt32 Write(const void* buffer, RwUInt32 length) override
    {
        return m_file ? RwUInt32(m_file->Write(buffer, length)) : 0;
    }
    bool Seek(int64_t offset) override { return m_file && m_file->Seek(offset); }
    int64_t Tell() const override { return m_file ? m_file->Tell() : -1; }
    int64_t Size() const override { return m_file ? m_file->Size() : -1; }
    bool Close() override
    {
        if (!m_file)
            return true;
        const bool ok = FileSystem::Instance()->Close(m_file);
        m_file = nullptr;
        return ok;
    }

private:
    File* m_file;
};

VantaroFileSystem* g_installed = nullptr;

}  // namespace

RtFile* VantaroFileSystem::Open(const char* name, RwStreamAccessType access)
{
    // Appending has no counterpart in the file layer; engine files are written whole.
    File* f = access == rwStreamRead ? FileSystem::Instance()->OpenReadBinary(name)
                                     : FileSystem::Instance()->OpenWriteBinary(name);
    return f ? new FrameworkFile(f) : nullptr;
}

VantaroFileSystem* VantaroFileSystem::Get()
{
    return g_installed;
}

void VantaroFileSystem::Uninstall()
{
    if (!g_installed)
        return;
    RtFSManagerUnregister(g_installed);
    delete g_installed;
    g_installed = nullptr;
}

bool RwInstallFileSystem()
{
    VantaroFileSystem::Uninstall();
    g_installed = new VantaroFileSystem;
    if (!RtFSManagerRegister(g_installed)) {
        LogError("RwInstallFileSystem: could not register the game's file system\n");
        delete g_installed;
        g_installed = nullptr;
        return false;
    }
    RtFileSystem* disk = RtFSManagerGetDefaultFileSystem();
    if (!RtFSManagerGetFileSystemFromName(disk->GetName()) && !RtFSManagerRegister(disk)) {
        LogError("RwInstallFileSystem: could not register the default file system\n");
        return false;
    }
    return true;
}

namespace Math {

Matrix3 Matrix3FromRwMatrix(const RwMatrix* matrix)
{
    Matrix3 m;
    m.SetColumn(0, Vector3(matrix->right.x, matrix->right.y, matrix->right.z));
    m.SetColumn(1, Vector3(matrix->up.x, matrix->up.y, matrix->up.z));
    m.SetColumn(2, Vector3(matrix->at.x, matrix->at.y, matrix->at.z));
    return m;
}

Quaternion QuaternionFromRwMatrix(const RwMatrix* matrix)
{
    Quaternion q;
    q.FromMatrix(Matrix3FromRwMatrix(matrix));
    return q;
}

}  // namespace Math
