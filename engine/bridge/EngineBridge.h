#pragma once

// Where the framework meets the engine: engine file streams read through the game's file
// layer (archive, aliases, Windows-style names), and engine matrices become framework math.

#include "engine/core/RtFSManager.h"
#include "engine/core/RwMatrix.h"
#include "framework/Matrix3.h"
#include "framework/Quaternion.h"

// Engine file system over FileSystem (archive first, then disk).
class VantaroFileSystem : public RtFileSystem {
public:
    const char* GetName() const override { return "vantaro"; }
    RtFile* Open(const char* name, RwStreamAccessType access) override;

    static VantaroFileSystem* Get();  // the installed one, or null
    // Unregisters and frees the installed file system; nothing happens when none is.
    static void Uninstall();
};

// Registers VantaroFileSystem, then the engine's default file system; call after
// RtFSManagerOpen. False when the manager refused either.
bool RwInstallFileSystem();

namespace Math {
// Right, up and at as the columns.
Matrix3 Matrix3FromRwMatrix(const RwMatrix* matrix);
Quaternion QuaternionFromRwMatrix(const RwMatrix* matrix);
inline Matrix3 Matrix3FromRwMatrix(const RwMatrix& matrix) { return Matrix3FromRwMatrix(&matrix); }
inline Quaternion QuaternionFromRwMatrix(const RwMatrix& matrix) { return QuaternionFromRwMatrix(&matrix); }
}  // namespace Math
