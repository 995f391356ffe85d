#include "engine/core/fuzz/FuzzSupport.h"
#include "engine/plugins/RpPlugins.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

// Poses the clump as a game model is posed: its skeleton bound and updated, its skins blended.
void Pose(RpClump* clump)
{
    RpHAnimHierarchy* h = RpHAnimFrameFindHierarchy(RpClumpGetFrame(clump));
    if (h && RpHAnimHierarchyAttach(h))
        RpHAnimHierarchyUpdateMatrices(h);
    for (RpAtomic* a : clump->atomics) {
        RpAtomicGetWorldBoundingSphere(a);
        if (!RpSkinGeometryGetSkin(a->geometry))
            continue;
        RpSkinAtomicSetHAnimHierarchy(a, h);
        std::vector<RwV3d> positions(size_t(a->geometry->numVertices)), normals(positions.size());
        RpSkinBlendVertices(a, positions.data(), normals.data());
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Every plugin: skeletons, skins and material effects are read from the extensions.
    FuzzBeginEngineRun(&RpPluginsAttachAll);
    RwMemory mem;
    RwStream* stream = FuzzStream(data, size, mem);
    if (RwStreamFindChunk(stream, rwChunkClump, nullptr, nullptr)) {
        if (RpClump* clump = RpClumpStreamRead(stream)) {
            // Whatever was read must clone, pose, write back and go away cleanly.
            RpClump* copy = RpClumpClone(clump);
            Pose(clump);
            if (copy)
                Pose(copy);
            RwStream* out = RwStreamOpen(rwStreamMemory, rwStreamWrite, nullptr);
            RpClumpStreamWrite(clump, out);
            RwMemory written{};
            RwStreamClose(out, &written);
            std::free(written.start);
            RpClumpDestroy(clump);
            RpClumpDestroy(copy);
        }
    }
    RwStreamClose(stream, nullptr);
    return 0;
}
