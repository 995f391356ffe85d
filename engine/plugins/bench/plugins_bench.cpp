// Skinned characters on the offscreen GL device: reading one, and skinning and drawing twelve.

#include "engine/core/RwDevice.h"
#include "engine/plugins/RpPlugins.h"

#include "tests/support/OffscreenEngine.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <vector>

namespace {

// A tube along x of (rings - 1) x segments x 2 triangles over a chain of bones, each vertex
// weighted between the two nearest bones; the hierarchy (flags 0x3000) sits on the first bone.
RpClump* MakeCharacter(int rings, int segments, int bones)
{
    const RwReal length = 2.0f, radius = 0.2f;
    RpGeometry* g = RpGeometryCreate(rings * segments, (rings - 1) * segments * 2,
                                     rpGeometryPrelit | rpGeometryNormals | rpGeometryLight);
    std::vector<RpSkinVertexIndices> idx(size_t(rings * segments));
    std::vector<RpSkinVertexWeights> w(size_t(rings * segments));
    const RwReal boneLen = length / RwReal(bones);
    for (int r = 0; r < rings; ++r) {
        const RwReal x = length * RwReal(r) / RwReal(rings - 1);
        const RwReal b = std::min(x / boneLen, RwReal(bones - 1) - 1e-4f);
        const int b0 = int(b);
        for (int s = 0; s < segments; ++s) {
            const int v = r * segments + s;
            const RwReal a = 6.2831853f * RwReal(s) / RwReal(segments);
            g->morphTarget[0].verts[v] = {x, radius * std::cos(a), radius * std::sin(a)};
            g->morphTarget[0].normals[v] = {0, std::cos(a), std::sin(a)};
            g->preLitLum[v] = {40, 40, 40, 255};
            idx[size_t(v)][0] = RwUInt8(b0);
            idx[size_t(v)][1] = RwUInt8(std::min(b0 + 1, bones - 1));
            w[size_t(v)][0] = 1 - (b - RwReal(b0));
            w[size_t(v)][1] = b - RwReal(b0);
        }
    }
    int t = 0;
    for (int r = 0; r + 1 < rings; ++r) {
        for (int s = 0; s < segments; ++s) {
            const RwUInt16 a = RwUInt16(r * segments + s), c = RwUInt16(r * segments + (s + 1) % segments);
            g->triangles[t++] = {{a, c, RwUInt16(c + segments)}, 0};
            g->triangles[t++] = {{a, RwUInt16(c + segments), RwUInt16(a + segments)}, 0};
        }
    }
    RpMorphTargetCalcBoundingSphere(&g->morphTarget[0], nullptr);
    RpMaterial* m = RpMaterialCreate();
    RpGeometryAddMaterial(g, m);
    RpMaterialDestroy(m);
    std::vector<RwMatrix> skinToBone(static_cast<size_t>(bones));
    for (int b = 0; b < bones; ++b) {
        RwMatrixSetIdentity(&skinToBone[size_t(b)]);
        skinToBone[size_t(b)].pos = {-boneLen * RwReal(b), 0, 0};
    }
    RpSkinGeometrySetSkin(g, RpSkinCreate(rings * segments, bones, skinToBone.data(), idx.data(), w.data()));

    RpClump* clump = RpClumpCreate();
    RwFrame* root = RwFrameCreate();
    RpClumpSetFrame(clump, root);
    RwFrame* parent = root;
    std::vector<RwInt32> ids(static_cast<size_t>(bones));
    std::vector<RwUInt32> flags(size_t(bones), 0);
    flags.back() = rpHAnimPopParent;
    RwFrame* first = nullptr;
    for (int b = 0; b < bones; ++b) {
        RwFrame* f = RwFrameCreate();
        const RwV3d step{b ? boneLen : 0, 0, 0};
        RwFrameTranslate(f, &step, rwCombineReplace);
        RwFrameAddChild(parent, f);
        RpHAnimFrameSetID(f, b);
        ids[size_t(b)] = b;
        parent = f;
        if (!first)
            first = f;
    }
    RpHAnimHierarchy* h = RpHAnimHierarchyCreate(bones, flags.data(), ids.data(), 0x3000, 36);
    RpHAnimFrameSetHierarchy(first, h);
    RpAtomic* a = RpAtomicCreate();
    RpAtomicSetGeometry(a, g);
    RpGeometryDestroy(g);
    RpAtomicSetFrame(a, root);
    RpClumpAddAtomic(clump, a);
    return clump;
}

// Every bone but the first bends a little over the second.
RtAnimAnimation* MakeWave(int bones)
{
    RtAnimAnimation* anim = RtAnimAnimationCreate(bones, 1.0f);
    const RwReal boneLen = 2.0f / RwReal(bones);
    for (int b = 0; b < bones; ++b) {
        const RwReal tx = b ? boneLen : 0;
        for (int k = 0; k <= 4; ++k) {
            const RwReal half = (b ? 0.2f : 0.0f) * std::sin(RwReal(k) * 1.5707963f) / 2;
            RtAnimKeyFrame key{};
            key.time = RwReal(k) / 4;
            key.rot[0] = std::cos(half);
            key.rot[3] = std::sin(half);
            key.trans[0] = tx;
            anim->tracks[size_t(b)].keys.push_back(key);
        }
    }
    return anim;
}

ScopedEngine& Engine()
{
    static ScopedEngine engine(rwDeviceGL, RpPluginsAttachAll);
    return engine;
}

void BM_ReadSkinnedClump5000(benchmark::State& state)
{
    if (!Engine().IsOpen()) {
        state.SkipWithError("no GL engine");
        return;
    }
    RpClump* clump = MakeCharacter(101, 25, 20);  // 5,000 triangles
    RwStream* out = RwStreamOpen(rwStreamMemory, rwStreamWrite, nullptr);
    RpClumpStreamWrite(clump, out);
    RwMemory mem{};
    RwStreamClose(out, &mem);
    RpClumpDestroy(clump);
    for (auto _ : state) {
        RwStream* in = RwStreamOpen(rwStreamMemory, rwStreamRead, &mem);
        RwUInt32 length, version;
        RwStreamFindChunk(in, rwChunkClump, &length, &version);
        RpClump* c = RpClumpStreamRead(in);
        RwStreamClose(in, nullptr);
        if (!c)
            state.SkipWithError("read failed");
        RpClumpDestroy(c);
    }
    std::free(mem.start);
}
BENCHMARK(BM_ReadSkinnedClump5000)->Unit(benchmark::kMicrosecond);

void BM_SkinAndDrawTwelveCharacters(benchmark::State& state)
{
    if (!Engine().IsOpen()) {
        state.SkipWithError("no GL engine");
        return;
    }
    constexpr int kBones = 16;
    RtAnimAnimation* anim = MakeWave(kBones);
    std::vector<RpClump*> clumps;
    std::vector<RpHAnimHierarchy*> hs;
    for (int i = 0; i < 12; ++i) {
        RpClump* c = MakeCharacter(51, 20, kBones);  // 2,000 triangles
        const RwV3d at{RwReal(i % 4) * 2.5f - 4, RwReal(i / 4) * 1.5f - 1.5f, 0};
        RwFrameTranslate(RpClumpGetFrame(c), &at, rwCombineReplace);
        RpHAnimHierarchy* h = RpHAnimFrameGetHierarchy(RpClumpGetFrame(c)->child);
        RpSkinAtomicSetHAnimHierarchy(c->atomics[0], h);
        RtAnimInterpolatorSetCurrentAnim(h->interpolator, anim);
        RpHAnimHierarchyAttach(h);
        clumps.push_back(c);
        hs.push_back(h);
    }
    RwRaster* raster = RwRasterCreate(800, 600, 0, rwRasterTypeCamera);
    RwRaster* z = RwRasterCreate(800, 600, 0, rwRasterTypeZBuffer);
    RwFrame* frame = RwFrameCreate();
    RwCamera* camera = RwCameraCreate();
    RwCameraSetRaster(camera, raster);
    RwCameraSetZRaster(camera, z);
    RwCameraSetFarClipPlane(camera, 100);
    const RwV3d back{0, 0, -8};
    RwFrameTranslate(frame, &back, rwCombineReplace);
    RwObjectHasFrameSetFrame(camera, frame);
    RwReal time = 0;
    const RwRGBA grey{90, 90, 90, 255};
    for (auto _ : state) {
        time += 1.0f / 60;
        RwCameraClear(camera, &grey, rwCameraClearImage | rwCameraClearZ);
        RwCameraBeginUpdate(camera);
        for (size_t i = 0; i < clumps.size(); ++i) {
            RtAnimInterpolatorSetCurrentTime(hs[i]->interpolator, time + RwReal(i) * 0.1f);
            RpHAnimHierarchyUpdateMatrices(hs[i]);
            RpClumpRender(clumps[i]);
        }
        RwCameraEndUpdate(camera);
        RwCameraShowRaster(camera, nullptr, 0);  // ends the frame, so the GPU work is counted
    }
    RwObjectHasFrameSetFrame(camera, nullptr);
    RwCameraDestroy(camera);
    RwFrameDestroy(frame);
    RwRasterDestroy(raster);
    RwRasterDestroy(z);
    for (RpClump* c : clumps)
        RpClumpDestroy(c);
    RtAnimAnimationDestroy(anim);
}
BENCHMARK(BM_SkinAndDrawTwelveCharacters)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
